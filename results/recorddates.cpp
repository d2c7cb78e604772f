#include "recorddates.h"

#include "crc32.h"
#include "filepath.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace {

constexpr qint64 kTailCheck = 64;

qint64 readAt(int fd, char *buffer, qint64 size, qint64 position)
{
    ssize_t got = 0;
    do {
        got = ::pread(fd, buffer, size_t(size), position);
    } while (got < 0 && errno == EINTR);
    return got;
}

} // namespace

// The whole lines of the dates file from a place on, read a buffer at a time. A line longer
// than the buffer is none the course writes, and is passed over.
class RecordDates::Lines
{
public:
    static constexpr qint64 kBuffer = 1 << 16;

    explicit Lines(qint64 position = 0) : m_bufferAt(position), m_position(position) {}

    // After the last line handed out.
    qint64 position() const { return m_position; }
    // Forgets what was read past that, and lets the buffer go: the file may have changed there
    // by the next look. Only a line too long to be one of ours is not read again from its
    // start, which a file of one endless line would have read whole at every look.
    void rewind()
    {
        m_bufferAt = m_overlong ? m_bufferAt + m_end : m_position;
        m_begin = m_end = 0;
        m_buffer.reset();
    }
    // Reads again from the line that starts at `position`.
    void rewindTo(qint64 position)
    {
        m_position = m_bufferAt = position;
        m_begin = m_end = 0;
        m_overlong = false;
        m_buffer.reset();
    }

    // The next line that ends before `limit`, without its LF, and where it starts; false when
    // there is none yet. The line stays valid until the next call.
    bool next(int fd, qint64 limit, std::string_view &line, qint64 &at)
    {
        if (!m_buffer)
            m_buffer = std::make_unique_for_overwrite<char[]>(kBuffer);
        for (;;) {
            char *const begin = m_buffer.get() + m_begin;
            const auto *feed = static_cast<const char *>(std::memchr(begin, '\n', m_end - m_begin));
            if (feed) {
                at = m_bufferAt + m_begin;
                line = std::string_view(begin, size_t(feed - begin));
                m_begin += qint64(line.size()) + 1;
                m_position = m_bufferAt + m_begin;
                if (!std::exchange(m_overlong, false))
                    return true;
                continue;
            }
            if (m_begin == 0 && m_end == kBuffer) {
                m_overlong = true; // its start is dropped, and the rest passed over
                m_bufferAt += m_end;
                m_end = 0;
            } else {
                std::memmove(m_buffer.get(), begin, size_t(m_end - m_begin));
                m_bufferAt += m_begin;
                m_end -= m_begin;
                m_begin = 0;
            }
            const qint64 from = m_bufferAt + m_end;
            const qint64 want = std::min(kBuffer - m_end, limit - from);
            if (want <= 0)
                return false;
            const qint64 got = readAt(fd, m_buffer.get() + m_end, want, from);
            if (got <= 0)
                return false;
            m_end += got;
        }
    }

private:
    std::unique_ptr<char[]> m_buffer;
    qint64 m_bufferAt = 0; // where the buffer's first byte is in the file
    qint64 m_begin = 0;    // the bytes not yet handed out
    qint64 m_end = 0;
    qint64 m_position = 0;
    bool m_overlong = false;
};

RecordDates::RecordDates(const QString &resultsPath)
    : m_resultsName(FilePath::encode(resultsPath)), m_datesName(DatesFile::nameFor(m_resultsName)),
      m_scanLines(std::make_unique<Lines>()), m_lines(std::make_unique<Lines>())
{
}

RecordDates::~RecordDates() = default;

// A dates file seen anew: nothing of it was looked at yet.
void RecordDates::forget()
{
    m_known = false;
    m_scanLines = std::make_unique<Lines>();
    m_scanned = m_maxEnd = 0;
    m_tail.clear();
    m_cuts.clear();
    m_cutMin.clear();
    m_useless = false;
    m_lines = std::make_unique<Lines>();
    m_nextCut = 0;
    m_line.reset();
}

