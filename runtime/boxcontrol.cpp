#include "boxcontrol.h"

#include "controlwidget.h"
#include "form.h"
#include "mouseevents.h"
#include "runtime.h"
#include "twips.h"

#include <QMouseEvent>
#include <QPointer>

BoxControl::BoxControl(Form &form, const QString &name, int index, QWidget *surface)
    : VisualControl(form, name, index, surface)
{
}

void BoxControl::setLeft(float left)
{
    m_left = left;
    applyGeometry();
}

void BoxControl::setTop(float top)
{
    m_top = top;
    applyGeometry();
}

void BoxControl::setWidth(float width)
{
    m_width = width;
    applyGeometry();
}

void BoxControl::setHeight(float height)
{
    m_height = height;
    applyGeometry();
}

void BoxControl::move(float left, float top)
{
    m_left = left;
    m_top = top;
    applyGeometry();
}

void BoxControl::applyGeometry()
{
    if (QWidget *w = widget()) {
        w->setGeometry(twipsToPixels(m_left), twipsToPixels(m_top),
                       std::max(0, twipsToPixels(m_width)), std::max(0, twipsToPixels(m_height)));
    }
}

void BoxControl::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (QWidget *w = widget())
        w->setEnabled(enabled);
}

void BoxControl::setBackColor(const QColor &color)
{
    m_backColor = color;
    if (QWidget *w = widget())
        w->update();
}

void BoxControl::setForeColor(const QColor &color)
{
    m_foreColor = color;
    if (QWidget *w = widget())
        w->update();
}

QFont BoxControl::font() const
{
    const QWidget *w = widget();
    return w ? w->font() : QFont();
}

void BoxControl::setFont(const QFont &font)
{
    if (QWidget *w = widget())
        w->setFont(font);
}

void BoxControl::setDragAutomatic(bool automatic, const QPixmap &dragIcon)
{
    m_dragAutomatic = automatic;
    m_dragIcon = dragIcon;
}

bool BoxControl::clicksWith(Qt::MouseButton) const
{
    return true;
}

void BoxControl::raiseClick()
{
    // A copy, so the handler survives if it unloads this control's window.
    Runtime::dispatch(Handler(m_onClick));
}

void BoxControl::dropReceived(BoxControl &source, QPointF point)
{
    if (!m_onDragDrop)
        return;
    DropHandler handler = m_onDragDrop;
    const float x = pixelsToTwips(point.x());
    const float y = pixelsToTwips(point.y());
    Runtime::dispatch([&] { handler(source, x, y); });
}

// The same press and release that the window delivers for the mouse: focus as a click gives it,
// the press, then the release where the pointer stayed. A press handler that moves or hides
// the control, or unloads its window, leaves the release off it, and so no click.
void BoxControl::clickAtCentre()
{
    const QPointer<QWidget> w = widget();
    if (!w || !w->isVisible() || !w->isEnabled())
        return;
    const QPointF local = w->rect().center();
    const QPointF pointer = w->mapToParent(local);
    if (w->focusPolicy() & Qt::ClickFocus)
        w->setFocus(Qt::MouseFocusReason);
    QMouseEvent press(QEvent::MouseButtonPress, local, w->mapToGlobal(local), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    mousePress(&press);
    if (!w || !w->isVisible() || controlOf<BoxControl>(w) != this)
        return;
    const QPointF at = w->mapFromParent(pointer);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    mouseRelease(&release);
}

void BoxControl::mousePress(QMouseEvent *event)
{
    m_pressed = event->button();
    m_pressInside = true;
    m_pressPos = event->position().toPoint();
    if (m_dragAutomatic && event->button() == Qt::LeftButton) {
        m_dragPending = true;
        return;
    }
    if (!m_onMouseDown)
        return;
    MouseHandler handler = m_onMouseDown;
    const MouseArgs args = mouseArgs(event);
    if (QWidget *w = widget())
        w->update();
    Runtime::dispatch([&] { handler(args.button, args.shift, args.x, args.y); });
}

void BoxControl::mouseMove(QMouseEvent *event)
{
    QWidget *w = widget();
    if (!w)
        return;
    const QPoint pos = event->position().toPoint();
    if (m_pressed != Qt::NoButton) {
        const bool inside = w->rect().contains(pos);
        if (inside != m_pressInside) {
            m_pressInside = inside;
            w->update();
        }
    }
    if (m_dragPending && !m_dragging && (event->buttons() & Qt::LeftButton) && pos != m_pressPos) {
        m_dragging = true;
        form().beginDrag(*this, w->mapTo(w->parentWidget(), pos), m_pressPos);
    }
    if (m_dragging)
        form().dragTo(w->mapTo(w->parentWidget(), pos));
}

void BoxControl::mouseRelease(QMouseEvent *event)
{
    QWidget *w = widget();
    const Qt::MouseButton pressed = m_pressed;
    const bool inside = w && w->rect().contains(event->position().toPoint());
    const bool dragging = m_dragging;
    m_pressed = Qt::NoButton;
    m_pressInside = false;
    m_dragPending = false;
    m_dragging = false;
    if (w)
        w->update();
    if (dragging) {
        if (w)
            form().finishDrag(*this, w->mapTo(w->parentWidget(), event->position().toPoint()));
        return;
    }
    if (pressed == event->button() && inside && clicksWith(pressed))
        raiseClick();
}

// Only a control that handles double clicks turns the second press into one; on any other
// (the running mouse of the catch game, say) a quick second click is a click like the first.
void BoxControl::mouseDoubleClick(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && takesDoubleClicks() && m_onDblClick &&
        !m_dragAutomatic) {
        // The release that follows a double click raises no click.
        m_pressed = Qt::NoButton;
        Runtime::dispatch(Handler(m_onDblClick));
        return;
    }
    mousePress(event);
}
