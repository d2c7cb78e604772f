#pragma once

#include "visualcontrol.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <functional>

// A visual control with a rectangle of its own: label, command button, picture box, image.
// It takes the mouse events that land on it, and may be dragged within its window.
class BoxControl : public VisualControl
{
public:
    using Handler = std::function<void()>;
    // Button 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt; x, y in twips.
    using MouseHandler = std::function<void(int button, int shift, float x, float y)>;
    // The dragged control and the drop point in twips inside this control.
    using DropHandler = std::function<void(BoxControl &source, float x, float y)>;

    BoxControl(Form &form, const QString &name, int index, QWidget *surface);

    float left() const { return m_left; }
    float top() const { return m_top; }
    float width() const { return m_width; }
    float height() const { return m_height; }
    void setLeft(float left);
    void setTop(float top);
    void setWidth(float width);
    void setHeight(float height);
    void move(float left, float top);

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor &color);
    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor &color);
    QFont font() const;
    void setFont(const QFont &font);

    // Pressing the left button and moving drags an image of this control (the drag icon, or
    // an outline without one); releasing over a control raises that control's drop event.
    void setDragAutomatic(bool automatic, const QPixmap &dragIcon = {});
    bool dragAutomatic() const { return m_dragAutomatic; }
    const QPixmap &dragIcon() const { return m_dragIcon; }

    void onClick(Handler handler) { m_onClick = std::move(handler); }
    void onDblClick(Handler handler) { m_onDblClick = std::move(handler); }
    void onMouseDown(MouseHandler handler) { m_onMouseDown = std::move(handler); }
    void onDragDrop(DropHandler handler) { m_onDragDrop = std::move(handler); }

    // Raised by the window when a drag ends over this control; point in pixels inside it.
    void dropReceived(BoxControl &source, QPointF point);

    // A click of the left button at the middle of the control, as the mouse makes it (for
    // accessibility tools).
    void clickAtCentre();

protected:
    // Whether a click with this button raises Click (command buttons: the left one only).
    virtual bool clicksWith(Qt::MouseButton button) const;
    // Whether the second press of a double click may raise DblClick (else it is a plain press).
    virtual bool takesDoubleClicks() const { return true; }

    void raiseClick();
    bool isPressedDown() const { return m_pressed != Qt::NoButton && m_pressInside; }

    void mousePress(QMouseEvent *event) override;
    void mouseMove(QMouseEvent *event) override;
    void mouseRelease(QMouseEvent *event) override;
    void mouseDoubleClick(QMouseEvent *event) override;

private:
    void applyGeometry();

    float m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    bool m_enabled = true;
    QColor m_backColor{Qt::white};
    QColor m_foreColor{Qt::black};
    bool m_dragAutomatic = false;
    QPixmap m_dragIcon;

    Qt::MouseButton m_pressed = Qt::NoButton;
    bool m_pressInside = false;
    bool m_dragPending = false;
    bool m_dragging = false;
    QPoint m_pressPos;

    Handler m_onClick;
    Handler m_onDblClick;
    MouseHandler m_onMouseDown;
    DropHandler m_onDragDrop;
};
