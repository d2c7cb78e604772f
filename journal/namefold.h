#pragma once

#include <QString>

// A name as the journal compares names: in lower case, with ё as е, and with blanks at the ends
// dropped and runs of blanks inside taken as one space, so that «Ёжикова  Аня» and
// «ежикова аня» are one pupil.
QString foldName(const QString &name);
