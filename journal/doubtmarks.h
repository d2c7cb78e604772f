#pragma once

#include <QString>

class JournalFilter;
class PupilsModel;
class RecordsModel;
struct JournalRecord;

// What every output of the journal says of the values the course cannot have written (a line
// edited by hand, or damaged): which cells of a row hold one, why, in one line for a last column
// «Почему под подозрением», and what the mark by such a value means on a printed page. A
// record's reasons are the ones its row's tooltip gives; a pupil's mark is on the name, and the
// reason says how many of their attempts are doubtful.
class DoubtMarks
{
public:
    // The mark after a doubtful value on paper.
    static constexpr char16_t kMark = u'*';

    static QString heading();
    static QString recordReason(const JournalRecord &record);
    static QString pupilReason(int doubtfulAttempts);

    // Of the rows `shown` keeps of its table: the records, the pupils, or another table, which
    // has no doubts.
    explicit DoubtMarks(const JournalFilter &shown);

    // Bit N for column N, of the row as shown; 0 when none is doubtful.
    quint64 cells(int row) const;
    // Empty when the row is not doubtful.
    QString reason(int row) const;
    // What kMark means, for the foot of a page that shows one.
    QString note() const;

private:
    int sourceRow(int row) const;

    const JournalFilter &m_shown;
    const RecordsModel *m_records;
    const PupilsModel *m_pupils;
};
