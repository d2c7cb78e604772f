#pragma once

#include "picturecontrol.h"

// An image: its picture stretched to the control, transparent where the picture is.
class Image : public PictureControl
{
public:
    using PictureControl::PictureControl;

protected:
    void paint(QPainter &painter) override;
};
