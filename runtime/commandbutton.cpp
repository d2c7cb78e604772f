#include "commandbutton.h"

#include "accessibility.h"
#include "displaytext.h"

#include <QKeyEvent>
#include <QPainter>
#include <QWidget>

CommandButton::CommandButton(Form &form, const QString &name, int index, QWidget *surface)
    : BoxControl(form, name, index, surface)
{
    widget()->setFocusPolicy(Qt::StrongFocus);
}

void CommandButton::setCaption(const QString &caption)
{
    const bool changed = caption != m_caption;
    m_caption = caption;
    if (QWidget *w = widget()) {
        w->update();
        if (changed)
            Accessibility::nameChanged(w);
    }
}

bool CommandButton::clicksWith(Qt::MouseButton button) const
{
    return button == Qt::LeftButton;
}

bool CommandButton::keyPress(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        raiseClick();
        return true;
    default:
        return false;
    }
}

void CommandButton::paint(QPainter &painter)
{
    const QWidget *w = widget();
    const QRect area = w->rect();
    const bool down = isPressedDown();
    painter.fillRect(area, backColor());

    // A raised bevel, sunk while the button is held down.
    const QColor light(255, 255, 255);
    const QColor shadow(128, 128, 128);
    const QColor dark(0, 0, 0);
    const QRect edge = area.adjusted(0, 0, -1, -1);
    painter.setPen(down ? dark : light);
    painter.drawLine(edge.topLeft(), edge.topRight());
    painter.drawLine(edge.topLeft(), edge.bottomLeft());
    painter.setPen(down ? light : dark);
    painter.drawLine(edge.bottomLeft(), edge.bottomRight());
    painter.drawLine(edge.topRight(), edge.bottomRight());
    painter.setPen(shadow);
    const QRect inner = edge.adjusted(1, 1, -1, -1);
    if (down) {
        painter.drawLine(inner.topLeft(), inner.topRight());
        painter.drawLine(inner.topLeft(), inner.bottomLeft());
    } else {
        painter.drawLine(inner.bottomLeft(), inner.bottomRight());
        painter.drawLine(inner.topRight(), inner.bottomRight());
    }

    const QRect textArea = down ? area.translated(1, 1) : area;
    painter.setPen(enabled() ? foreColor() : shadow);
    painter.drawText(textArea, Qt::AlignCenter | Qt::TextWordWrap, displayText(m_caption));

    if (w->hasFocus()) {
        QPen focus(dark);
        focus.setStyle(Qt::DotLine);
        painter.setPen(focus);
        painter.drawRect(area.adjusted(3, 3, -4, -4));
    }
}
