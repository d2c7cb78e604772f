#include "doubtmarks.h"

#include "journalfilter.h"
#include "pupilsmodel.h"
#include "recordsmodel.h"

QString DoubtMarks::heading()
{
    return QStringLiteral("Почему под подозрением");
}

QString DoubtMarks::recordReason(const JournalRecord &record)
{
    return record.doubts == 0 ? QString()
                              : RecordsModel::doubtReasons(record).join(QStringLiteral("; "));
}

QString DoubtMarks::pupilReason(int doubtfulAttempts)
{
    return doubtfulAttempts == 0
               ? QString()
               : QStringLiteral("Попыток, которые курс не мог записать: %1").arg(doubtfulAttempts);
}

DoubtMarks::DoubtMarks(const JournalFilter &shown)
    : m_shown(shown), m_records(qobject_cast<const RecordsModel *>(&shown.table())),
      m_pupils(qobject_cast<const PupilsModel *>(&shown.table()))
{
}

int DoubtMarks::sourceRow(int row) const
{
    return m_shown.mapToSource(m_shown.index(row, 0)).row();
}

quint64 DoubtMarks::cells(int row) const
{
    if (m_records) {
        const quint8 doubts = m_records->record(sourceRow(row)).doubts;
        quint64 cells = 0;
        for (int column = 0; doubts != 0 && column < RecordsModel::ColumnCount; ++column) {
            if (doubts & RecordsModel::doubtBit(column))
                cells |= quint64(1) << column;
        }
        return cells;
    }
    if (m_pupils && m_pupils->pupil(sourceRow(row)).doubtful > 0)
        return quint64(1) << PupilsModel::Name;
    return 0;
}

QString DoubtMarks::reason(int row) const
{
    if (m_records)
        return recordReason(m_records->record(sourceRow(row)));
    if (m_pupils)
        return pupilReason(m_pupils->pupil(sourceRow(row)).doubtful);
    return {};
}

QString DoubtMarks::note() const
{
    return m_pupils ? QStringLiteral("%1 — у ученика есть попытки, которые курс не мог записать: "
                                     "строки исправлены вручную или повреждены")
                          .arg(QChar(kMark))
                    : QStringLiteral("%1 — такую оценку курс поставить не мог: строка исправлена "
                                     "вручную или повреждена")
                          .arg(QChar(kMark));
}