bool RecordDates::look()
{
    m_dates = OpenedFile(m_datesName, O_RDONLY);
    if (!m_dates.isPlain()) {
        // Gone, or never there: what it dated stays dated.
        m_dates = OpenedFile();
        return !m_broken;
    }
    const struct stat &status = m_dates.status();
    const bool changed = m_known && (status.st_dev != m_device || status.st_ino != m_inode ||
                                     status.st_size < m_scanned || !tailStillThere());
    if (!m_known || changed) {
        // Records that only wait for their lines take them from the new file; any record
        // given up on without it is matched again.
        m_broken = m_broken || m_decidedEnd > 0;
        forget();
    }
    m_known = true;
    m_device = status.st_dev;
    m_inode = status.st_ino;
    m_datesSize = status.st_size;
    scan();
    return !m_broken;
}

void RecordDates::startOver()
{
    m_lines = std::make_unique<Lines>();
    m_nextCut = 0;
    m_line.reset();
    m_waiting.clear();
    m_decidedEnd = 0;
    m_broken = false;
    m_late.clear();
}

// Reads the lines written since the last scan for those that void earlier ones.
void RecordDates::scan()
{
    std::string_view text;
    qint64 at = 0;
    const size_t cuts = m_cuts.size();
    m_scanLines->rewind();
    while (!m_useless && m_scanLines->next(m_dates.fd(), m_datesSize, text, at)) {
        const auto line = DatesFile::parsePlace(text);
        if (!line)
            continue;
        if (line->offset < m_maxEnd)
            addCut(at, line->offset);
        m_maxEnd = line->offset + line->length;
    }
    m_scanned = m_scanLines->position();
    const qint64 tail = std::min(kTailCheck, m_scanned);
    m_tail.resize(tail);
    if (tail > 0 && readAt(m_dates.fd(), m_tail.data(), tail, m_scanned - tail) != tail)
        m_tail.clear();
    if (m_cuts.size() == cuts)
        return;
    m_cutMin.resize(m_cuts.size());
    qint64 least = std::numeric_limits<qint64>::max();
    for (size_t i = m_cuts.size(); i-- > 0;)
        m_cutMin[i] = least = std::min(least, m_cuts[i].offset);
    // The line read ahead may be one that is void now.
    if (m_line && voided(m_linePosition, m_line->offset + m_line->length))
        m_line.reset();
}

void RecordDates::addCut(qint64 position, qint64 offset)
{
    // A record before the cut has its date, or has none for good, by lines this one voids.
    m_broken = m_broken || offset < m_decidedEnd;
    m_cuts.push_back({position, offset});
    if (m_cuts.size() > size_t(kMaxCuts)) {
        m_useless = true;
        m_cuts.clear();
        m_cutMin.clear();
        m_line.reset();
        m_waiting.clear();
    }
}

bool RecordDates::voided(qint64 position, qint64 end)
{
    while (m_nextCut < m_cuts.size() && m_cuts[m_nextCut].position <= position)
        ++m_nextCut;
    return m_nextCut < m_cuts.size() && end > m_cutMin[m_nextCut];
}

// The next line that holds, of those the scan has looked at.
bool RecordDates::nextLine()
{
    if (m_dates.fd() < 0 || m_useless)
        return false;
    std::string_view text;
    qint64 at = 0;
    while (m_lines->next(m_dates.fd(), m_scanned, text, at)) {
        const auto line = DatesFile::parse(text);
        if (!line || voided(at, line->offset + line->length))
            continue;
        m_line = line;
        m_linePosition = at;
        return true;
    }
    return false;
}

