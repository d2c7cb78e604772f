#include "outputfile.h"

#include "datesfile.h"
#include "filepath.h"
#include "systemerror.h"

#include <QDir>
#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// The open flags every output and folder gets: no wait for a pipe's reader, no terminal made
// the program's own, nothing passed to programs started later.
constexpr int kFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
// As many links as the system follows in one name.
constexpr int kMostLinks = 40;

// A descriptor closed when it goes.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// Where a name leads: the folder it ends in, open, and the last name in it, which is no link;
// or why it leads nowhere.
struct Place
{
    Descriptor folder;
    QByteArray name;
    int error = 0;
    bool plantedLink = false;
};

// A link the system would not follow for this user either: in a folder that is sticky and
// writable by all, owned by neither the user nor the folder's owner.
bool planted(int folder, const struct stat &link)
{
    struct stat status = {};
    if (::fstat(folder, &status) != 0)
        return true;
    return (status.st_mode & S_ISVTX) && (status.st_mode & S_IWOTH) && link.st_uid != ::geteuid() &&
           link.st_uid != status.st_uid;
}

QByteArrayList parts(const QByteArray &name)
{
    QByteArrayList parts;
    for (const QByteArray &part : name.split('/')) {
        if (!part.isEmpty() && part != ".")
            parts << part;
    }
    return parts;
}

// Walks `name` a folder at a time as the system does, following each link on the way, the last
// included, itself: the file a link leads to is the one replaced, not the link.
void resolve(const QByteArray &name, Place &place)
{
    place.error = 0;
    // A name that ends in "/" or "/." can only be a folder.
    if (name.isEmpty() || parts(name).isEmpty() || name.endsWith('/') || name.endsWith("/.")) {
        place.error = name.isEmpty() ? ENOENT : EISDIR;
        return;
    }
    const auto enter = [&place](int folder, const char *name) {
        const int fd = ::openat(folder, name, O_PATH | O_DIRECTORY | kFlags);
        if (fd < 0)
            place.error = errno;
        else
            place.folder.reset(fd);
        return fd >= 0;
    };
    if (!enter(AT_FDCWD, name.startsWith('/') ? "/" : "."))
        return;
    QByteArrayList left = parts(name);
    int links = 0;
    for (;;) {
        const QByteArray part = left.takeFirst();
        const bool last = left.isEmpty();
        struct stat status = {};
        if (part != ".." &&
            ::fstatat(place.folder.get(), part.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT && last)
                place.name = part; // a new file
            else
                place.error = errno;
            return;
        }
        if (part != ".." && S_ISLNK(status.st_mode)) {
            if (planted(place.folder.get(), status)) {
                place.plantedLink = true;
                return;
            }
            QByteArray target(PATH_MAX, Qt::Uninitialized);
            const ssize_t length = ::readlinkat(place.folder.get(), part.constData(), target.data(),
                                                size_t(target.size()));
            if (++links > kMostLinks || length <= 0 || length >= target.size()) {
                place.error = length < 0 ? errno : length == 0 ? ENOENT : ELOOP;
                return;
            }
            target.truncate(length);
            if (target.startsWith('/') && !enter(AT_FDCWD, "/"))
                return;
            left = parts(target) + left;
            if (left.isEmpty()) {
                place.error = EISDIR; // a link to the root
                return;
            }
            continue;
        }
        if (last) {
            if (part == "..")
                place.error = EISDIR;
            else
                place.name = part;
            return;
        }
        if (!enter(place.folder.get(), part.constData()))
            return;
    }
}

// The new files being written, for the signal handler to remove: a folder's descriptor (-1 for
// none) and the name in it, set before the descriptor.
struct Written
{
    std::atomic<int> folder{-1};
    char name[NAME_MAX + 1] = {};
};
Written g_written[4];
int g_writing = 0;

constexpr int kSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGXFSZ};
struct sigaction g_before[std::size(kSignals)];

// Async-signal-safe: removes the new files, then lets the signal do what it did before.
void removeWritten(int signal)
{
    const int error = errno;
    OutputFile::removeUnfinished();
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        if (kSignals[i] == signal)
            ::sigaction(signal, &g_before[i], nullptr);
    }
    errno = error;
    // Held until this handler returns, then handled as before.
    ::raise(signal);
}

