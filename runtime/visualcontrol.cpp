#include "visualcontrol.h"

#include "controlwidget.h"

VisualControl::VisualControl(Form &form, const QString &name, int index, QWidget *surface)
    : Control(form, name, index), m_widget(new ControlWidget(this, surface))
{
    m_widget->setObjectName(objectName());
}

VisualControl::~VisualControl()
{
    // The window deletes the widget with itself; until then it must not call back.
    if (m_widget) {
        m_widget->detach();
        m_widget->hide();
    }
}

void VisualControl::setVisible(bool visible)
{
    m_visible = visible;
    if (m_widget)
        m_widget->setVisible(visible);
}

QWidget *VisualControl::widget() const
{
    return m_widget;
}

ControlWidget *VisualControl::controlWidget() const
{
    return m_widget;
}
