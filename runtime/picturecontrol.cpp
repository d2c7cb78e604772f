#include "picturecontrol.h"

#include <QWidget>

void PictureControl::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    if (QWidget *w = widget())
        w->update();
}
