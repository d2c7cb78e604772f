#pragma once

#include <QPixmap>
#include <QWidget>

// What follows the pointer while a control is dragged: the drag icon centred on the pointer,
// or a dotted outline of the control where the pointer holds it.
class DragOverlay : public QWidget
{
public:
    explicit DragOverlay(QWidget *surface);

    void start(const QPixmap &icon, QSize outline, QPoint grabOffset, QPoint pointer);
    void follow(QPoint pointer);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_icon;
    QPoint m_hotSpot;
};
