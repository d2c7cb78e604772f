#include "usermouse.h"

#include "boxcontrol.h"
#include "form.h"
#include "menuitem.h"

#include <QAction>
#include <QMainWindow>
#include <QTest>
#include <QWindow>

namespace {

QWindow *windowOf(Form &form)
{
    QMainWindow *window = form.window();
    Q_ASSERT(window);
    window->winId();
    return window->windowHandle();
}

QPoint toWindow(Form &form, QPoint point)
{
    return form.surface()->mapTo(form.window(), point);
}

} // namespace

QPoint UserMouse::centreOf(const BoxControl &control)
{
    return control.widget()->geometry().center();
}

void UserMouse::click(Form &form, QPoint point, Qt::MouseButton button)
{
    QTest::mouseClick(windowOf(form), button, {}, toWindow(form, point));
}

void UserMouse::doubleClick(Form &form, QPoint point, Qt::MouseButton button)
{
    QTest::mouseDClick(windowOf(form), button, {}, toWindow(form, point));
}

void UserMouse::drag(Form &form, QPoint from, QPoint to)
{
    QWindow *window = windowOf(form);
    QTest::mousePress(window, Qt::LeftButton, {}, toWindow(form, from));
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(window, toWindow(form, from + (to - from) * step / 4));
    QTest::mouseRelease(window, Qt::LeftButton, {}, toWindow(form, to));
}

void UserMouse::resize(Form &form, QSize outer)
{
    QMainWindow *window = form.window();
    window->resize(outer - (window->frameGeometry().size() - window->size()));
}

void UserMouse::choose(MenuItem &item)
{
    // A disabled command ignores the trigger, as it ignores a click.
    item.action()->trigger();
}
