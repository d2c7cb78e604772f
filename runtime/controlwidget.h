#pragma once

#include <QWidget>

class VisualControl;

// The widget of a visual control: hands painting, mouse and keyboard events to the control.
// A detached widget (its control already destroyed) ignores everything.
class ControlWidget : public QWidget
{
public:
    ControlWidget(VisualControl *control, QWidget *parent);

    VisualControl *control() const { return m_control; }
    void detach() { m_control = nullptr; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    VisualControl *m_control;
};

// The control behind a widget when the widget is a control's, the control is still there and
// is a T.
template <class T> T *controlOf(const QObject *object)
{
    const auto *widget = dynamic_cast<const ControlWidget *>(object);
    return widget ? dynamic_cast<T *>(widget->control()) : nullptr;
}
