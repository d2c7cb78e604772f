#pragma once

// app/: the two programs' main(), the course's (main.cpp, which hands --journal over to the
// journal's program) and the journal's (journalmain.cpp), and what both start with: this
// command line and Qt's own translations.

#include <QString>
#include <QStringList>
#include <limits>

// The program's command line. It is read before the application object exists, so that --help,
// --version and a wrong option need no display at all.
class CommandLine
{
public:
    enum class Action {
        Run,            // start the program
        ShowHelp,       // print the message on standard output and exit
        ShowVersion,    // the same
        BadUsage,       // print the message on standard error and exit, no window
        BadResultsFile, // the same, after saying it in a message box too
        Journal,        // open the teacher's journal on journalFiles
        Export,         // write the records of journalFiles to exportPath and exit, no window
    };

    struct Result
    {
        Action action = Action::Run;
        QString resultsPath; // Run: the results file, as typed; res.txt when none was given
        QString message;     // the text for standard output or standard error, lines ended
        QString boxText;     // BadResultsFile: the message for the box
        int exitStatus = 0;
        QStringList journalFiles; // Journal, Export: the files named, else the results file
        QString exportPath;       // Export: the CSV file to write
        QString classPath;        // Journal, Export: the class list's file (--class), or empty
        // Journal, Export: only the records saved from `since` up to before `until` (seconds
        // since 1970), when `period` (--since, --until).
        bool period = false;
        qint64 since = std::numeric_limits<qint64>::min();
        qint64 until = std::numeric_limits<qint64>::max();
    };

    // `arguments` as main() gets them, the program's name first.
    static Result parse(const QStringList &arguments);
    // Writes the result's message as its bytes: help and the version on standard output, the
    // rest on standard error. Returns the exit status.
    static int print(const Result &result);
};
