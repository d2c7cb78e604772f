#pragma once

#include "visualcontrol.h"

#include <QColor>

// A straight line, one pixel wide. It takes no mouse events: they go to what lies beneath.
class Line : public VisualControl
{
public:
    Line(Form &form, const QString &name, int index, QWidget *surface);

    float x1() const { return m_x1; }
    float y1() const { return m_y1; }
    float x2() const { return m_x2; }
    float y2() const { return m_y2; }
    void setX1(float x);
    void setY1(float y);
    void setX2(float x);
    void setY2(float y);
    void setColor(const QColor &color);

protected:
    void paint(QPainter &painter) override;

private:
    void applyGeometry();

    float m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
    QColor m_color{Qt::black};
};
