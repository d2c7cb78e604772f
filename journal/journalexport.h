#pragma once

#include "journalperiod.h"

#include <QStringList>

class QIODevice;

// The journal without a window, for scripts: every record of the files into one CSV file, with
// the file and line it came from, the total with a period, and when and where it was saved
// (see RecordsCsv); only the records of `period`, when one is given. A file named twice, by
// whatever path or link, is read once.
class JournalExport
{
public:
    enum Status { AllRead = 0, FileUnreadable = 1, Refused = 2 };

    // Skipped lines go to `errors` as "FILE:LINE: reason", one a line, and so does every file
    // that could not be read, with names as their bytes (FilePath::printable). The CSV is
    // written whole or not at all (see CsvFile); "-" is standard output. A CSV file that is one
    // of `files` is Refused before anything is read or written; a CSV file that could not be
    // written is FileUnreadable.
    static Status run(const QStringList &files, const QString &csvPath, QIODevice &errors,
                      const JournalPeriod &period = {});
};
