#include "standarddescriptors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

bool StandardDescriptors::open()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        // The lower ones are open: the lowest number free is this one.
        int opened = ::open("/dev/null", (fd == STDIN_FILENO ? O_RDONLY : O_WRONLY) | O_NOCTTY);
        if (opened < 0)
            opened = ::open("/", O_RDONLY | O_DIRECTORY);
        if (opened != fd) {
            if (opened >= 0)
                ::close(opened);
            return false;
        }
    }
    return true;
}
