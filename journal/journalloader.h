#pragma once

#include "cp1251.h"
#include "filefollower.h"
#include "journalbatch.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <atomic>
#include <memory>
#include <vector>

class QTimer;

// Reads the journal's files on a thread of its own and hands what it read to the window in
// batches; then looks at every file again twice a second for lines that were added. The
// window talks to it only through queued calls and signals, and cancel(), which any thread may
// call.
class JournalLoader : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxFiles = 65535;
    static constexpr int kLookInterval = 500; // ms
    static constexpr size_t kBatchRecords = 1 << 16;

    explicit JournalLoader(QObject *parent = nullptr);
    ~JournalLoader() override;

    // Adds files to follow (beyond kMaxFiles they are refused) and looks at every file.
    void addFiles(const QStringList &paths);
    // From now on looks at every file every kLookInterval ms.
    void follow();
    // Stops the reads under way; the files they were reading are no longer followed.
    void cancel() { m_cancel.store(true); }

signals:
    void batchReady(std::shared_ptr<JournalBatch> batch);
    void fileStateChanged(int file, FileFollower::State state, const QString &problem);
    // Bytes read of the file being read, and its size.
    void progress(int file, qint64 done, qint64 size);
    // Every file has been looked at.
    void lookDone();

private:
    class BatchSink;

    void lookAtAll();
    quint32 nameId(std::string_view bytes, QStringList &newNames);

    std::vector<std::unique_ptr<FileFollower>> m_files;
    std::vector<std::pair<FileFollower::State, QString>> m_reported;
    QHash<QByteArray, quint32> m_nameIds;
    Cp1251 m_codePage;
    std::atomic_bool m_cancel = false;
    QTimer *m_timer = nullptr;
};
