#include "control.h"

Control::Control(Form &form, const QString &name, int index)
    : m_form(form), m_name(name), m_index(index)
{
}

Control::~Control() = default;

QString Control::objectName() const
{
    return m_index < 0 ? m_name : m_name + QLatin1Char('_') + QString::number(m_index);
}
