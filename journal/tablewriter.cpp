#include "tablewriter.h"

#include "csvwriter.h"
#include "doubtmarks.h"
#include "journalfilter.h"
#include "journaltable.h"
#include "outputfile.h"
#include "recordscsv.h"
#include "recordsmodel.h"
#include "shownnumber.h"

#include <QHash>
#include <QItemSelection>
#include <algorithm>
#include <vector>

namespace {

void writeRecords(CsvWriter &csv, const JournalFilter &shown, const RecordsModel &records,
                  TableWriter::CsvForm form)
{
    // Names and file names are typed by people; a name is made a field once.
    std::vector<QByteArray> names(size_t(records.nameCount()));
    QHash<quint16, QByteArray> hosts;
    std::vector<QByteArray> files;
    for (int each = 0; each < records.fileCount(); ++each)
        files.push_back(CsvWriter::textField(records.fileLabel(each)));
    RecordsCsv::writeTitles(csv);
    for (int row = 0; row < shown.rowCount(); ++row) {
        const JournalRecord &record = records.record(shown.mapToSource(shown.index(row, 0)).row());
        QByteArray &name = names[record.name];
        if (name.isNull())
            name = CsvWriter::textField(records.name(record.name));
        QByteArray &host = hosts[record.host];
        if (host.isNull())
            host = CsvWriter::textField(records.hostName(record.host));
        const QByteArray reason = record.doubts == 0
                                      ? QByteArray()
                                      : CsvWriter::textField(DoubtMarks::recordReason(record));
        RecordsCsv::writeRow(csv,
                             {files[record.file], record.line, name, record.scores, record.total,
                              RecordsModel::isoWhen(record), host, reason},
                             form.point);
    }
}

void writeCells(CsvWriter &csv, const JournalFilter &shown, TableWriter::CsvForm form)
{
    const int columns = shown.columnCount();
    std::vector<bool> typed;
    for (int column = 0; column < columns; ++column) {
        csv.addText(TableWriter::heading(shown, column));
        typed.push_back(shown.headerData(column, Qt::Horizontal, JournalTable::TypedRole).toBool());
    }
    csv.addText(DoubtMarks::heading());
    csv.endRow();
    const DoubtMarks doubts(shown);
    const QString point = QLocale().decimalPoint();
    for (int row = 0; row < shown.rowCount(); ++row) {
        for (int column = 0; column < columns; ++column) {
            const QString value = shown.index(row, column).data().toString();
            if (typed[size_t(column)]) {
                csv.addField(CsvWriter::textField(value));
                continue;
            }
            QByteArray number = ShownNumber::plain(value, point);
            if (number.isEmpty())
                csv.addField(CsvWriter::plainField(value));
            else
                csv.addField(number.replace('.', form.point));
        }
        csv.addText(doubts.reason(row));
        csv.endRow();
    }
}

} // namespace

bool TableWriter::saveCsv(const JournalFilter &shown, const RecordsModel &records,
                          const QString &path, QString *problem)
{
    OutputFile file;
    const auto failed = [&] {
        if (problem)
            *problem = file.errorString();
        return false;
    };
    if (file.start(path, records.openFiles()) != OutputFile::Opened::Yes)
        return failed();
    const CsvForm form = csvForm(QLocale());
    CsvWriter csv(file, form.separator);
    if (&shown.table() == &records)
        writeRecords(csv, shown, records, form);
    else
        writeCells(csv, shown, form);
    if (!csv.finish() || !file.commit())
        return failed();
    return true;
}

TableWriter::CsvForm TableWriter::csvForm(const QLocale &locale)
{
    return locale.decimalPoint() == u',' ? CsvForm{';', ','} : CsvForm{',', '.'};
}

TableWriter::Rows TableWriter::selectedRows(const QItemSelection &selection)
{
    Rows rows;
    for (const QItemSelectionRange &range : selection) {
        if (range.isValid())
            rows.emplace_back(range.top(), range.bottom());
    }
    // Ranges of different columns, or picked twice over, may hold the same rows.
    std::sort(rows.begin(), rows.end());
    Rows merged;
    for (const auto &run : rows) {
        if (!merged.empty() && run.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, run.second);
        else
            merged.push_back(run);
    }
    return merged;
}

qint64 TableWriter::count(const Rows &rows)
{
    qint64 count = 0;
    for (const auto &[first, last] : rows)
        count += last - first + 1;
    return count;
}

QString TableWriter::copiedRows(const QAbstractItemModel &shown, const Rows &rows)
{
    if (rows.empty())
        return {};
    const int columns = shown.columnCount();
    // A tab or a line end in a cell would start another cell or row.
    QString text;
    const auto add = [&text](const QString &cell) {
        const qsizetype from = text.size();
        text += cell;
        for (qsizetype at = from; at < text.size(); ++at) {
            if (text[at] == u'\t' || text[at] == u'\n' || text[at] == u'\r')
                text[at] = u' ';
        }
    };
    for (int column = 0; column < columns; ++column) {
        add(heading(shown, column));
        text += column + 1 < columns ? u'\t' : u'\n';
    }
    for (const auto &[first, last] : rows) {
        for (int row = first; row <= last; ++row) {
            for (int column = 0; column < columns; ++column) {
                add(shown.index(row, column).data().toString());
                text += column + 1 < columns ? u'\t' : u'\n';
            }
        }
    }
    return text;
}

QString TableWriter::heading(const QAbstractItemModel &table, int column)
{
    return table.headerData(column, Qt::Horizontal, Qt::DisplayRole)
        .toString()
        .replace(u'\n', u' ');
}
