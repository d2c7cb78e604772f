#include "picturebox.h"

#include <QPainter>
#include <QWidget>

void PictureBox::paint(QPainter &painter)
{
    painter.fillRect(widget()->rect(), backColor());
    painter.drawPixmap(0, 0, picture());
    if (widget()->hasFocus()) {
        QPen focus(Qt::black);
        focus.setStyle(Qt::DotLine);
        painter.setPen(focus);
        painter.drawRect(widget()->rect().adjusted(0, 0, -1, -1));
    }
}
