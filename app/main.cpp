#include "commandline.h"
#include "dialogs.h"
#include "displayguard.h"
#include "filepath.h"
#include "journalhandover.h"
#include "program.h"
#include "qttranslation.h"
#include "resourcelimits.h"
#include "resultsfile.h"
#include "runtime.h"
#include "standarddescriptors.h"

#include <QApplication>
#include <QLocale>
#include <cstdio>
#include <new>

namespace {

// Without any of these there is no screen for a box: what standard error was told is all.
bool hasDisplay()
{
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

int run(int argc, char *argv[])
{
    // As bytes: a file name that is not UTF-8 must name the same file when it is opened.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << FilePath::decode(QByteArray(argv[i]));
    const CommandLine::Result command = CommandLine::parse(arguments);
    switch (command.action) {
    case CommandLine::Action::Run:
        break;
    case CommandLine::Action::Journal:
    case CommandLine::Action::Export:
        // The journal is a program of its own, so that the course never loads its libraries.
        return JournalHandover::exec(argv);
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
    case CommandLine::Action::BadUsage:
        return CommandLine::print(command);
    case CommandLine::Action::BadResultsFile:
        CommandLine::print(command);
        if (!hasDisplay())
            return command.exitStatus;
        break;
    }

    if (!ResourceLimits::readyForWindow())
        return 1;
    DisplayGuard guard;
    QApplication app(argc, argv);
    guard.dismiss();
    // Qt's own dialogs and menus in the user's language; the program's own texts are Russian.
    QtTranslation::install(QLocale());
    // The names a desktop shell finds the installed desktop entry by, and with it the icon, for
    // every window: the application id under Wayland, the window class (the desktop entry's
    // StartupWMClass, plain ASCII as X11 wants) under X11. No window title is made from them.
    QApplication::setApplicationName(QStringLiteral("mouse-tutor"));
    QGuiApplication::setDesktopFileName(QStringLiteral("ru.mouse_tutor.MouseTutor"));
    Program program{ResultsFile(command.resultsPath)};
    if (command.action == CommandLine::Action::BadResultsFile) {
        msgBox(command.boxText, BoxStyle::ErrorOk, QStringLiteral("Мышь"));
        return command.exitStatus;
    }
    program.start();
    // The name prompt may already have ended the run (an error on start-up).
    return Runtime::hasEnded() ? 0 : QApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    // Before anything is opened: a file opened with standard error closed would take its
    // number, and the messages with it.
    if (!StandardDescriptors::open())
        return 1;
    // Memory that runs out ends the program with a message and status 1, here or on another
    // thread, never with an abort.
    ResourceLimits::exitWhenMemoryRunsOut(nullptr);
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc &) {
        std::fputs(FilePath::encode(ResourceLimits::memoryShortage()).constData(), stderr);
        return 1;
    }
}
