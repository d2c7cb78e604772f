#pragma once

#include "boxcontrol.h"

#include <QPixmap>

// A control that shows a picture: the picture box and the image.
class PictureControl : public BoxControl
{
public:
    using BoxControl::BoxControl;

    const QPixmap &picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);

private:
    QPixmap m_picture;
};