void catchSignals(bool on)
{
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        if (!on) {
            ::sigaction(kSignals[i], &g_before[i], nullptr);
            continue;
        }
        ::sigaction(kSignals[i], nullptr, &g_before[i]);
        // A signal the program was told to ignore (nohup) stays ignored.
        if (g_before[i].sa_handler == SIG_IGN)
            continue;
        struct sigaction caught = {};
        caught.sa_handler = removeWritten;
        sigemptyset(&caught.sa_mask);
        ::sigaction(kSignals[i], &caught, nullptr);
    }
}

// A slot for the new file, or -1 when all are taken (the file is removed all the same, only not
// on a signal).
int noteWritten(int folder, const QByteArray &name)
{
    for (size_t slot = 0; slot < std::size(g_written); ++slot) {
        Written &each = g_written[slot];
        if (each.folder.load() >= 0)
            continue;
        std::copy_n(name.constData(), name.size() + 1, each.name);
        if (g_writing++ == 0)
            catchSignals(true);
        each.folder.store(folder);
        return int(slot);
    }
    return -1;
}

void forgetWritten(int slot)
{
    if (slot < 0)
        return;
    g_written[slot].folder.store(-1);
    if (--g_writing == 0)
        catchSignals(false);
}

} // namespace

void OutputFile::removeUnfinished()
{
    for (Written &each : g_written) {
        const int folder = each.folder.exchange(-1);
        if (folder >= 0)
            ::unlinkat(folder, each.name, 0);
    }
}

namespace {

// The files an output must not land on: the results files, and the dates file beside each,
// which is read with it.
QStringList withDates(const QStringList &sources)
{
    QStringList all = sources;
    for (const QString &source : sources)
        all << FilePath::decode(DatesFile::nameFor(FilePath::encode(source)));
    return all;
}

} // namespace

OutputFile::~OutputFile()
{
    discard();
}

OutputFile::Opened OutputFile::start(const QString &path, const QStringList &sources)
{
    discard();
    // The results files first, then their dates files.
    const QStringList all = withDates(sources);
    std::vector<std::pair<struct stat, bool>> read;
    std::vector<std::pair<QByteArray, bool>> missing;
    for (qsizetype i = 0; i < all.size(); ++i) {
        struct stat status = {};
        const bool dates = i >= sources.size();
        if (::stat(FilePath::encode(all[i]).constData(), &status) == 0)
            read.emplace_back(status, dates);
        else
            missing.emplace_back(FilePath::encode(all[i]), dates);
    }
    const auto isRead = [&read](const struct stat &status) {
        return std::any_of(read.cbegin(), read.cend(), [&status](const auto &source) {
            return source.first.st_dev == status.st_dev && source.first.st_ino == status.st_ino;
        });
    };
    const auto isResults = [this](bool dates = false) {
        return refuse(dates ? QStringLiteral("это файл дат записей, который читается вместе с "
                                             "файлом результатов")
                            : QStringLiteral("это файл результатов, из которого читаются записи"));
    };
    const auto datesOf = [&read](const struct stat &status) {
        return std::any_of(read.cbegin(), read.cend(), [&status](const auto &source) {
            return source.second && source.first.st_dev == status.st_dev &&
                   source.first.st_ino == status.st_ino;
        });
    };

    if (path == u'-' || path == QLatin1String("/dev/stdout")) {
        // Standard output may have been sent to a file by `>>`.
        if (isSource(STDOUT_FILENO, sources))
            return isResults();
        return opened(STDOUT_FILENO, false);
    }
    struct stat status = {};
    Place place;
    resolve(FilePath::encode(path), place);
    if (place.plantedLink)
        return refuse(QStringLiteral("это ссылка, которую в общей папке оставил другой "
                                     "пользователь"));
    if (place.error != 0)
        return fail(place.error);
    const int folder = place.folder.get();
    const bool exists =
        ::fstatat(folder, place.name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && isRead(status))
        return isResults(datesOf(status));
    if (exists && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
        // Neither created nor cut short: a pipe's reader takes the output, a device whatever it
        // takes. A pipe that nobody reads is refused at once rather than waited on.
        const int fd = ::openat(folder, place.name.constData(), O_WRONLY | kFlags);
        if (fd < 0)
            return fail(errno);
        opened(fd, true);
        if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
            return fail(errno);
        return Opened::Yes;
    }
    if (exists && S_ISDIR(status.st_mode))
        return fail(EISDIR);
    // A file not there yet may still be a source by its name, read as missing.
    struct stat here = {};
    if (!exists && ::fstat(folder, &here) == 0) {
        for (const auto &[source, dates] : missing) {
            Place other;
            resolve(source, other);
            struct stat there = {};
            if (other.error == 0 && !other.plantedLink && other.name == place.name &&
                ::fstat(other.folder.get(), &there) == 0 && there.st_dev == here.st_dev &&
                there.st_ino == here.st_ino)
                return isResults(dates);
        }
    }

    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        m_temporary = place.name + '.';
        for (int i = 0; i < 6; ++i)
            m_temporary += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
        // The umask applies to a new file as to any other the user makes.
        fd = ::openat(folder, m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | kFlags, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        m_temporary.clear();
        return fail(errno);
    }
    m_folder = place.folder.release();
    m_name = place.name;
    m_slot = noteWritten(m_folder, m_temporary);
    if (exists) {
        // Only the superuser may hand the file to its old owner; anyone may keep a group of
        // theirs. The bits are set after, as a change of owner clears some.
        static_cast<void>(::fchown(fd, status.st_uid, status.st_gid));
        static_cast<void>(::fchmod(fd, status.st_mode & 0777));
    }
    return opened(fd, true);
}

