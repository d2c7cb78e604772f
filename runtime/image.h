#pragma once

#include "boxcontrol.h"

// An image: its picture stretched to the control, transparent where the picture is.
class Image : public BoxControl
{
public:
    Image(Form &form, const QString &name, int index, QWidget *surface);

    const QPixmap &picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);

protected:
    void paint(QPainter &painter) override;

private:
    QPixmap m_picture;
};
