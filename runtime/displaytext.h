#pragma once

#include <QString>

// A caption as it is drawn: CR LF (or a lone CR or LF) breaks the line.
QString displayText(const QString &caption);
