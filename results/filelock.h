#pragma once

#include <chrono>
#include <functional>

// Advisory locks on a whole results file, as every program that shares the file takes them:
// shared for reading, exclusive for appending.
namespace FileLock {

enum class Outcome { Taken, Busy, Unsupported };

// How long a lock is waited for. Every holder keeps it for one read, or one write and its sync,
// so only a stuck program makes this run out, and then this one must not hang with it.
constexpr std::chrono::milliseconds kWait{10000};

// A wait that may span several locks (a read and then an append, one request of the course):
// until the deadline, calling `meanwhile` between tries so that a window can stay alive.
struct Wait
{
    std::chrono::steady_clock::time_point deadline;
    std::function<void()> meanwhile; // may be empty
};

// Polls with short, growing pauses rather than blocking, so that a program that never lets go
// cannot hang this one. A file system without locks (some network ones) gives Unsupported.
// The lock is tried at least once, even past the deadline.
Outcome lock(int fd, short type, const Wait &wait);
Outcome lock(int fd, short type, std::chrono::milliseconds wait = kWait);
void unlock(int fd);

} // namespace FileLock
