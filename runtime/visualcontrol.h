#pragma once

#include "control.h"

#include <QPointer>

class ControlWidget;
class QKeyEvent;
class QMouseEvent;
class QPainter;
class QWidget;

// A control drawn on its window's client area.
class VisualControl : public Control
{
public:
    VisualControl(Form &form, const QString &name, int index, QWidget *surface);
    ~VisualControl() override;

    bool visible() const { return m_visible; }
    void setVisible(bool visible);

    // The widget, for the builder, the runtime and tests.
    QWidget *widget() const;

protected:
    friend class ControlWidget;
    ControlWidget *controlWidget() const;

    virtual void paint(QPainter &painter) = 0;
    virtual void mousePress(QMouseEvent *) {}
    virtual void mouseMove(QMouseEvent *) {}
    virtual void mouseRelease(QMouseEvent *) {}
    virtual void mouseDoubleClick(QMouseEvent *) {}
    virtual bool keyPress(QKeyEvent *) { return false; }

private:
    QPointer<ControlWidget> m_widget;
    bool m_visible = true;
};
