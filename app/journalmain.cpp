#include "commandline.h"
#include "filepath.h"
#include "journalexport.h"
#include "journalwindow.h"
#include "qttranslation.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLocale>

// The teacher's journal, a program of its own: `mouse-tutor --journal` hands its command line
// over unchanged, and this program reads it as the course would. Started by itself, it is the
// journal all the same.
int main(int argc, char *argv[])
{
    // As bytes: a file name that is not UTF-8 must name the same file when it is opened.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << FilePath::decode(QByteArray(argv[i]));
    if (arguments.isEmpty())
        arguments << QStringLiteral("mouse-tutor");
    arguments.insert(1, QStringLiteral("--journal"));
    const CommandLine::Result command = CommandLine::parse(arguments);
    switch (command.action) {
    case CommandLine::Action::Journal:
        break;
    case CommandLine::Action::Export: {
        QFile errors;
        if (!errors.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered))
            return JournalExport::FileUnreadable;
        return JournalExport::run(command.journalFiles, command.exportPath, errors,
                                  command.period
                                      ? JournalPeriod::between(command.since, command.until)
                                      : JournalPeriod());
    }
    default:
        return CommandLine::print(command);
    }

    QApplication app(argc, argv);
    // Qt's own dialogs and menus in the user's language; the program's own texts are Russian.
    QtTranslation::install(QLocale());
    // A window of its own in the dock, under the journal's desktop entry.
    QApplication::setApplicationName(QStringLiteral("mouse-tutor-journal"));
    QGuiApplication::setDesktopFileName(QStringLiteral("ru.mouse_tutor.MouseTutor.Journal"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/journal/toymouse.ico")));
    JournalWindow journal;
    if (command.period)
        journal.setPeriod(command.since, command.until);
    journal.openFiles(command.journalFiles);
    journal.show();
    return QApplication::exec();
}
