#pragma once

#include "recordsmodel.h"

#include <QByteArrayView>
#include <array>

class CsvWriter;

// The records as CSV, one layout for the journal's «Сохранить записи в CSV» and for --export,
// which scripts read: the file and the line, the name, the six scores, and the total with a
// period (or a comma, for a spreadsheet that reads one); then, after those ten, which stay as
// they are, when the attempt was saved (ISO 8601 with the offset from UTC, empty when undated)
// and on which computer; in --export with a class list, whether the pupil is on it
// (ClassMarks); last, why the course cannot have written the record, empty when it can.
namespace RecordsCsv {

constexpr std::array<int, RecordsModel::ColumnCount> kColumns = {
    RecordsModel::File,  RecordsModel::Line,   RecordsModel::Name, RecordsModel::Left,
    RecordsModel::Right, RecordsModel::Double, RecordsModel::Move, RecordsModel::Game1,
    RecordsModel::Game2, RecordsModel::Total,  RecordsModel::When, RecordsModel::Host};

// The file, the name, the computer and the reason as CsvWriter::textField makes them.
struct Row
{
    QByteArrayView file;
    qint64 line = 0;
    QByteArrayView name;
    std::array<qint16, 6> scores{};
    double total = 0;
    QByteArrayView when; // see RecordsModel::isoWhen
    QByteArrayView host;
    QByteArrayView reason;
    QByteArrayView listed = {}; // with a class list: «да», «нет»; null without one
};

void writeTitles(CsvWriter &csv, bool listed = false);
// `point`: the total's decimal point.
void writeRow(CsvWriter &csv, const Row &row, char point = '.');
// A pupil of the class list with no record: the name alone, and «нет попыток» as the mark.
void writeAbsent(CsvWriter &csv, QByteArrayView name);

} // namespace RecordsCsv
