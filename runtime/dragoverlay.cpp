#include "dragoverlay.h"

#include <QPainter>

DragOverlay::DragOverlay(QWidget *surface) : QWidget(surface)
{
    setObjectName(QStringLiteral("dragOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void DragOverlay::start(const QPixmap &icon, QSize outline, QPoint grabOffset, QPoint pointer)
{
    m_icon = icon;
    if (!icon.isNull()) {
        m_hotSpot = QPoint(icon.width() / 2, icon.height() / 2);
        resize(icon.size());
    } else {
        m_hotSpot = grabOffset;
        resize(outline);
    }
    follow(pointer);
    raise();
    show();
}

void DragOverlay::follow(QPoint pointer)
{
    QWidget::move(pointer - m_hotSpot);
}

void DragOverlay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_icon.isNull()) {
        painter.drawPixmap(0, 0, m_icon);
        return;
    }
    QPen pen(Qt::black, 2);
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}
