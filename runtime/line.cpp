#include "line.h"

#include "twips.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>

Line::Line(Form &form, const QString &name, int index, QWidget *surface)
    : VisualControl(form, name, index, surface)
{
    widget()->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Line::setX1(float x)
{
    m_x1 = x;
    applyGeometry();
}

void Line::setY1(float y)
{
    m_y1 = y;
    applyGeometry();
}

void Line::setX2(float x)
{
    m_x2 = x;
    applyGeometry();
}

void Line::setY2(float y)
{
    m_y2 = y;
    applyGeometry();
}

void Line::setColor(const QColor &color)
{
    m_color = color;
    if (QWidget *w = widget())
        w->update();
}

void Line::applyGeometry()
{
    QWidget *w = widget();
    if (!w)
        return;
    const QPoint a(twipsToPixels(m_x1), twipsToPixels(m_y1));
    const QPoint b(twipsToPixels(m_x2), twipsToPixels(m_y2));
    w->setGeometry(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                         QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))));
    w->update();
}

void Line::paint(QPainter &painter)
{
    const QWidget *w = widget();
    const QPoint origin = w->pos();
    painter.setPen(QPen(m_color, 1));
    painter.drawLine(QPoint(twipsToPixels(m_x1), twipsToPixels(m_y1)) - origin,
                     QPoint(twipsToPixels(m_x2), twipsToPixels(m_y2)) - origin);
}
