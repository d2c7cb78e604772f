#include "filefollower.h"

#include "filelock.h"
#include "openedfile.h"
#include "resultsfailure.h"
#include "resultsparser.h"
#include "systemerror.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr qint64 kTailCheck = 64;

class SystemClock : public FileFollower::Clock
{
public:
    qint64 steadyMs() const override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    qint64 wallMs() const override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    }
};

const SystemClock kSystemClock;

// The open file, each read under the shared lock, which is let go at once. The sink hears when
// the lock is held by another program and reading waits for it.
class LockedFile : public FileFollower::Contents
{
public:
    LockedFile(int fd, FileFollower::Sink &sink) : m_fd(fd), m_sink(sink) {}

    qint64 read(qint64 position, char *buffer, qint64 capacity) override
    {
        bool waited = false;
        const FileLock::Wait wait{std::chrono::steady_clock::now() + FileLock::kWait, [&] {
                                      if (!std::exchange(waited, true))
                                          m_sink.lockWaited(true);
                                  }};
        const FileLock::Outcome lock = FileLock::lock(m_fd, F_RDLCK, wait);
        if (waited)
            m_sink.lockWaited(false);
        if (lock == FileLock::Outcome::Busy) {
            errno = EAGAIN;
            return -1;
        }
        ssize_t got = 0;
        do {
            got = ::pread(m_fd, buffer, size_t(capacity), position);
        } while (got < 0 && errno == EINTR);
        const int error = errno;
        if (lock == FileLock::Outcome::Taken)
            FileLock::unlock(m_fd);
        errno = error;
        return got;
    }
    qint64 readEnded(qint64 position, char *buffer, qint64 capacity) override
    {
        return ::pread(m_fd, buffer, size_t(capacity), position);
    }

private:
    int m_fd;
    FileFollower::Sink &m_sink;
};

// The file from a place on, as the reader takes it.
class ContentsSource : public ByteSource
{
public:
    ContentsSource(FileFollower::Contents &contents, qint64 from, const std::atomic_bool *cancel)
        : m_contents(contents), m_pos(from), m_cancel(cancel)
    {
    }

    qint64 read(char *buffer, qint64 capacity) override
    {
        if (m_cancel && m_cancel->load(std::memory_order_relaxed)) {
            m_cancelled = true;
            return -1;
        }
        const qint64 got = m_contents.read(m_pos, buffer, capacity);
        if (got < 0) {
            m_error = errno;
            return -1;
        }
        m_pos += got;
        return got;
    }

    bool cancelled() const { return m_cancelled; }
    int error() const { return m_error; }

private:
    FileFollower::Contents &m_contents;
    qint64 m_pos;
    const std::atomic_bool *m_cancel;
    bool m_cancelled = false;
    int m_error = 0;
};

} // namespace

// Passes the lines on, each with how its name is read, or holds back an unended last line, and
// notes how far the file has been read.
class FileFollower::Tracker : public LineSink
{
public:
    Tracker(FileFollower &follower, Sink &sink, bool showUnended)
        : m_follower(follower), m_sink(sink), m_showUnended(showUnended)
    {
    }
    void record(const LinePlace &place, const LineRecord &record) override
    {
        if (!pass(place))
            return;
        LineRecord read = record;
        read.encoding = EncodingGuess::of(record.name, m_follower.m_marked, record.nameCut);
        m_follower.nameRead(read.encoding, record.name, place.ended);
        m_sink.record(place, read);
        note(place);
    }
    void skipped(const LinePlace &place, LineFault fault, const LineHead &head) override
    {
        if (!pass(place))
            return;
        LineHead read = head;
        read.encoding = EncodingGuess::of(head.bytes, m_follower.m_marked, head.cut);
        m_sink.skipped(place, fault, read);
        note(place);
    }

private:
    bool pass(const LinePlace &place)
    {
        if (!place.ended && !m_showUnended) {
            m_follower.m_end = place.end;
            m_follower.m_unendedHeld = true;
            return false;
        }
        return true;
    }
    void note(const LinePlace &place)
    {
        m_follower.m_end = place.end;
        m_follower.m_unendedOut = !place.ended;
        if (place.ended) {
            m_follower.m_offset = place.end;
            m_follower.m_nextLine = place.number + 1;
        }
    }

    FileFollower &m_follower;
    Sink &m_sink;
    bool m_showUnended;
};

FileFollower::FileFollower(QString path, std::chrono::milliseconds settle, const Clock *clock)
    : m_path(std::move(path)), m_settle(settle), m_clock(clock ? *clock : kSystemClock)
{
}

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
    const OpenedFile file(m_path, O_RDONLY);
    if (!file.isPlain())
        return fail(file.missing() ? State::Missing : State::Unreadable, file.readProblem());
    const struct stat &status = file.status();
    const Look look{status.st_dev, status.st_ino, status.st_size,
                    qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000};
    LockedFile contents(file.fd(), sink);
    return poll(look, contents, sink, cancel);
}

