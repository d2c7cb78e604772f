#include "filelock.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <thread>

namespace FileLock {

Outcome lock(int fd, short type, const Wait &wait)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    auto pause = std::chrono::microseconds(50);
    for (;;) {
        if (::fcntl(fd, F_SETLK, &lock) == 0)
            return Outcome::Taken;
        if (errno == EINTR)
            continue;
        if (errno != EACCES && errno != EAGAIN)
            return Outcome::Unsupported;
        if (std::chrono::steady_clock::now() >= wait.deadline)
            return Outcome::Busy;
        if (wait.meanwhile)
            wait.meanwhile();
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(20000));
    }
}

Outcome lock(int fd, short type, std::chrono::milliseconds wait)
{
    return lock(fd, type, Wait{std::chrono::steady_clock::now() + wait, {}});
}

void unlock(int fd)
{
    struct flock lock = {};
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    ::fcntl(fd, F_SETLK, &lock);
}

} // namespace FileLock
