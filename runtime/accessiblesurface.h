#pragma once

#include <QAccessibleWidget>
#include <QList>

// A window's client area. Its controls come in the order a sighted user reads the page: the
// texts first, then the other controls, each from the top down and from left to right.
class AccessibleSurface : public QAccessibleWidget
{
public:
    explicit AccessibleSurface(QWidget *surface);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

private:
    QList<QWidget *> readingOrder() const;
};