FileFollower::State FileFollower::poll(const Look &look, Contents &contents, Sink &sink,
                                       const std::atomic_bool *cancel)
{
    if (m_state == State::Cancelled)
        return m_state;
    const bool seen = m_state != State::Unread;
    const bool sameFile = seen && look.device == m_device && look.inode == m_inode;
    const bool startOver = seen && (!sameFile || look.size < m_end || !tailStillThere(contents));
    m_device = look.device;
    m_inode = look.inode;
    m_size = look.size;
    const bool showUnended = settled(look, startOver);
    if (seen && !startOver && look.size == m_end && !(m_unendedHeld && showUnended)) {
        m_problem.clear();
        return m_state = State::Read;
    }
    if (startOver) {
        m_offset = m_end = 0;
        m_nextLine = 1;
        m_unendedOut = m_unendedHeld = false;
        m_tail.clear();
        m_marked = false;
        m_encodings = {};
        sink.startedOver();
    } else if (m_unendedOut) {
        sink.lastLineVoided();
    }
    m_unendedOut = m_unendedHeld = false;
    m_unendedEncodings = {};
    if (m_offset == 0)
        skipByteOrderMark(contents);
    else
        skipFeedAfterReturn(contents);

    ContentsSource source(contents, m_offset, cancel);
    Tracker tracker(*this, sink, showUnended);
    try {
        ResultsParser(source).readLines(tracker, m_nextLine, m_offset);
    } catch (const ResultsFailure &) {
        if (source.cancelled())
            return stop();
        return fail(State::Unreadable, SystemError::text(source.error() ? source.error() : EIO,
                                                         SystemError::Use::Read));
    }
    // Only the bytes before the last ended line are checked; an unended line is read again.
    const qint64 tail = std::min(kTailCheck, m_offset);
    m_tail.resize(tail);
    if (tail > 0 && contents.readEnded(m_offset - tail, m_tail.data(), tail) != tail)
        m_tail.clear();
    m_problem.clear();
    return m_state = State::Read;
}

FileFollower::State FileFollower::stop()
{
    return fail(State::Cancelled, QStringLiteral("чтение прервано"));
}

// Whether the file has stood unchanged for the settle time, by either clock. A file replaced
// by another, or rewritten, has just changed, whatever its size and time.
bool FileFollower::settled(const Look &look, bool replaced)
{
    const qint64 now = m_clock.steadyMs();
    if (replaced || look.size != m_watchedSize || look.modifiedMs != m_watchedModified) {
        m_watchedSize = look.size;
        m_watchedModified = look.modifiedMs;
        m_unchangedSince = now;
    }
    const qint64 settle = m_settle.count();
    return settle <= 0 || now - m_unchangedSince >= settle ||
           m_clock.wallMs() - look.modifiedMs >= settle;
}

// A UTF-8 byte order mark is no part of line 1, and marks the file's names as UTF-8 where they
// are valid UTF-8. While the file holds only the start of one, that is read as an unended line,
// to be read again.
void FileFollower::skipByteOrderMark(Contents &contents)
{
    const auto size = qint64(EncodingGuess::kByteOrderMark.size());
    char start[EncodingGuess::kByteOrderMark.size()];
    if (contents.read(0, start, size) != size ||
        std::string_view(start, size_t(size)) != EncodingGuess::kByteOrderMark)
        return;
    m_marked = true;
    m_encodings.utf8 = true;
    m_offset = size;
    m_end = std::max(m_end, m_offset);
}

// Notes what a name beyond ASCII was read as: an unended last line's may be voided.
void FileFollower::nameRead(TextEncoding encoding, std::string_view name, bool ended)
{
    if (!EncodingGuess::isAscii(name))
        (ended ? m_encodings : m_unendedEncodings).add(encoding);
}

// A line whose CR was the last byte of an earlier look was handed out as ended; an LF written
// after it completes that line end, as a whole read of the file takes CR LF.
void FileFollower::skipFeedAfterReturn(Contents &contents)
{
    char next = 0;
    if (m_tail.isEmpty() || m_tail.back() != '\r' || contents.read(m_offset, &next, 1) != 1 ||
        next != '\n')
        return;
    ++m_offset;
    m_end = std::max(m_end, m_offset);
}

// A file rewritten in place, at least as long as before, still shows itself in the bytes just
// before where reading stopped.
bool FileFollower::tailStillThere(Contents &contents) const
{
    const qint64 tail = m_tail.size();
    if (tail != std::min(kTailCheck, m_offset))
        return false;
    if (tail == 0)
        return true;
    QByteArray now(tail, Qt::Uninitialized);
    return contents.readEnded(m_offset - tail, now.data(), tail) == tail && now == m_tail;
}
