#include "menuitem.h"

#include "runtime.h"

#include <QAction>

MenuItem::MenuItem(Form &form, const QString &name, int index, QAction *action)
    : Control(form, name, index), m_action(action), m_caption(action->text()),
      m_enabled(action->isEnabled())
{
    m_action->setObjectName(objectName());
    m_connection = QObject::connect(m_action, &QAction::triggered,
                                    [this] { Runtime::dispatch(Handler(m_onClick)); });
}

MenuItem::~MenuItem()
{
    QObject::disconnect(m_connection);
}

void MenuItem::setCaption(const QString &caption)
{
    m_caption = caption;
    // A separator's caption is its "-"; as the item's text the style would draw it as a heading.
    if (m_action && !m_action->isSeparator())
        m_action->setText(caption);
}

void MenuItem::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (m_action)
        m_action->setEnabled(enabled);
}

QAction *MenuItem::action() const
{
    return m_action;
}
