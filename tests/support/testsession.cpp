#include "testsession.h"

#include "runtime.h"

#include <QCoreApplication>
#include <QEvent>

TestSession::TestSession()
{
    Runtime::restart();
    Runtime::setDialogs(&dialogs);
    Runtime::setRandom(&random);
    Runtime::setClock(&clock);
    Runtime::setManualTimers(true);
    Runtime::setEndAction([this] { ++endCount; });
    m_program = std::make_unique<Program>();
}

TestSession::~TestSession()
{
    m_program.reset();
    // Windows unloaded by the close box are deleted on the next turn of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Runtime::setDialogs(nullptr);
    Runtime::setRandom(nullptr);
    Runtime::setClock(nullptr);
    Runtime::setManualTimers(false);
    Runtime::setEndAction({});
    Runtime::restart();
}

void TestSession::start(const QString &name)
{
    dialogs.answerInput(name);
    m_program->start();
}
