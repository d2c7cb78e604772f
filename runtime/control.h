#pragma once

#include <QString>

class Form;

// A control of a window: lives from the window's load to its unload.
class Control
{
public:
    Control(Form &form, const QString &name, int index);
    virtual ~Control();
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    const QString &name() const { return m_name; }
    // The element's index in its control array, or -1 for a single control.
    int index() const { return m_index; }
    // The name of its widget: the name, with "_index" for an array element.
    QString objectName() const;
    Form &form() const { return m_form; }

private:
    Form &m_form;
    QString m_name;
    int m_index;
};
