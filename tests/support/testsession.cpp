#include "testsession.h"

#include "runtime.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform says on every show that it cannot raise windows or pass size hints
// on; that is expected there and only hides real warnings.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

TestSession::TestSession(ResultsFile resultsFile)
{
    previousHandler = qInstallMessageHandler(quietHandler);
    Runtime::restart();
    Runtime::setDialogs(&dialogs);
    Runtime::setRandom(&random);
    Runtime::setClock(&clock);
    Runtime::setManualTimers(true);
    Runtime::setEndAction([this] { ++endCount; });
    m_program = std::make_unique<Program>(std::move(resultsFile));
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
    qInstallMessageHandler(previousHandler);
}

void TestSession::start(const QString &name)
{
    dialogs.answerInput(name);
    m_program->start();
}
