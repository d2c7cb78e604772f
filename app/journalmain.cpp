#include "classlist.h"
#include "commandline.h"
#include "displayguard.h"
#include "filepath.h"
#include "journalexport.h"
#include "journalwindow.h"
#include "outputfile.h"
#include "qttranslation.h"
#include "resourcelimits.h"
#include "standarddescriptors.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLocale>
#include <QMessageBox>
#include <cstdio>
#include <memory>
#include <new>

namespace {

// The list --class names, read before anything is written; false, with the reason said on
// standard error, when it cannot be used. What it repeats is said too, and taken once.
bool readClassList(const CommandLine::Result &command, ClassList &list)
{
    if (command.classPath.isEmpty())
        return true;
    const auto say = [&](const QString &what) {
        std::fputs(FilePath::encode(QStringLiteral("mouse-tutor: %1: %2\n")
                                        .arg(FilePath::printable(command.classPath), what))
                       .constData(),
                   stderr);
    };
    // The table would take the list's place.
    if (!command.exportPath.isEmpty() &&
        FilePath::withoutRepeats({command.exportPath}, {command.classPath}).isEmpty()) {
        say(QStringLiteral("таблица --export не записывается на место списка класса"));
        return false;
    }
    list = ClassList::fromFile(command.classPath);
    if (!list.problem().isEmpty()) {
        QString problem = list.problem();
        problem[0] = problem[0].toLower();
        say(problem.chopped(1));
        return false;
    }
    for (const QString &note : list.repeatNotes())
        say(note);
    return true;
}

int run(int argc, char *argv[])
{
    // As bytes: a file name that is not UTF-8 must name the same file when it is opened.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << FilePath::decode(QByteArray(argv[i]));
    if (arguments.isEmpty())
        arguments << QStringLiteral("mouse-tutor");
    arguments.insert(1, QStringLiteral("--journal"));
    const CommandLine::Result command = CommandLine::parse(arguments);
    ClassList classList;
    if (!readClassList(command, classList))
        return JournalExport::Refused;
    switch (command.action) {
    case CommandLine::Action::Journal:
        break;
    case CommandLine::Action::Export: {
        QFile errors;
        if (!errors.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered))
            return JournalExport::FileUnreadable;
        return JournalExport::run(
            command.journalFiles, command.exportPath, errors,
            command.period ? JournalPeriod::between(command.since, command.until) : JournalPeriod(),
            command.classPath.isEmpty() ? nullptr : &classList);
    }
    default:
        return CommandLine::print(command);
    }

    if (!ResourceLimits::readyForWindow())
        return 1;
    DisplayGuard guard;
    QApplication app(argc, argv);
    guard.dismiss();
    // Qt's own dialogs and menus in the user's language; the program's own texts are Russian.
    QtTranslation::install(QLocale());
    // A window of its own in the dock, under the journal's desktop entry.
    QApplication::setApplicationName(QStringLiteral("mouse-tutor-journal"));
    QGuiApplication::setDesktopFileName(QStringLiteral("ru.mouse_tutor.MouseTutor.Journal"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/journal/toymouse.ico")));
    std::unique_ptr<JournalWindow> journal;
    try {
        journal = std::make_unique<JournalWindow>();
        if (command.period)
            journal->setPeriod(command.since, command.until);
        journal->openFiles(command.journalFiles);
        if (!command.classPath.isEmpty())
            journal->setClassList(classList);
        journal->show();
        return QApplication::exec();
    } catch (const std::bad_alloc &) {
        // The records go first, and the reserve, to leave room for the box.
        journal.reset();
        ResourceLimits::releaseReserve();
        std::fputs(FilePath::encode(ResourceLimits::memoryShortage()).constData(), stderr);
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Журнал результатов"),
                        QStringLiteral("Не хватило памяти: журнал закрыт. Откройте меньше "
                                       "файлов или закройте другие программы."),
                        QMessageBox::Ok);
        box.exec();
        return 1;
    }
}

} // namespace

// The teacher's journal, a program of its own: `mouse-tutor --journal` hands its command line
// over unchanged, and this program reads it as the course would. Started by itself, it is the
// journal all the same.
int main(int argc, char *argv[])
{
    // Before anything is opened: a file opened with standard error closed would take its
    // number, and the diagnostics with it.
    if (!StandardDescriptors::open())
        return 1;
    // Memory that runs out ends the program with a message and status 1, the new file of an
    // output removed: here on this thread, on the reading thread through the handler.
    ResourceLimits::exitWhenMemoryRunsOut(OutputFile::removeUnfinished);
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc &) {
        std::fputs(FilePath::encode(ResourceLimits::memoryShortage()).constData(), stderr);
        return 1;
    }
}
