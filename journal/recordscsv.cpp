#include "recordscsv.h"

#include "csvwriter.h"
#include "doubtmarks.h"
#include "totaltext.h"

#include <algorithm>

void RecordsCsv::writeTitles(CsvWriter &csv, bool listed)
{
    for (int column : kColumns)
        csv.addText(RecordsModel::title(column));
    if (listed)
        csv.addText(QStringLiteral("В списке"));
    csv.addText(DoubtMarks::heading());
    csv.endRow();
}

void RecordsCsv::writeRow(CsvWriter &csv, const Row &row, char point)
{
    for (int column : kColumns) {
        switch (column) {
        case RecordsModel::File:
            csv.addField(row.file);
            break;
        case RecordsModel::Line:
            csv.addNumber(row.line);
            break;
        case RecordsModel::Name:
            csv.addField(row.name);
            break;
        case RecordsModel::When:
            csv.addField(row.when);
            break;
        case RecordsModel::Host:
            csv.addField(row.host);
            break;
        case RecordsModel::Total: {
            char total[kTotalChars];
            char *const end = writeTotal(row.total, total);
            std::replace(total, end, '.', point);
            csv.addField(QByteArrayView(total, end - total));
            break;
        }
        default:
            csv.addNumber(row.scores[size_t(column - RecordsModel::Left)]);
        }
    }
    if (!row.listed.isNull())
        csv.addField(row.listed);
    csv.addField(row.reason);
    csv.endRow();
}

void RecordsCsv::writeAbsent(CsvWriter &csv, QByteArrayView name)
{
    for (int column : kColumns)
        csv.addField(column == RecordsModel::Name ? name : QByteArrayView(""));
    csv.addField("нет попыток");
    csv.addField("");
    csv.endRow();
}
