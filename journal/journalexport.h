#pragma once

#include <QStringList>

class QTextStream;

// The journal without a window, for scripts: every record of the files into one CSV file, with
// the file and line it came from and the total with a period.
class JournalExport
{
public:
    enum Status { AllRead = 0, FileUnreadable = 1 };

    // Skipped lines go to `errors` as "FILE:LINE: reason", one a line, and so does every file
    // that could not be read. The CSV is written whole or not at all.
    static Status run(const QStringList &files, const QString &csvPath, QTextStream &errors);
};
