#include "tablewriter.h"

#include "csvfile.h"
#include "csvwriter.h"
#include "journalfilter.h"
#include "journaltable.h"
#include "recordscsv.h"
#include "recordsmodel.h"

#include <QHash>
#include <algorithm>
#include <vector>

namespace {

void writeRecords(CsvWriter &csv, const JournalFilter &shown, const RecordsModel &records)
{
    // Names and file names are typed by people; a name is made a field once.
    std::vector<QByteArray> names(size_t(records.nameCount()));
    QHash<quint16, QByteArray> hosts;
    std::vector<QByteArray> files;
    for (int each = 0; each < records.fileCount(); ++each)
        files.push_back(CsvWriter::textField(records.filePath(each)));
    RecordsCsv::writeTitles(csv);
    for (int row = 0; row < shown.rowCount(); ++row) {
        const JournalRecord &record = records.record(shown.mapToSource(shown.index(row, 0)).row());
        QByteArray &name = names[record.name];
        if (name.isNull())
            name = CsvWriter::textField(records.name(record.name));
        QByteArray &host = hosts[record.host];
        if (host.isNull())
            host = CsvWriter::textField(records.hostName(record.host));
        RecordsCsv::writeRow(csv, {files[record.file], record.line, name, record.scores,
                                   record.total, RecordsModel::isoWhen(record), host});
    }
}

void writeCells(CsvWriter &csv, const QAbstractItemModel &shown)
{
    const int columns = shown.columnCount();
    std::vector<bool> typed;
    for (int column = 0; column < columns; ++column) {
        csv.addText(TableWriter::heading(shown, column));
        typed.push_back(shown.headerData(column, Qt::Horizontal, JournalTable::TypedRole).toBool());
    }
    csv.endRow();
    for (int row = 0; row < shown.rowCount(); ++row) {
        for (int column = 0; column < columns; ++column) {
            const QString value = shown.index(row, column).data().toString();
            csv.addField(typed[size_t(column)] ? CsvWriter::textField(value)
                                               : CsvWriter::plainField(value));
        }
        csv.endRow();
    }
}

} // namespace

bool TableWriter::saveCsv(const JournalFilter &shown, const RecordsModel &records,
                          const QString &path, QString *problem)
{
    CsvFile file;
    const auto failed = [&] {
        if (problem)
            *problem = file.errorString();
        return false;
    };
    if (file.start(path, records.openFiles()) != CsvFile::Opened::Yes)
        return failed();
    CsvWriter csv(file);
    if (&shown.table() == &records)
        writeRecords(csv, shown, records);
    else
        writeCells(csv, shown);
    if (!csv.finish() || !file.commit())
        return failed();
    return true;
}

QString TableWriter::copiedRows(const QAbstractItemModel &shown, QModelIndexList rows)
{
    if (rows.isEmpty())
        return {};
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    // A tab or a line end in a cell would start another cell or row.
    const auto cell = [](QString text) {
        for (QChar &c : text) {
            if (c == u'\t' || c == u'\n' || c == u'\r')
                c = u' ';
        }
        return text;
    };
    QStringList lines;
    QStringList cells;
    for (int column = 0; column < shown.columnCount(); ++column)
        cells << cell(heading(shown, column));
    lines << cells.join(u'\t');
    for (const QModelIndex &row : std::as_const(rows)) {
        cells.clear();
        for (int column = 0; column < shown.columnCount(); ++column)
            cells << cell(shown.index(row.row(), column).data().toString());
        lines << cells.join(u'\t');
    }
    return lines.join(u'\n') + u'\n';
}

QString TableWriter::heading(const QAbstractItemModel &table, int column)
{
    return table.headerData(column, Qt::Horizontal, Qt::DisplayRole)
        .toString()
        .replace(u'\n', u' ');
}
