#pragma once

#include <QString>

class JournalFilter;
class PupilsModel;
class RecordsModel;

// The counts in the journal's status bar, of the period: «Записей: 12 из 40 · учеников: 25 ·
// без попыток: 2 из 25 · подозрительных: 1, не учтены · вне периода: 28, из них без даты: 3».
// The pupils without attempts are counted against the class list, when there is one; the
// doubtful records are said to be counted in the pupils' summaries or not.
namespace JournalSummary {

QString text(const RecordsModel &records, const JournalFilter &recordsShown,
             const PupilsModel &pupils, const JournalFilter &pupilsShown);

} // namespace JournalSummary
