#pragma once

#include "control.h"

#include <QMetaObject>
#include <QPointer>
#include <functional>

class QAction;

// An item of a window's menu: a menu of the menu bar, a command or a separator ("-").
class MenuItem : public Control
{
public:
    using Handler = std::function<void()>;

    MenuItem(Form &form, const QString &name, int index, QAction *action);
    ~MenuItem() override;

    const QString &caption() const { return m_caption; }
    void setCaption(const QString &caption);
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    void onClick(Handler handler) { m_onClick = std::move(handler); }

    // The item's action in the menu, for tests and accessibility tools.
    QAction *action() const;

private:
    QPointer<QAction> m_action;
    QString m_caption;
    bool m_enabled = true;
    QMetaObject::Connection m_connection;
    Handler m_onClick;
};
