#pragma once

#include "layout.h"
#include "runtimeerror.h"

#include <QColor>
#include <QHash>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

class BoxControl;
class Control;
class DragOverlay;
class FormSurface;
class FormWindow;
class QMainWindow;
class QWidget;

// A window class of the program. The object lives for the whole run and keeps its member
// variables; the window with its controls exists only while the form is loaded.
//
// Loading builds the controls from the stored layout and then runs formLoad(). The close box
// unloads: controls, their texts and timers are destroyed. hide() keeps everything loaded.
class Form
{
public:
    explicit Form(const FormLayout &layout);
    virtual ~Form();
    Form(const Form &) = delete;
    Form &operator=(const Form &) = delete;

    const FormLayout &layout() const { return m_layout; }

    void load();
    void unload();
    // Loads the window if needed and shows it, without a modal state and without an owner.
    void show();
    void hide();
    bool isLoaded() const;
    // Loaded and not hidden.
    bool isShown() const;

    // The outer size in twips, frame and menu bar included.
    float width();
    float height();
    QString caption();
    QColor backColor();
    void setBackColor(const QColor &color);

    // A control by name (and index for an element of a control array). Touching a control of
    // an unloaded window loads it.
    template <class T> T &control(const QString &name, int index = -1);
    // The number of elements of a control array.
    int controlCount(const QString &arrayName);

    // The window and its client area, while loaded (for the runtime and tests).
    QMainWindow *window() const;
    QWidget *surface() const;
    // The control whose widget has this name ("Image1_2" for element 2), if loaded.
    Control *findControl(const QString &objectName) const;

    // Dragging a control within this window (BoxControl calls these). Points are in pixels
    // of the client area; grabOffset is where the pointer holds the source.
    void beginDrag(BoxControl &source, QPoint pointer, QPoint grabOffset);
    void dragTo(QPoint pointer);
    void finishDrag(BoxControl &source, QPoint pointer);

protected:
    // After the controls are built, before formLoad(): give the controls their handlers.
    virtual void connectEvents() {}
    virtual void formLoad() {}
    // Events of the window's own surface (not of a control on it).
    virtual void formClick() {}
    virtual void formDblClick() {}
    virtual void formMouseDown(int button, int shift, float x, float y);
    // The title bar's close box. By default it unloads the window.
    virtual void closeBox();

private:
    friend class FormSurface;
    friend class FormWindow;
    friend class FormBuilder;

    Control *lookup(const QString &name, int index);

    const FormLayout &m_layout;
    QPointer<FormWindow> m_window;
    QPointer<FormSurface> m_surface;
    QPointer<DragOverlay> m_dragOverlay;
    std::vector<std::unique_ptr<Control>> m_controls;
    QHash<QString, Control *> m_byName;
    QHash<QString, int> m_arrayCounts;
};

template <class T> T &Form::control(const QString &name, int index)
{
    if (T *typed = dynamic_cast<T *>(lookup(name, index)))
        return *typed;
    throw RuntimeError::noSuchControl(index < 0 ? name
                                                : QStringLiteral("%1(%2)").arg(name).arg(index));
}
