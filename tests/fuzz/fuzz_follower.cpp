// Fuzz target for the journal's file follower (libFuzzer).
//
// The input's first four bytes seed how a results file is written (see FollowedWrite); the rest
// is the file. Written in pieces, paused, cut shorter and replaced, with the settle time the
// journal uses or none, in memory, the follower must end up with what one read of the whole file
// gives, and nothing may crash, hang or read out of bounds (the build adds AddressSanitizer and
// UndefinedBehaviorSanitizer).
#include "followedwrite.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    quint32 seed;
    std::memcpy(&seed, data, sizeof seed);
    const QByteArray bytes(reinterpret_cast<const char *>(data + 4), qsizetype(size - 4));
    FollowedWrite write(QStringLiteral("res.txt"));
    LineLog log;
    const auto settle = seed % 4 == 1 ? FileFollower::kAtOnce : FileFollower::kSettle;
    if (write.run(bytes, seed, settle, true, log))
        std::abort();
    return 0;
}
