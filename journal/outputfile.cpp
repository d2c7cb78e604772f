#include "csvfile.h"

#include "filepath.h"
#include "openedfile.h"
#include "systemerror.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The file a name leads to through its symbolic links, also when that file is not there yet:
// replacing the link itself would leave the file it points to as it was.
QByteArray linkTarget(QByteArray name)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status = {};
        if (::lstat(name.constData(), &status) != 0 || !S_ISLNK(status.st_mode))
            break;
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(name.constData(), target.data(), size_t(target.size()));
        if (length <= 0 || length >= target.size())
            break;
        target.truncate(length);
        const qsizetype slash = name.lastIndexOf('/');
        if (!target.startsWith('/') && slash >= 0)
            target.prepend(name.left(slash + 1));
        name = target;
    }
    return name;
}

// The folder's list of names on the disk, so that a renamed file keeps its new name after a
// power cut. Only a file system that cannot do it fails, and the file is there all the same.
void syncFolderOf(const QByteArray &name)
{
    const qsizetype slash = name.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : name.left(slash + 1);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        static_cast<void>(::fsync(fd));
        ::close(fd);
    }
}

} // namespace

CsvFile::~CsvFile()
{
    discard();
}

CsvFile::Opened CsvFile::start(const QString &path, const QStringList &sources)
{
    std::vector<struct stat> read;
    for (const QString &source : sources) {
        struct stat status = {};
        if (::stat(FilePath::encode(source).constData(), &status) == 0)
            read.push_back(status);
    }
    const auto isSource = [&read](const struct stat &status) {
        return std::any_of(read.cbegin(), read.cend(), [&status](const struct stat &source) {
            return source.st_dev == status.st_dev && source.st_ino == status.st_ino;
        });
    };
    const auto refuse = [this] {
        setErrorString(QStringLiteral("это файл результатов, из которого читаются записи"));
        return Opened::Refused;
    };

    struct stat status = {};
    if (path == u'-' || path == QLatin1String("/dev/stdout")) {
        // Standard output may have been sent to a file by `>>`.
        if (::fstat(STDOUT_FILENO, &status) == 0 && S_ISREG(status.st_mode) && isSource(status))
            return refuse();
        return opened(STDOUT_FILENO, false);
    }
    const QByteArray name = FilePath::encode(path);
    const bool exists = ::stat(name.constData(), &status) == 0;
    if (exists && OpenedFile::kindOf(status) != OpenedFile::Kind::Plain) {
        // Neither created nor cut short: a pipe's reader takes the table, a device whatever it
        // takes. A pipe that nobody reads is refused at once rather than waited on.
        OpenedFile device(name, O_WRONLY);
        if (device.fd() < 0) {
            fail(device.error());
            return Opened::Failed;
        }
        const int fd = device.release();
        opened(fd, true);
        if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
            fail(errno);
            return Opened::Failed;
        }
        return Opened::Yes;
    }
    // A file not there yet may still be a source by its name, read as missing.
    const QString absolute = FilePath::absolute(path);
    if ((exists && isSource(status)) ||
        std::any_of(sources.cbegin(), sources.cend(), [&absolute](const QString &source) {
            return FilePath::absolute(source) == absolute;
        }))
        return refuse();

    m_target = linkTarget(name);
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        m_temporary = m_target + '.';
        for (int i = 0; i < 6; ++i)
            m_temporary += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
        // The umask applies to a new file as to any other the user makes.
        fd = ::open(m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                    0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        m_temporary.clear();
        fail(errno);
        return Opened::Failed;
    }
    if (exists) {
        // Only the superuser may hand the file to its old owner; anyone may keep a group of
        // theirs. The bits are set after, as a change of owner clears some.
        static_cast<void>(::fchown(fd, status.st_uid, status.st_gid));
        static_cast<void>(::fchmod(fd, status.st_mode & 0777));
    }
    return opened(fd, true);
}

CsvFile::Opened CsvFile::opened(int fd, bool owned)
{
    m_fd = fd;
    m_ownsFd = owned;
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return Opened::Yes;
}

qint64 CsvFile::writeData(const char *data, qint64 size)
{
    qint64 written = 0;
    while (written < size) {
        const ssize_t n = ::write(m_fd, data + written, size_t(size - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            setErrorString(SystemError::text(n < 0 ? errno : ENOSPC, SystemError::Use::Write));
            return -1;
        }
        written += n;
    }
    return written;
}

bool CsvFile::commit()
{
    if (!isOpen())
        return false;
    QIODevice::close();
    if (!m_ownsFd)
        return true;
    if (!m_temporary.isEmpty() && ::fsync(m_fd) != 0)
        return fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        return fail(errno);
    if (m_temporary.isEmpty())
        return true;
    if (::rename(m_temporary.constData(), m_target.constData()) != 0)
        return fail(errno);
    m_temporary.clear();
    syncFolderOf(m_target);
    return true;
}

bool CsvFile::fail(int error)
{
    setErrorString(SystemError::text(error, SystemError::Use::Write));
    discard();
    return false;
}

void CsvFile::discard()
{
    if (m_fd >= 0 && m_ownsFd)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    m_temporary.clear();
    if (isOpen())
        QIODevice::close();
}
