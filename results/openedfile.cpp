#include "openedfile.h"

#include "filepath.h"
#include "systemerror.h"

#include <cerrno>
#include <fcntl.h>

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
