#include "journalloader.h"

#include "courserules.h"

#include <QTimer>
#include <exception>
#include <limits>

// Gathers the lines of one file into batches.
class JournalLoader::BatchSink : public FileFollower::Sink
{
public:
    BatchSink(JournalLoader &loader, quint16 file, const FileFollower &follower, bool &dropped)
        : m_loader(loader), m_file(file), m_follower(follower), m_dropped(dropped)
    {
        fresh();
    }
    // Gone because memory ran out, it hands out nothing more: that would want memory too.
    ~BatchSink() override
    {
        if (std::uncaught_exceptions() == 0)
            flush();
    }

    void startedOver() override
    {
        flush();
        m_batch->startOver = true;
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
        record.line = lineNumber(place);
        record.name = m_loader.nameId(line, m_batch->names);
        record.scores = line.scores;
        record.file = m_file;
        record.unended = !place.ended;
        record.doubts = CourseRules::doubts(line.scores, line.total);
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
        m_batch->skipped.push_back(line);
        m_batch->skippedText.append(head.bytes.data(), qsizetype(head.bytes.size()));
        if (m_batch->skipped.size() >= kBatchRecords || m_batch->skippedText.size() >= kBatchText)
            flushWithProgress(place);
    }

private:
    static quint32 lineNumber(const LinePlace &place)
    {
        return quint32(std::min<qint64>(place.number, std::numeric_limits<quint32>::max()));
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
            !m_batch->startOver && !m_batch->voidUnended)
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
        m_reported.emplace_back();
    }
    lookAtAll();
}

void JournalLoader::closeFile(int file)
{
    if (file >= 0 && size_t(file) < m_files.size())
        m_files[size_t(file)].reset();
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
        FileFollower &follower = *m_files[i];
        FileFollower::State state;
        bool dropped = false;
        {
            BatchSink sink(*this, quint16(i), follower, dropped);
            state = follower.poll(sink, &m_cancel);
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
