#pragma once

#include <QLocale>
#include <QString>
#include <utility>
#include <vector>

class JournalFilter;
class QAbstractItemModel;
class QItemSelection;
class RecordsModel;

// The journal's tables written out as their filter shows them: into a CSV file for a
// spreadsheet, or the selected rows as tab-separated text for the clipboard. The records go into
// a CSV file in the columns --export writes (RecordsCsv), with the files named as the table
// names them; another table as its cells are shown, under its headings, the columns people typed
// (JournalTable::TypedRole) as text that is never read as a formula, and the numbers as a
// spreadsheet reads them. Either ends with why a row is doubtful (DoubtMarks).
class TableWriter
{
public:
    // How a spreadsheet in a locale reads CSV on a double click: where its decimal point is a
    // comma, fields between semicolons and a decimal comma; elsewhere between commas, with a
    // period.
    struct CsvForm
    {
        char separator = ',';
        char point = '.';
    };
    static CsvForm csvForm(const QLocale &locale);

    // What `shown` keeps of its table, `records` or one made from them, as CSV into `path` in
    // the form of this locale; false, with the reason, when it was not saved. The file is
    // written whole or not at all, and never over one of the records' files (see OutputFile).
    static bool saveCsv(const JournalFilter &shown, const RecordsModel &records,
                        const QString &path, QString *problem = nullptr);

    // The rows a selection holds, as runs of rows from the first to the last, in the table's
    // order and each row once; worked out from the selection's ranges, not row by row.
    using Rows = std::vector<std::pair<int, int>>;
    static Rows selectedRows(const QItemSelection &selection);
    static qint64 count(const Rows &rows);

    // A row of headings, then a line for each of `rows` with its cells as shown, between tabs.
    static QString copiedRows(const QAbstractItemModel &shown, const Rows &rows);

    // A column's heading on one line, as the table shows it in one or two.
    static QString heading(const QAbstractItemModel &table, int column);
};
