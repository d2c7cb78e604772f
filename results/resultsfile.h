#pragma once

#include "filelock.h"
#include "resultlist.h"
#include "resultrecord.h"

#include <QByteArray>
#include <QString>
#include <chrono>

// The results file: one line per record in the single-byte Cyrillic code page, only ever
// appended to. Every operation opens the file, takes an advisory lock, and closes it again, so
// that programs sharing one file (a classroom's shared folder) never see or leave half a line.
class ResultsFile
{
public:
    static constexpr std::chrono::milliseconds kLockWait = FileLock::kWait;

    // The relative name is looked up in the working directory at each operation.
    explicit ResultsFile(QString path = QStringLiteral("res.txt"),
                         std::chrono::milliseconds lockWait = kLockWait);

    const QString &path() const { return m_path; }

    // Every record of the file (the newest nine kept). Throws ResultsFailure when the file is
    // missing, is not a plain file, stays locked by another program, cannot be read, or holds a
    // record that cannot be read.
    ResultList LoadResults() const;

    // Appends one line with a single write and waits until it is on the disk. Throws
    // AppendFailure, with the reason, when the line could not be written whole or stored; such a
    // line is taken back.
    void AppendResult(const ResultRecord &record) const;

    // The line for a record, byte for byte, CR LF included.
    static QByteArray formatLine(const ResultRecord &record);

private:
    QString m_path;
    std::chrono::milliseconds m_lockWait;
};