bool OutputFile::isSource(int fd, const QStringList &sources)
{
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    const QStringList all = withDates(sources);
    return std::any_of(all.cbegin(), all.cend(), [&status](const QString &source) {
        struct stat read = {};
        return ::stat(FilePath::encode(source).constData(), &read) == 0 &&
               read.st_dev == status.st_dev && read.st_ino == status.st_ino;
    });
}

QByteArray OutputFile::writingName() const
{
    if (m_temporary.isEmpty())
        return "/proc/self/fd/" + QByteArray::number(m_fd);
    return "/proc/self/fd/" + QByteArray::number(m_folder) + '/' + m_temporary;
}

QByteArray OutputFile::writingFolder() const
{
    if (m_temporary.isEmpty())
        return FilePath::encode(QDir::tempPath());
    return "/proc/self/fd/" + QByteArray::number(m_folder);
}

OutputFile::Opened OutputFile::opened(int fd, bool owned)
{
    m_fd = fd;
    m_ownsFd = owned;
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return Opened::Yes;
}

qint64 OutputFile::writeData(const char *data, qint64 size)
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

bool OutputFile::commit()
{
    if (!isOpen())
        return false;
    QIODevice::close();
    if (!m_ownsFd)
        return true;
    if (!m_temporary.isEmpty() && ::fsync(m_fd) != 0)
        return failed(errno);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0 && errno != EINTR)
        return failed(errno);
    if (m_temporary.isEmpty())
        return true;
    if (::renameat(m_folder, m_temporary.constData(), m_folder, m_name.constData()) != 0)
        return failed(errno);
    forgetWritten(std::exchange(m_slot, -1));
    m_temporary.clear();
    // The folder's list of names on the disk, so that the file keeps its new name after a power
    // cut. Only a file system that cannot do it fails, and the file is there all the same.
    const Descriptor listed(::openat(m_folder, ".", O_RDONLY | O_DIRECTORY | kFlags));
    if (listed.get() >= 0)
        static_cast<void>(::fsync(listed.get()));
    discard();
    return true;
}

OutputFile::Opened OutputFile::refuse(const QString &reason)
{
    setErrorString(reason);
    return Opened::Refused;
}

OutputFile::Opened OutputFile::fail(int error)
{
    setErrorString(SystemError::text(error, SystemError::Use::Write));
    discard();
    return Opened::Failed;
}

bool OutputFile::failed(int error)
{
    fail(error);
    return false;
}

void OutputFile::discard()
{
    if (m_fd >= 0 && m_ownsFd)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty())
        ::unlinkat(m_folder, m_temporary.constData(), 0);
    m_temporary.clear();
    forgetWritten(std::exchange(m_slot, -1));
    if (m_folder >= 0)
        ::close(m_folder);
    m_folder = -1;
    if (isOpen())
        QIODevice::close();
}
