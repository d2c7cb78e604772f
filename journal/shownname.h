#pragma once

#include <QString>
#include <vector>

// One way a pupil's name was typed, and how many records have it.
struct NameSpelling
{
    QString text;
    qsizetype count = 0;
};

// The name a pupil is shown under: the class list's spelling when the pupil is on it, else the
// spelling typed most often, the first one seen among equals. It is one the pupil typed, «ё» and
// all. `spellings` in the order they were first seen; `listed` empty when the pupil is not listed.
QString shownName(const std::vector<NameSpelling> &spellings, const QString &listed = {});
