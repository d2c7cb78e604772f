#include "image.h"

#include <QPainter>
#include <QWidget>

void Image::paint(QPainter &painter)
{
    if (picture().isNull())
        return;
    // Icons are pixel art: enlarge them without blurring.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(widget()->rect(), picture());
}
