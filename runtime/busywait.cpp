#include "busywait.h"

#include "runtime.h"

#include <QApplication>

BusyWait::~BusyWait()
{
    if (m_cursorShown)
        QApplication::restoreOverrideCursor();
}

void BusyWait::tick()
{
    if (!m_cursorShown) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        m_cursorShown = true;
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    Runtime::checkRunning();
}
