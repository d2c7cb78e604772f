#pragma once

#include <chrono>

// Advisory locks on a whole results file, as every program that shares the file takes them:
// shared for reading, exclusive for appending.
namespace FileLock {

enum class Outcome { Taken, Busy, Unsupported };

// How long a lock is waited for. Every holder keeps it for one read, or one write and its sync,
// so only a stuck program makes this run out, and then this one must not hang with it.
constexpr std::chrono::milliseconds kWait{10000};

// Polls with short, growing pauses rather than blocking, so that a program that never lets go
// cannot hang this one. A file system without locks (some network ones) gives Unsupported.
Outcome lock(int fd, short type, std::chrono::milliseconds wait = kWait);
void unlock(int fd);

} // namespace FileLock
