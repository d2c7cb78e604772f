#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

// An open file descriptor, closed when the handle goes.
class FileHandle
{
public:
    explicit FileHandle(int fd = -1) : m_fd(fd) {}
    ~FileHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileHandle(FileHandle &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileHandle &operator=(FileHandle &&other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }

    int fd() const { return m_fd; }
    // Closes now and returns 0 or the error number (a network file system may report a
    // failed write only here).
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 || errno == EINTR ? 0 : errno;
    }
    // The descriptor, no longer closed by the handle.
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};
