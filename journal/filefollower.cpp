#include "filefollower.h"

#include "filehandle.h"
#include "filelock.h"
#include "filepath.h"
#include "resultsfailure.h"
#include "resultsparser.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kTailCheck = 64;

// The file from a place on, each piece read under the shared lock, which is let go at once.
class LockedSource : public ByteSource
{
public:
    LockedSource(int fd, qint64 from, const std::atomic_bool *cancel)
        : m_fd(fd), m_pos(from), m_cancel(cancel)
    {
    }

    qint64 read(char *buffer, qint64 capacity) override
    {
        if (m_cancel && m_cancel->load(std::memory_order_relaxed)) {
            m_cancelled = true;
            return -1;
        }
        const FileLock::Outcome lock = FileLock::lock(m_fd, F_RDLCK);
        if (lock == FileLock::Outcome::Busy) {
            m_error = EAGAIN;
            return -1;
        }
        ssize_t got = 0;
        do {
            got = ::pread(m_fd, buffer, size_t(capacity), m_pos);
        } while (got < 0 && errno == EINTR);
        const int error = errno;
        if (lock == FileLock::Outcome::Taken)
            FileLock::unlock(m_fd);
        if (got < 0) {
            m_error = error;
            return -1;
        }
        m_pos += got;
        return got;
    }

    bool cancelled() const { return m_cancelled; }
    int error() const { return m_error; }

private:
    int m_fd;
    qint64 m_pos;
    const std::atomic_bool *m_cancel;
    bool m_cancelled = false;
    int m_error = 0;
};

// Passes the lines on and notes how far the file has been read.
class Tracker : public LineSink
{
public:
    Tracker(LineSink &sink, qint64 &offset, qint64 &end, qint64 &nextLine, bool &unended)
        : m_sink(sink), m_offset(offset), m_end(end), m_nextLine(nextLine), m_unended(unended)
    {
    }
    void record(const LinePlace &place, const LineRecord &record) override
    {
        m_sink.record(place, record);
        note(place);
    }
    void skipped(const LinePlace &place, LineFault fault) override
    {
        m_sink.skipped(place, fault);
        note(place);
    }

private:
    void note(const LinePlace &place)
    {
        m_end = place.end;
        m_unended = !place.ended;
        if (place.ended) {
            m_offset = place.end;
            m_nextLine = place.number + 1;
        }
    }

    LineSink &m_sink;
    qint64 &m_offset;
    qint64 &m_end;
    qint64 &m_nextLine;
    bool &m_unended;
};

QString readProblem(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("файл не найден");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на чтение");
    case EAGAIN:
        return QStringLiteral("файл занят другой программой");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода");
    default:
        return QStringLiteral("ошибка %1 (%2)")
            .arg(error)
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

} // namespace

FileFollower::FileFollower(QString path) : m_path(std::move(path)) {}

FileFollower::State FileFollower::fail(State state, QString problem)
{
    m_state = state;
    m_problem = std::move(problem);
    return m_state;
}

FileFollower::State FileFollower::poll(Sink &sink, const std::atomic_bool *cancel)
{
    if (m_state == State::Cancelled)
        return m_state;
    // O_NONBLOCK: a pipe under this name must not make the look wait for a writer.
    FileHandle file(::open(FilePath::encode(m_path).constData(),
                           O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.fd() < 0) {
        const int error = errno;
        return fail(error == ENOENT || error == ENOTDIR ? State::Missing : State::Unreadable,
                    readProblem(error));
    }
    struct stat status = {};
    if (::fstat(file.fd(), &status) != 0)
        return fail(State::Unreadable, readProblem(errno));
    if (S_ISDIR(status.st_mode))
        return fail(State::Unreadable, QStringLiteral("это папка, а не файл"));
    if (!S_ISREG(status.st_mode))
        return fail(State::Unreadable, QStringLiteral("это не обычный файл"));

    const bool seen = m_state != State::Unread;
    const bool sameFile = seen && status.st_dev == m_device && status.st_ino == m_inode;
    const bool startOver =
        seen && (!sameFile || status.st_size < m_end || !tailStillThere(file.fd()));
    m_device = status.st_dev;
    m_inode = status.st_ino;
    m_size = status.st_size;
    if (seen && !startOver && status.st_size == m_end) {
        m_problem.clear();
        return m_state = State::Read;
    }
    if (startOver) {
        m_offset = m_end = 0;
        m_nextLine = 1;
        m_unended = false;
        sink.startedOver();
    } else if (m_unended) {
        sink.lastLineVoided();
    }

    LockedSource source(file.fd(), m_offset, cancel);
    Tracker tracker(sink, m_offset, m_end, m_nextLine, m_unended);
    try {
        ResultsParser(source).readLines(tracker, m_nextLine, m_offset);
    } catch (const ResultsFailure &) {
        if (source.cancelled())
            return stop();
        return fail(State::Unreadable, readProblem(source.error() ? source.error() : EIO));
    }
    // Only the bytes before the last ended line are checked; an unended line is read again.
    const qint64 tail = std::min(kTailCheck, m_offset);
    m_tail.resize(tail);
    if (::pread(file.fd(), m_tail.data(), size_t(tail), m_offset - tail) != tail)
        m_tail.clear();
    m_problem.clear();
    return m_state = State::Read;
}

FileFollower::State FileFollower::stop()
{
    return fail(State::Cancelled, QStringLiteral("чтение прервано"));
}

// A file rewritten in place, at least as long as before, still shows itself in the bytes just
// before where reading stopped.
bool FileFollower::tailStillThere(int fd) const
{
    const qint64 tail = m_tail.size();
    if (tail != std::min(kTailCheck, m_offset))
        return false;
    QByteArray now(tail, Qt::Uninitialized);
    return ::pread(fd, now.data(), size_t(tail), m_offset - tail) == tail && now == m_tail;
}
