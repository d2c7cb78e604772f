#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// Pictures from the program's resources. An icon file holds several images; a control shows
// its largest one (32 x 32) at natural size.
namespace Picture {
QPixmap load(const QString &path);
QIcon loadIcon(const QString &path);
} // namespace Picture
