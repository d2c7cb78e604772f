#pragma once

#include "resultlist.h"
#include "resultrecord.h"

#include <QByteArray>
#include <QString>

// The results file: one line per record in the single-byte Cyrillic code page, only ever
// appended to. Every operation opens the file, takes an advisory lock, and closes it again, so
// that programs sharing one file (a classroom's shared folder) never see or leave half a line.
class ResultsFile
{
public:
    // The relative name is looked up in the working directory at each operation.
    explicit ResultsFile(QString path = QStringLiteral("res.txt"));

    const QString &path() const { return m_path; }

    // Every record of the file (the newest nine kept). Throws ResultsFailure when the file is
    // missing, is not a plain file, stays locked by another program, cannot be read, or holds a
    // record that cannot be read.
    ResultList LoadResults() const;

    // Appends one line with a single write. Throws AppendFailure, with the reason, when the line
    // could not be written whole; a partly written line is taken back.
    void AppendResult(const ResultRecord &record) const;

    // The line for a record, byte for byte, CR LF included.
    static QByteArray formatLine(const ResultRecord &record);

private:
    QString m_path;
};