std::optional<RecordDates::Stamp> RecordDates::record(const LinePlace &place,
                                                      std::string_view bytes)
{
    if (!place.ended || m_useless)
        return {};
    // Without a dates file nothing waits: one that comes has the file read again.
    if (m_dates.fd() < 0) {
        decide(place.end);
        return {};
    }
    for (;;) {
        if (!m_line && !nextLine()) {
            if (m_waiting.size() >= size_t(kMaxWaiting)) {
                decide(m_waiting.front().end);
                m_waiting.pop_front();
            }
            m_waiting.push_back({place.start, place.end, place.number});
            return {};
        }
        if (!m_waiting.empty()) {
            matchWaiting();
            continue;
        }
        const DatesFile::Line line = *m_line;
        if (line.offset < place.start) {
            m_line.reset(); // the place of no record read: inside a line, or a skipped one
            continue;
        }
        decide(place.end);
        if (line.offset > place.start)
            return {};
        m_line.reset();
        if (!agrees(place.start, place.end, line, bytes))
            return {};
        return Stamp{line.seconds, line.utcOffset, line.host};
    }
}

// The line read ahead against the records that wait: those before its place wait in vain, the
// one at its place is dated if it agrees. A line past them all stays for the records to come.
void RecordDates::matchWaiting()
{
    const DatesFile::Line line = *m_line;
    while (!m_waiting.empty() && m_waiting.front().start < line.offset) {
        decide(m_waiting.front().end);
        m_waiting.pop_front();
    }
    if (m_waiting.empty())
        return;
    m_line.reset();
    const Waiting record = m_waiting.front();
    if (record.start != line.offset)
        return;
    m_waiting.pop_front();
    decide(record.end);
    if (agrees(record.start, record.end, line, {}))
        m_late.push_back({record.line, line.seconds, line.utcOffset,
                          QByteArray(line.host.data(), qsizetype(line.host.size()))});
}

// Whether the line agrees with the record from `start` to `end`: its length, and the checksum of
// the record's bytes as read, or else as the results file holds them now.
bool RecordDates::agrees(qint64 start, qint64 end, const DatesFile::Line &line,
                         std::string_view bytes)
{
    if (line.length != end - start)
        return false;
    if (!bytes.empty())
        return Crc32::of(bytes) == line.crc;
    if (m_results.fd() < 0)
        m_results = OpenedFile(m_resultsName, O_RDONLY);
    if (!m_results.isPlain())
        return false;
    char buffer[4096];
    quint32 sum = 0;
    for (qint64 done = 0; done < line.length;) {
        const qint64 got =
            readAt(m_results.fd(), buffer, std::min<qint64>(sizeof buffer, line.length - done),
                   start + done);
        if (got <= 0)
            return false;
        sum = Crc32::of(std::string_view(buffer, size_t(got)), sum);
        done += got;
    }
    return sum == line.crc;
}

std::vector<RecordDates::Late> RecordDates::lateDates()
{
    if (m_dates.fd() >= 0 && !m_broken) {
        // The lines written while the results file was read.
        struct stat status = {};
        if (::fstat(m_dates.fd(), &status) == 0 && status.st_size >= m_datesSize) {
            m_datesSize = status.st_size;
            scan();
        }
        while (!m_broken && !m_waiting.empty() && (m_line || nextLine()))
            matchWaiting();
    }
    // Between looks only where to read on is kept: no buffer, and no line that points into one.
    if (m_line)
        m_lines->rewindTo(m_linePosition);
    else
        m_lines->rewind();
    m_line.reset();
    m_scanLines->rewind();
    m_dates = OpenedFile();
    m_results = OpenedFile();
    return std::exchange(m_late, {});
}

// A dates file rewritten in place, at least as long as before, still shows itself in the bytes
// just before where the scan stopped.
bool RecordDates::tailStillThere() const
{
    const qint64 tail = m_tail.size();
    if (tail != std::min(kTailCheck, m_scanned))
        return false;
    if (tail == 0)
        return true;
    QByteArray now(tail, Qt::Uninitialized);
    return readAt(m_dates.fd(), now.data(), tail, m_scanned - tail) == tail && now == m_tail;
}
