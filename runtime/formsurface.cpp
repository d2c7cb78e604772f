#include "formsurface.h"

#include "form.h"
#include "mouseevents.h"
#include "runtime.h"

#include <QMouseEvent>

FormSurface::FormSurface(Form &form, QSize clientSize) : m_form(form), m_clientSize(clientSize)
{
    setObjectName(QStringLiteral("surface"));
    setAutoFillBackground(true);
    // The pages need the whole stored client area.
    setMinimumSize(clientSize);
}

void FormSurface::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    m_pressed = event->button();
    const MouseArgs args = mouseArgs(event);
    Form *form = &m_form;
    Runtime::dispatch([&] { form->formMouseDown(args.button, args.shift, args.x, args.y); });
}

void FormSurface::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    const bool click = m_pressed != Qt::NoButton && m_pressed == event->button() &&
                       rect().contains(event->position().toPoint());
    m_pressed = Qt::NoButton;
    if (click) {
        Form *form = &m_form;
        Runtime::dispatch([form] { form->formClick(); });
    }
}

// A left double click is press, click, then double click; the last release raises nothing.
void FormSurface::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    event->accept();
    m_pressed = Qt::NoButton;
    Form *form = &m_form;
    Runtime::dispatch([form] { form->formDblClick(); });
}
