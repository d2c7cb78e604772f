#pragma once

#include <QSize>
#include <QWidget>

class Form;

// The client area of a form's window: its background and the window's own mouse events.
class FormSurface : public QWidget
{
public:
    FormSurface(Form &form, QSize clientSize);

    QSize sizeHint() const override { return m_clientSize; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    Form &m_form;
    QSize m_clientSize;
    Qt::MouseButton m_pressed = Qt::NoButton;
};
