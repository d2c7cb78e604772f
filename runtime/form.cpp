#include "form.h"

#include "boxcontrol.h"
#include "control.h"
#include "controlwidget.h"
#include "dragoverlay.h"
#include "formbuilder.h"
#include "formsurface.h"
#include "formwindow.h"
#include "runtime.h"
#include "twips.h"
#include "visualcontrol.h"

Form::Form(const FormLayout &layout) : m_layout(layout)
{
    Runtime::addForm(this);
}

Form::~Form()
{
    Runtime::removeForm(this);
    unload();
}

void Form::load()
{
    if (m_window)
        return;
    Runtime::checkRunning();
    FormBuilder::build(*this);
    connectEvents();
    formLoad();
}

void Form::unload()
{
    if (!m_window)
        return;
    FormWindow *window = m_window;
    m_window = nullptr;
    m_surface = nullptr;
    m_dragOverlay = nullptr;
    m_byName.clear();
    m_arrayCounts.clear();
    // Controls go first: they detach from their widgets and stop their timers.
    std::vector<std::unique_ptr<Control>> controls;
    controls.swap(m_controls);
    controls.clear();
    window->hide();
    // The window may be in the middle of its own event (the close box): delete it later.
    window->deleteLater();
}

void Form::show()
{
    load();
    Runtime::checkRunning();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void Form::hide()
{
    if (m_window)
        m_window->hide();
}

bool Form::isLoaded() const
{
    return m_window != nullptr;
}

bool Form::isShown() const
{
    return m_window && m_window->isVisible();
}

float Form::width()
{
    load();
    return pixelsToTwips(m_window->frameGeometry().width());
}

float Form::height()
{
    load();
    return pixelsToTwips(m_window->frameGeometry().height());
}

QString Form::caption()
{
    load();
    return m_window->windowTitle();
}

QColor Form::backColor()
{
    load();
    return m_surface->palette().color(QPalette::Window);
}

void Form::setBackColor(const QColor &color)
{
    load();
    QPalette palette = m_surface->palette();
    palette.setColor(QPalette::Window, color);
    m_surface->setPalette(palette);
}

int Form::controlCount(const QString &arrayName)
{
    load();
    Runtime::checkRunning();
    return m_arrayCounts.value(arrayName, 0);
}

QMainWindow *Form::window() const
{
    return m_window;
}

QWidget *Form::surface() const
{
    return m_surface;
}

Control *Form::findControl(const QString &objectName) const
{
    return m_byName.value(objectName, nullptr);
}

Control *Form::lookup(const QString &name, int index)
{
    Runtime::checkRunning();
    load();
    return m_byName.value(index < 0 ? name : name + QLatin1Char('_') + QString::number(index),
                          nullptr);
}

void Form::formMouseDown(int, int, float, float) {}

void Form::closeBox()
{
    unload();
}

void Form::beginDrag(BoxControl &source, QPoint pointer, QPoint grabOffset)
{
    if (!m_surface)
        return;
    if (!m_dragOverlay)
        m_dragOverlay = new DragOverlay(m_surface);
    const QWidget *w = source.widget();
    m_dragOverlay->start(source.dragIcon(), w ? w->size() : QSize(), grabOffset, pointer);
}

void Form::dragTo(QPoint pointer)
{
    if (m_dragOverlay)
        m_dragOverlay->follow(pointer);
}

void Form::finishDrag(BoxControl &source, QPoint pointer)
{
    if (m_dragOverlay)
        m_dragOverlay->hide();
    if (!m_surface)
        return;
    // The topmost visible control under the pointer, other than the one being carried: the
    // user sees it at the pointer, not where it still stands. Lines take no drops.
    const QObjectList &children = m_surface->children();
    for (auto child = children.crbegin(); child != children.crend(); ++child) {
        auto *w = dynamic_cast<ControlWidget *>(*child);
        if (!w || !w->isVisibleTo(m_surface) ||
            w->testAttribute(Qt::WA_TransparentForMouseEvents) || !w->geometry().contains(pointer))
            continue;
        auto *target = dynamic_cast<BoxControl *>(w->control());
        if (!target || target == &source)
            continue;
        target->dropReceived(source, w->mapFrom(m_surface, QPointF(pointer)));
        return;
    }
}
