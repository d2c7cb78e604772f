#pragma once

#include "journalperiod.h"

#include <QStringList>

class ClassList;
class QIODevice;

// The journal without a window, for scripts: every record of the files into one CSV file, with
// the file and line it came from, the total with a period, when and where it was saved, and why
// it is doubtful (see RecordsCsv); or, for a name that ends in .xlsx (in any case), into the
// workbook the journal's window saves, its pupils made of the records read (see
// WorkbookWriter). Only the records of `period`, when one is given. A file named twice, by
// whatever path or link, is read once.
class JournalExport
{
public:
    enum Status { AllRead = 0, FileUnreadable = 1, Refused = 2 };

    // Skipped lines go to `errors` as "FILE:LINE: reason", one a line, and so does every file
    // that could not be read, with names as their bytes (FilePath::printable). The CSV is
    // written whole or not at all (see OutputFile); "-" is standard output. A CSV file that is
    // one of `files`, or a link another user planted in a shared folder, is Refused before
    // anything is read or written, and so is standard error sent to one of `files` (without a
    // word: there is nowhere to say it). When a file could not be read, or the CSV file could
    // not be written, the status is FileUnreadable and a CSV file is not written at all: one
    // that was there stays as it was. Standard output, a device or a pipe have then had every
    // record of the files that could be read. With a class list, a column before the last marks
    // the pupils on it, and the listed pupils without a record follow (ClassMarks); the
    // workbook's pupils are then the list's. A workbook is written once every file is read, as
    // its first sheet, the pupils, is made of them all; the records are held meanwhile as the
    // window holds them.
    static Status run(const QStringList &files, const QString &csvPath, QIODevice &errors,
                      const JournalPeriod &period = {}, const ClassList *classList = nullptr);
};
