#include "controlwidget.h"

#include "visualcontrol.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

ControlWidget::ControlWidget(VisualControl *control, QWidget *parent)
    : QWidget(parent), m_control(control)
{
}

void ControlWidget::paintEvent(QPaintEvent *)
{
    if (!m_control)
        return;
    QPainter painter(this);
    m_control->paint(painter);
}

// Every mouse event on a control is that control's: accepting it keeps it from the window.
void ControlWidget::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (m_control)
        m_control->mousePress(event);
}

void ControlWidget::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (m_control)
        m_control->mouseMove(event);
}

void ControlWidget::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (m_control)
        m_control->mouseRelease(event);
}

void ControlWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (m_control)
        m_control->mouseDoubleClick(event);
}

void ControlWidget::keyPressEvent(QKeyEvent *event)
{
    if (!m_control || !m_control->keyPress(event))
        QWidget::keyPressEvent(event);
}

void ControlWidget::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void ControlWidget::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}
