#pragma once

#include "form.h"

#include <QString>

// A form's named control, found each time it is used, so that the form can unload and load
// again. Using it loads the form if it is not loaded.
template <class T> class ControlRef
{
public:
    ControlRef(Form *form, const char *name) : m_form(form), m_name(QString::fromUtf8(name)) {}

    T &operator*() const { return m_form->control<T>(m_name); }
    T *operator->() const { return &m_form->control<T>(m_name); }

private:
    Form *m_form;
    QString m_name;
};

// A form's control array: elements by index from 0.
template <class T> class ControlArrayRef
{
public:
    ControlArrayRef(Form *form, const char *name) : m_form(form), m_name(QString::fromUtf8(name)) {}

    T &operator[](int index) const { return m_form->control<T>(m_name, index); }
    int count() const { return m_form->controlCount(m_name); }

private:
    Form *m_form;
    QString m_name;
};
