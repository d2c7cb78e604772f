#include "outputtitle.h"

#include <QLocale>

namespace {

constexpr int kMostFilesNamed = 3;

} // namespace

QStringList OutputTitle::lines() const
{
    QString heading = QStringLiteral("Журнал результатов");
    if (!subject.isEmpty())
        heading += QStringLiteral(": ") + subject;
    if (!period.isEmpty())
        heading += u' ' + period;
    QStringList lines = {heading};
    if (!className.isEmpty())
        lines << QStringLiteral("Класс: %1").arg(className);
    if (!pupil.isEmpty())
        lines << pupil;
    QStringList picked;
    if (!search.isEmpty())
        picked << QStringLiteral("в имени есть «%1»").arg(search);
    if (doubtfulOnly)
        picked << QStringLiteral("только подозрительные");
    if (absentOnly)
        picked << QStringLiteral("только без попыток");
    if (doubtfulCounted)
        picked << QStringLiteral("подозрительные записи учтены в итогах");
    if (!picked.isEmpty())
        lines << QStringLiteral("Отбор: ") + picked.join(QStringLiteral("; "));
    if (files.size() > kMostFilesNamed) {
        lines << QStringLiteral("Файлов: %1").arg(files.size());
    } else if (!files.isEmpty()) {
        QStringList names;
        for (const QString &file : files)
            names << QStringLiteral("«%1»").arg(file);
        lines << (files.size() == 1 ? QStringLiteral("Файл: ") : QStringLiteral("Файлы: ")) +
                     names.join(QStringLiteral(", "));
    }
    lines
        << QStringLiteral("Составлено ") +
               QLocale(QLocale::Russian).toString(made, QStringLiteral("d MMMM yyyy 'г. в' HH:mm"));
    return lines;
}
