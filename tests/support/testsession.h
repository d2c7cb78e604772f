#pragma once

#include "fixedclock.h"
#include "program.h"
#include "scripteddialogs.h"
#include "scriptedrandom.h"

#include <memory>

// One run of the program inside a test: scripted boxes, generator and clock, timers ticked
// by hand, and an end that is recorded instead of quitting the test.
class TestSession
{
public:
    explicit TestSession(ResultsFile resultsFile = ResultsFile());
    ~TestSession();

    // Starts the program: the name prompt answers `name`.
    void start(const QString &name = QStringLiteral("Ученик"));

    Program &program() { return *m_program; }
    ScriptedDialogs dialogs;
    ScriptedRandom random;
    FixedClock clock;
    int endCount = 0;

private:
    std::unique_ptr<Program> m_program;
};
