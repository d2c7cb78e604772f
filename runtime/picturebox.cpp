#include "picturebox.h"

#include <QPainter>
#include <QWidget>

PictureBox::PictureBox(Form &form, const QString &name, int index, QWidget *surface)
    : BoxControl(form, name, index, surface)
{
}

void PictureBox::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    if (QWidget *w = widget())
        w->update();
}

void PictureBox::paint(QPainter &painter)
{
    painter.fillRect(widget()->rect(), backColor());
    painter.drawPixmap(0, 0, m_picture);
    if (widget()->hasFocus()) {
        QPen focus(Qt::black);
        focus.setStyle(Qt::DotLine);
        painter.setPen(focus);
        painter.drawRect(widget()->rect().adjusted(0, 0, -1, -1));
    }
}
