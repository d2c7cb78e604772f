#pragma once

#include "boxcontrol.h"

// A picture box: its picture at natural size from the top-left corner, cut at the edges.
class PictureBox : public BoxControl
{
public:
    PictureBox(Form &form, const QString &name, int index, QWidget *surface);

    const QPixmap &picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);

protected:
    void paint(QPainter &painter) override;

private:
    QPixmap m_picture;
};
