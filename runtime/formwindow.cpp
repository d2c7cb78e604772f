#include "formwindow.h"

#include "form.h"
#include "runtime.h"

#include <QCloseEvent>

FormWindow::FormWindow(Form &form) : m_form(form)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void FormWindow::closeEvent(QCloseEvent *event)
{
    // The form decides: it unloads itself (which deletes this window later) or ends the run.
    event->ignore();
    Form *form = &m_form;
    Runtime::dispatch([form] { form->closeBox(); });
}
