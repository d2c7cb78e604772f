#include "accessiblesurface.h"

#include "controlwidget.h"
#include "label.h"

#include <algorithm>
#include <tuple>

AccessibleSurface::AccessibleSurface(QWidget *surface) : QAccessibleWidget(surface) {}

int AccessibleSurface::childCount() const
{
    return int(readingOrder().size());
}

QAccessibleInterface *AccessibleSurface::child(int index) const
{
    const QList<QWidget *> children = readingOrder();
    return index >= 0 && index < children.size()
               ? QAccessible::queryAccessibleInterface(children.at(index))
               : nullptr;
}

int AccessibleSurface::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    const QList<QWidget *> children = readingOrder();
    const auto found = std::find(children.cbegin(), children.cend(), child->object());
    return found == children.cend() ? -1 : int(found - children.cbegin());
}

// What the mouse would hit there: the topmost visible control that takes the mouse.
QAccessibleInterface *AccessibleSurface::childAt(int x, int y) const
{
    QWidget *hit = widget()->childAt(widget()->mapFromGlobal(QPoint(x, y)));
    return hit ? QAccessible::queryAccessibleInterface(hit) : nullptr;
}

// Stacking order, which the widgets keep among themselves, says nothing about reading order.
// Widgets that are not controls (the picture that follows a drag) come last.
QList<QWidget *> AccessibleSurface::readingOrder() const
{
    QList<QWidget *> controls;
    QList<QWidget *> others;
    for (QObject *object : widget()->children()) {
        if (auto *w = qobject_cast<QWidget *>(object))
            (dynamic_cast<ControlWidget *>(w) ? controls : others).append(w);
    }
    const auto place = [](const QWidget *w) {
        return std::tuple(!controlOf<Label>(w), w->y(), w->x());
    };
    std::stable_sort(controls.begin(), controls.end(),
                     [&](const QWidget *a, const QWidget *b) { return place(a) < place(b); });
    return controls + others;
}
