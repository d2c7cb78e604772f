#include "openedfile.h"

#include "filepath.h"
#include "systemerror.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

OpenedFile::OpenedFile(const QByteArray &name, int flags, mode_t mode)
    : m_file(::open(name.constData(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode))
{
    if (fd() < 0)
        m_error = errno;
    else if (::fstat(fd(), &m_status) != 0)
        m_error = errno;
    else
        m_kind = kindOf(m_status);
}

OpenedFile::OpenedFile(const QString &path, int flags, mode_t mode)
    : OpenedFile(FilePath::encode(path), flags, mode)
{
}

OpenedFile::Kind OpenedFile::kindOf(const struct stat &status)
{
    if (S_ISREG(status.st_mode))
        return Kind::Plain;
    return S_ISDIR(status.st_mode) ? Kind::Folder : Kind::Other;
}

QString OpenedFile::readProblem() const
{
    switch (m_kind) {
    case Kind::Plain:
        return {};
    case Kind::Folder:
        return QStringLiteral("это папка, а не файл");
    case Kind::Other:
        return QStringLiteral("это не обычный файл");
    case Kind::Unknown:
        break;
    }
    return SystemError::text(m_error, SystemError::Use::Read);
}

int OpenedFile::writeWhole(int fd, QByteArrayView bytes, qsizetype &written)
{
    written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        written += n;
    }
    return 0;
}
