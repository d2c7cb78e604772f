#pragma once

#include <QPoint>
#include <QSize>
#include <Qt>

class BoxControl;
class Form;
class MenuItem;

// The user's mouse: events sent to the window, at points of its client area in pixels, as
// the window system would deliver them.
namespace UserMouse {
QPoint centreOf(const BoxControl &control);
void click(Form &form, QPoint point, Qt::MouseButton button = Qt::LeftButton);
void doubleClick(Form &form, QPoint point, Qt::MouseButton button = Qt::LeftButton);
// Press on `from`, move in a few steps to `to`, release there.
void drag(Form &form, QPoint from, QPoint to);
// Makes the window `outer` pixels large, frame included, as dragging its border would.
void resize(Form &form, QSize outer);
// Chooses a menu command as a click on it would.
void choose(MenuItem &item);
} // namespace UserMouse
