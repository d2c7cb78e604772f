#include "journalsummary.h"

#include "journalfilter.h"
#include "pupilsmodel.h"
#include "recordsmodel.h"

QString JournalSummary::text(const RecordsModel &records, const JournalFilter &recordsShown,
                             const PupilsModel &pupils, const JournalFilter &pupilsShown)
{
    QString summary = QStringLiteral("Записей: %1").arg(recordsShown.rowCount());
    if (recordsShown.rowCount() != records.rowCount())
        summary += QStringLiteral(" из %1").arg(records.rowCount());
    summary += QStringLiteral(" · учеников: %1").arg(pupilsShown.rowCount());
    if (!pupils.classList().isEmpty())
        summary += QStringLiteral(" · без попыток: %1 из %2")
                       .arg(pupils.absentCount())
                       .arg(pupils.listedCount());
    if (records.doubtfulCount() > 0)
        summary += QStringLiteral(" · подозрительных: %1, %2")
                       .arg(records.doubtfulCount())
                       .arg(pupils.countsDoubtful() ? QStringLiteral("учтены")
                                                    : QStringLiteral("не учтены"));
    if (records.outsideCount() > 0) {
        summary += QStringLiteral(" · вне периода: %1").arg(records.outsideCount());
        if (records.undatedOutsideCount() > 0)
            summary += QStringLiteral(", из них без даты: %1").arg(records.undatedOutsideCount());
    }
    return summary;
}
