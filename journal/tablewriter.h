#pragma once

#include <QModelIndexList>
#include <QString>

class JournalFilter;
class QAbstractItemModel;
class RecordsModel;

// The journal's tables written out as their filter shows them: into a CSV file for a
// spreadsheet, or the selected rows as tab-separated text for the clipboard. The records go into
// a CSV file in the layout --export writes (RecordsCsv); another table as its cells are shown,
// under its headings, the columns people typed (JournalTable::TypedRole) as text that is never
// read as a formula.
class TableWriter
{
public:
    // What `shown` keeps of its table, `records` or one made from them, as CSV into `path`;
    // false, with the reason, when it was not saved. The file is written whole or not at all,
    // and never over one of the records' files (see CsvFile).
    static bool saveCsv(const JournalFilter &shown, const RecordsModel &records,
                        const QString &path, QString *problem = nullptr);

    // A row of headings, then a line for each of `rows` (in the table's order) with its cells as
    // shown, between tabs.
    static QString copiedRows(const QAbstractItemModel &shown, QModelIndexList rows);

    // A column's heading on one line, as the table shows it in one or two.
    static QString heading(const QAbstractItemModel &table, int column);
};
