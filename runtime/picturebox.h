#pragma once

#include "picturecontrol.h"

// A picture box: its picture at natural size from the top-left corner, cut at the edges.
class PictureBox : public PictureControl
{
public:
    using PictureControl::PictureControl;

protected:
    void paint(QPainter &painter) override;
};
