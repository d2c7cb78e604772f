#include "journalloader.h"

#include "courserules.h"

#include <QDateTime>
#include <QTimer>
#include <cstring>
#include <exception>
#include <limits>

namespace {

// A file's end where it has not been read yet.
constexpr qint64 kNotRead = std::numeric_limits<qint64>::max();

} // namespace

// Gathers the lines of one file into batches, with their dates.
class JournalLoader::BatchSink : public FileFollower::Sink
{
public:
    // `startOver`: the file is read again from its start, as its dates asked.
    BatchSink(JournalLoader &loader, quint16 file, const FileFollower &follower, bool &dropped,
              RecordDates &dates, qint64 openedEnd, bool startOver)
        : m_loader(loader), m_file(file), m_follower(follower), m_dropped(dropped), m_dates(dates),
          m_openedEnd(openedEnd)
    {
        fresh();
        m_batch->startOver = startOver;
        const QDateTime now = QDateTime::currentDateTime();
        m_now = now.toSecsSinceEpoch();
        m_nowOffset = qint16(now.offsetFromUtc() / 60);
    }
    // Gone because memory ran out, it hands out nothing more: that would want memory too.
    ~BatchSink() override
    {
        if (std::uncaught_exceptions() == 0)
            flush();
    }

    // Where the file's first reading ended, once this look was one.
    qint64 openedEnd() const { return m_openedEnd == kNotRead ? m_readEnd : m_openedEnd; }

    void startedOver() override
    {
        flush();
        m_batch->startOver = true;
        // Replaced or cut shorter, the file is read as if opened now.
        m_dates.startOver();
        m_openedEnd = kNotRead;
        m_readEnd = 0;
    }
    // Records read before, dated since.
    void takeLateDates()
    {
        for (const RecordDates::Late &late : m_dates.lateDates())
            m_batch->dated.push_back(
                {lineNumber(late.line),
                 m_loader.hostId(std::string_view(late.host.constData(), size_t(late.host.size())),
                                 m_batch->hosts),
                 late.utcOffset, late.seconds});
    }
    void lastLineVoided() override
    {
        flush();
        m_batch->voidUnended = true;
    }
    void lockWaited(bool waiting) override { emit m_loader.lockWaited(m_file, waiting); }
    void record(const LinePlace &place, const LineRecord &line) override
    {
        JournalRecord record;
        record.total = line.total;
        record.line = lineNumber(place.number);
        record.name = m_loader.nameId(line, m_batch->names);
        record.scores = line.scores;
        record.file = m_file;
        record.unended = !place.ended;
        record.doubts = CourseRules::doubts(line.scores, line.total);
        record.arrived = place.start >= m_openedEnd;
        if (const auto stamp = m_dates.record(place, line.bytes)) {
            record.when = stamp->seconds;
            record.utcOffset = stamp->utcOffset;
            record.host = m_loader.hostId(stamp->host, m_batch->hosts);
            record.dating = JournalRecord::Dating::Exact;
        } else if (record.arrived) {
            record.when = m_now;
            record.utcOffset = m_nowOffset;
            record.dating = JournalRecord::Dating::Seen;
        }
        m_readEnd = place.end;
        m_batch->records.push_back(record);
        if (m_batch->records.size() >= kBatchRecords)
            flushWithProgress(place);
    }
    void skipped(const LinePlace &place, LineFault fault, const LineHead &head) override
    {
        SkippedLine line;
        line.line = place.number;
        line.textAt = quint32(m_batch->skippedText.size());
        line.textSize = quint8(head.bytes.size());
        line.cut = head.cut;
        line.encoding = head.encoding;
        line.fault = fault;
        line.file = m_file;
        line.unended = !place.ended;
        m_readEnd = place.end;
        m_batch->skipped.push_back(line);
        m_batch->skippedText.append(head.bytes.data(), qsizetype(head.bytes.size()));
        if (m_batch->skipped.size() >= kBatchRecords || m_batch->skippedText.size() >= kBatchText)
            flushWithProgress(place);
    }

private:
    static quint32 lineNumber(qint64 number)
    {
        return quint32(std::min<qint64>(number, std::numeric_limits<quint32>::max()));
    }
    void fresh()
    {
        m_batch = m_loader.spareBatch();
        m_batch->file = m_file;
        m_batch->records.reserve(kBatchRecords);
    }
    void flushWithProgress(const LinePlace &place)
    {
        flush();
        emit m_loader.progress(m_file, place.end, m_follower.size());
    }
    void flush()
    {
        if (m_batch->records.empty() && m_batch->skipped.empty() && m_batch->names.isEmpty() &&
            m_batch->dated.empty() && !m_batch->startOver && !m_batch->voidUnended)
            return;
        while (!m_loader.m_ahead.tryAcquire(1, 50)) {
            if (m_loader.m_cancel.load()) {
                m_dropped = true; // the window is going, or reading is cancelled
                return;
            }
        }
        emit m_loader.batchReady(std::move(m_batch));
        fresh();
    }

    JournalLoader &m_loader;
    quint16 m_file;
    const FileFollower &m_follower;
    bool &m_dropped;
    std::shared_ptr<JournalBatch> m_batch;
    RecordDates &m_dates;
    qint64 m_openedEnd;
    qint64 m_readEnd = 0;
    qint64 m_now = 0;
    qint16 m_nowOffset = 0;
};

JournalLoader::JournalLoader(std::chrono::milliseconds settle, const FileFollower::Clock *clock,
                             QObject *parent)
    : QObject(parent), m_settle(settle), m_clock(clock)
{
}

