#include "namefold.h"

QString foldName(const QString &name)
{
    QString folded = name.simplified().toLower();
    folded.replace(QChar(u'ё'), QChar(u'е'));
    return folded;
}
