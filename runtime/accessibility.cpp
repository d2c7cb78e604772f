#include "accessibility.h"

#include "accessiblebutton.h"
#include "accessiblelabel.h"
#include "accessiblesurface.h"
#include "commandbutton.h"
#include "controlwidget.h"
#include "formsurface.h"
#include "label.h"
#include "line.h"
#include "picturecontrol.h"

#include <QAccessibleWidget>

namespace {

// Qt asks each factory for an object's interface, once for each class name of the object from
// its own up; the runtime's widgets have no class names of their own.
QAccessibleInterface *create(const QString &, QObject *object)
{
    if (auto *surface = dynamic_cast<FormSurface *>(object))
        return new AccessibleSurface(surface);
    auto *widget = dynamic_cast<ControlWidget *>(object);
    if (!widget)
        return nullptr;
    if (controlOf<Label>(widget))
        return new AccessibleLabel(widget);
    if (controlOf<CommandButton>(widget))
        return new AccessibleButton(widget);
    if (controlOf<PictureControl>(widget))
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    if (controlOf<Line>(widget))
        return new QAccessibleWidget(widget, QAccessible::Separator);
    return nullptr;
}

} // namespace

void Accessibility::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(create);
        return true;
    }();
    Q_UNUSED(installed);
}

void Accessibility::nameChanged(QWidget *widget)
{
    QAccessibleEvent event(widget, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}