JournalLoader::~JournalLoader() = default;

void JournalLoader::batchTaken(std::shared_ptr<JournalBatch> batch)
{
    m_ahead.release();
    std::vector<JournalRecord> records = std::move(batch->records);
    records.clear();
    *batch = JournalBatch();
    batch->records = std::move(records);
    const QMutexLocker locker(&m_spareLock);
    if (m_spare.size() < size_t(kBatchesAhead) + 1)
        m_spare.push_back(std::move(batch));
}

std::shared_ptr<JournalBatch> JournalLoader::spareBatch()
{
    const QMutexLocker locker(&m_spareLock);
    if (m_spare.empty())
        return std::make_shared<JournalBatch>();
    std::shared_ptr<JournalBatch> batch = std::move(m_spare.back());
    m_spare.pop_back();
    return batch;
}

void JournalLoader::addFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (m_files.size() >= size_t(kMaxFiles))
            break;
        m_files.push_back(std::make_unique<FileFollower>(path, m_settle, m_clock));
        m_dates.push_back(std::make_unique<RecordDates>(path));
        m_openedEnd.push_back(kNotRead);
        m_reported.emplace_back();
    }
    lookAtAll();
}

void JournalLoader::closeFile(int file)
{
    if (file >= 0 && size_t(file) < m_files.size()) {
        m_files[size_t(file)].reset();
        m_dates[size_t(file)].reset();
    }
}

void JournalLoader::follow()
{
    if (!m_timer) {
        // Made here, so that it lives in the thread the loader was moved to.
        m_timer = new QTimer(this);
        m_timer->setSingleShot(true);
        m_timer->setInterval(kLookInterval);
        connect(m_timer, &QTimer::timeout, this, &JournalLoader::lookAtAll);
    }
    m_timer->start();
}

void JournalLoader::lookAtAll()
{
    for (size_t i = 0; i < m_files.size(); ++i) {
        if (!m_files[i])
            continue;
        // Dates given before that no longer hold: the file is read again from its start.
        RecordDates &dates = *m_dates[i];
        const bool startOver =
            m_files[i]->state() != FileFollower::State::Cancelled && !dates.look();
        if (startOver) {
            m_files[i] = std::make_unique<FileFollower>(m_files[i]->path(), m_settle, m_clock);
            dates.startOver();
        }
        FileFollower &follower = *m_files[i];
        FileFollower::State state;
        bool dropped = false;
        {
            BatchSink sink(*this, quint16(i), follower, dropped, dates, m_openedEnd[i], startOver);
            state = follower.poll(sink, &m_cancel);
            sink.takeLateDates();
            m_openedEnd[i] = sink.openedEnd();
        }
        // What the window did not get is gone: the file is no longer followed, rather than
        // followed with a gap.
        if (dropped)
            state = follower.stop();
        const Reported now{state, follower.problem(), follower.encodings()};
        if (now != m_reported[i]) {
            m_reported[i] = now;
            emit fileStateChanged(int(i), state, now.problem, now.encodings);
        }
    }
    m_cancel.store(false);
    emit lookDone();
    if (m_timer)
        m_timer->start();
}

quint32 JournalLoader::nameId(const LineRecord &line, QStringList &newNames)
{
    // Most lines in a row are not the same pupil, but the look-up must not copy the bytes.
    QHash<QByteArray, quint32> &ids = m_nameIds[size_t(line.encoding) * 2 + line.nameCut];
    const QByteArray key = QByteArray::fromRawData(line.name.data(), qsizetype(line.name.size()));
    const auto found = ids.constFind(key);
    if (found != ids.cend())
        return found.value();
    const quint32 id = m_nameCount++;
    ids.insert(QByteArray(line.name.data(), qsizetype(line.name.size())), id);
    newNames.append(EncodingGuess::text(line.encoding, m_codePage, line.name, line.nameCut));
    return id;
}

quint16 JournalLoader::hostId(std::string_view bytes, QStringList &newHosts)
{
    // "-": the computer had no name.
    if (bytes.empty() || bytes == "-")
        return 0;
    // Every dated record asks: a few dozen names are looked up first where a cheap number from
    // the name's ends places them, which costs less than hashing the whole name.
    quint64 ends[2] = {};
    std::memcpy(&ends[0], bytes.data(), std::min<size_t>(bytes.size(), 8));
    std::memcpy(&ends[1], bytes.data() + bytes.size() - std::min<size_t>(bytes.size(), 8),
                std::min<size_t>(bytes.size(), 8));
    HostSeen &seen = m_hostsSeen[((ends[0] ^ ends[1] * 31 ^ bytes.size()) * 0x9E3779B97F4A7C15u) >>
                                 (64 - kHostsSeenBits)];
    if (seen.id != 0 && seen.name == QByteArrayView(bytes.data(), qsizetype(bytes.size())))
        return seen.id;
    const QByteArray key = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    if (const auto found = m_hostIds.constFind(key); found != m_hostIds.cend()) {
        seen = {found.key(), found.value()};
        return found.value();
    }
    // A class has a few dozen computers; a dates file that names more stops naming them.
    if (m_hostIds.size() >= std::numeric_limits<quint16>::max())
        return 0;
    const auto id = quint16(m_hostIds.size() + 1);
    m_hostIds.insert(QByteArray(bytes.data(), qsizetype(bytes.size())), id);
    newHosts.append(QString::fromUtf8(key));
    return id;
}
