#pragma once

#include "cp1251.h"
#include "filefollower.h"
#include "journalbatch.h"
#include "recorddates.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSemaphore>
#include <QStringList>
#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

class QTimer;

// Reads the journal's files on a thread of its own and hands what it read to the window in
// batches; then looks at every file again twice a second for lines that were added. Each file's
// dates file is looked at with it, each time (see RecordDates). Records appended after a file's
// first reading are marked as arrived, and those without a date get the time they were seen.
// The window talks to it only through queued calls and signals, and cancel(), which any thread
// may call.
class JournalLoader : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxFiles = 65535;
    static constexpr int kLookInterval = 500; // ms
    static constexpr size_t kBatchRecords = 1 << 16;
    // The starts of skipped lines a batch holds at most, beside kBatchRecords lines.
    static constexpr qsizetype kBatchText = 1 << 20;
    static constexpr int kBatchesAhead = 2;

    // Lines without their line end wait `settle` (see FileFollower), on `clock` (the system's
    // when null), which must outlive the loader.
    explicit JournalLoader(std::chrono::milliseconds settle = FileFollower::kSettle,
                           const FileFollower::Clock *clock = nullptr, QObject *parent = nullptr);
    ~JournalLoader() override;

    // Adds files to follow (beyond kMaxFiles they are refused) and looks at every file.
    void addFiles(const QStringList &paths);
    // No longer follows the file; it keeps its number, and nothing more comes of it.
    void closeFile(int file);
    // From now on looks at every file every kLookInterval ms.
    void follow();
    // Looks at every file once.
    void lookAtAll();
    // Stops the reads under way; the files they were reading are no longer followed.
    void cancel() { m_cancel.store(true); }
    // The window took a batch in, and gives it back to be filled again. Reading waits while
    // kBatchesAhead batches are not yet taken, so that a fast reader does not pile up a slow
    // window's memory.
    void batchTaken(std::shared_ptr<JournalBatch> batch);

signals:
    void batchReady(std::shared_ptr<JournalBatch> batch);
    // Also when names of a file are found to be in another encoding than before.
    void fileStateChanged(int file, FileFollower::State state, const QString &problem,
                          FileEncodings encodings);
    // Another program holds the file's lock, and its reading waits; then, with `false`, no
    // longer.
    void lockWaited(int file, bool waiting);
    // Bytes read of the file being read, and its size.
    void progress(int file, qint64 done, qint64 size);
    // Every file has been looked at.
    void lookDone();

private:
    class BatchSink;
    struct Reported
    {
        FileFollower::State state = FileFollower::State::Unread;
        QString problem;
        FileEncodings encodings;
        bool operator==(const Reported &) const = default;
    };

    std::shared_ptr<JournalBatch> spareBatch();
    quint32 nameId(const LineRecord &line, QStringList &newNames);
    quint16 hostId(std::string_view bytes, QStringList &newHosts);

    std::chrono::milliseconds m_settle;
    const FileFollower::Clock *m_clock;
    std::vector<std::unique_ptr<FileFollower>> m_files;
    std::vector<std::unique_ptr<RecordDates>> m_dates;
    // Where each file ended when it was first read; records from there on arrived since.
    std::vector<qint64> m_openedEnd;
    std::vector<Reported> m_reported;
    // By the name's bytes, a table for each encoding, of whole names and of names cut short:
    // the same bytes read otherwise are another name.
    std::array<QHash<QByteArray, quint32>, 4> m_nameIds;
    quint32 m_nameCount = 0;
    QHash<QByteArray, quint16> m_hostIds;
    static constexpr int kHostsSeenBits = 8;
    struct HostSeen
    {
        QByteArray name;
        quint16 id = 0;
    };
    std::array<HostSeen, 1 << kHostsSeenBits> m_hostsSeen;
    Cp1251 m_codePage;
    std::atomic_bool m_cancel = false;
    QSemaphore m_ahead{kBatchesAhead};
    // Batches to fill again: their memory is already there, where a new one would fault in
    // its pages anew.
    QMutex m_spareLock;
    std::vector<std::shared_ptr<JournalBatch>> m_spare;
    QTimer *m_timer = nullptr;
};
