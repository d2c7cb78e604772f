#include "shownname.h"

QString shownName(const std::vector<NameSpelling> &spellings, const QString &listed)
{
    if (!listed.isEmpty())
        return listed;
    const NameSpelling *most = nullptr;
    for (const NameSpelling &spelling : spellings) {
        if (!most || spelling.count > most->count)
            most = &spelling;
    }
    return most ? most->text : QString();
}
