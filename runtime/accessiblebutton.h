#pragma once

#include <QAccessibleWidget>

// A command button: its caption as its name, and a press that is a click of the mouse.
class AccessibleButton : public QAccessibleWidget
{
public:
    explicit AccessibleButton(QWidget *widget);

    QString text(QAccessible::Text kind) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
};
