#include "accessiblelabel.h"

#include "controlwidget.h"
#include "displaytext.h"
#include "label.h"

AccessibleLabel::AccessibleLabel(QWidget *widget)
    : QAccessibleWidget(widget, QAccessible::StaticText)
{
}

void *AccessibleLabel::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString AccessibleLabel::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
        return shownText();
    return QAccessibleWidget::text(kind);
}

void AccessibleLabel::selection(int, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = 0;
}

QString AccessibleLabel::text(int startOffset, int endOffset) const
{
    return shownText().mid(startOffset, endOffset - startOffset);
}

int AccessibleLabel::characterCount() const
{
    return int(shownText().size());
}

QString AccessibleLabel::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = offset;
    *endOffset = offset;
    return {};
}

QString AccessibleLabel::shownText() const
{
    const Label *label = controlOf<Label>(object());
    return label ? displayText(label->caption()) : QString();
}
