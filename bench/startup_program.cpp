// The program as main() starts it, ended by the watcher once the name prompt is on screen.
#include "program.h"
#include "promptwatcher.h"
#include "runtime.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    PromptWatcher watcher;
    app.installEventFilter(&watcher);
    QApplication::setApplicationName(QStringLiteral("mouse-tutor"));
    QGuiApplication::setDesktopFileName(QStringLiteral("ru.mouse_tutor.MouseTutor"));
    Program program;
    program.start();
    return Runtime::hasEnded() ? 0 : QApplication::exec();
}
