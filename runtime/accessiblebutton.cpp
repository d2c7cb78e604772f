#include "accessiblebutton.h"

#include "commandbutton.h"
#include "controlwidget.h"
#include "displaytext.h"

AccessibleButton::AccessibleButton(QWidget *widget) : QAccessibleWidget(widget, QAccessible::Button)
{
}

QString AccessibleButton::text(QAccessible::Text kind) const
{
    const CommandButton *button = controlOf<CommandButton>(object());
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty() && button)
        return displayText(button->caption());
    return QAccessibleWidget::text(kind);
}

QStringList AccessibleButton::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled())
        names.prepend(pressAction());
    return names;
}

void AccessibleButton::doAction(const QString &actionName)
{
    if (actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    // On the next turn of the event loop, as a click arrives: the tool that asked has its
    // answer at once, even when the click opens a message box that waits for the user.
    QWidget *w = widget();
    QMetaObject::invokeMethod(
        w,
        [w] {
            if (CommandButton *button = controlOf<CommandButton>(w))
                button->clickAtCentre();
        },
        Qt::QueuedConnection);
}
