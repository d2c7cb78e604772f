#pragma once

// results/: the results files, on Qt Core alone. Reading them, strictly for the results table
// (ResultsParser::parse) and leniently for the journal (readLines, FileFollower), appending to
// them, locks, paths as bytes, Windows-1251, the total's text, the course's rules and the
// system's errors in Russian. Nothing here knows a window.

#include "filelock.h"
#include "resultlist.h"
#include "resultrecord.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>

// The results file: one line per record in the single-byte Cyrillic code page, only ever
// appended to. Every operation opens the file, takes an advisory lock, and closes it again, so
// that programs sharing one file (a classroom's shared folder) never see or leave half a line.
class ResultsFile
{
public:
    // How long one request (the course's read and append together) waits in all for other
    // programs' locks: a pupil should not face a dead window for longer.
    static constexpr std::chrono::milliseconds kLockWait{3000};

    // Waits until what was written to `fd` is on the disk; returns 0 or the error number.
    using Sync = std::function<int(int fd)>;

    // The relative name is looked up in the working directory at each operation.
    explicit ResultsFile(QString path = QStringLiteral("res.txt"),
                         std::chrono::milliseconds lockWait = kLockWait);

    const QString &path() const { return m_path; }

    // The wait of one request, from now; `meanwhile` is called between tries for a lock.
    FileLock::Wait startWait(std::function<void()> meanwhile = {}) const;

    // Every record of the file (the newest nine kept), or of a large one the newest (see
    // ResultsTail). Throws ResultsFailure when the file is missing, is not a plain file, stays
    // locked by another program, cannot be read, or holds a record that cannot be read.
    ResultList LoadResults(const FileLock::Wait &wait) const;
    ResultList LoadResults() const { return LoadResults(startWait()); }

    // Appends one line with a single write and waits until it is on the disk. The line always
    // starts a line of its own: after a last line without its line end, the line end comes
    // first in the same write. Throws AppendFailure, with the reason, when the line could not be
    // written whole or stored; such a line is taken back. A line saved is then dated, under the
    // same lock, in the dates file beside (see DatesFile); a date that cannot be written is said
    // on standard error, and the line stays saved, undated.
    void AppendResult(const ResultRecord &record, const FileLock::Wait &wait) const;
    void AppendResult(const ResultRecord &record) const { AppendResult(record, startWait()); }

    // Replaces the wait for the disk (fdatasync); tests make it fail.
    void setSync(Sync sync) { m_sync = std::move(sync); }

    // The line for a record, byte for byte, CR LF included.
    static QByteArray formatLine(const ResultRecord &record);

private:
    QString m_path;
    std::chrono::milliseconds m_lockWait;
    Sync m_sync;
};
