#pragma once

#include <cerrno>
#include <unistd.h>

// An open file descriptor, closed when the handle goes.
class FileHandle
{
public:
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;

    int fd() const { return m_fd; }
    // Closes now and returns 0 or the error number (a network file system may report a
    // failed write only here).
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 || errno == EINTR ? 0 : errno;
    }

private:
    int m_fd;
};
