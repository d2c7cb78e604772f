#pragma once

class QWidget;

// What screen readers and automation tools see of the runtime's windows: an accessible
// interface for each kind of control and for a window's client area.
namespace Accessibility {
// Makes Qt ask the runtime for the interfaces of its widgets (the form builder calls it).
void install();
// Tells the tools that a control's name, its caption, has changed.
void nameChanged(QWidget *widget);
} // namespace Accessibility
