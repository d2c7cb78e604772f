#include "image.h"

#include <QPainter>
#include <QWidget>

Image::Image(Form &form, const QString &name, int index, QWidget *surface)
    : BoxControl(form, name, index, surface)
{
}

void Image::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    if (QWidget *w = widget())
        w->update();
}

void Image::paint(QPainter &painter)
{
    if (m_picture.isNull())
        return;
    // Icons are pixel art: enlarge them without blurring.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(widget()->rect(), m_picture);
}
