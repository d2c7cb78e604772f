#pragma once

// runtime/: the form runtime over Qt Widgets, on which the pupils' windows are written: forms
// built from stored layouts, controls placed in twips, mouse events and dragging, modal boxes,
// timers, random numbers, the clock, and 16-bit counters that refuse to overflow.

#include <QString>
#include <functional>

class Clock;
class Dialogs;
class Form;
class Random;

// The services every window shares: the modal boxes, random numbers, the clock, the running
// of event handlers and the end of the program. Tests replace the boxes, the generator and the
// clock with scripted ones.
class Runtime
{
public:
    static Dialogs &dialogs();
    static void setDialogs(Dialogs *dialogs); // nullptr brings back the real boxes
    static Random &random();
    static void setRandom(Random *random); // nullptr brings back the program's generator
    static Clock &clock();
    static void setClock(Clock *clock); // nullptr brings back the system clock

    // Runs one event handler. Once the program has ended nothing runs. An error that escapes
    // the handler is shown in the runtime's error box and ends the program.
    static void dispatch(const std::function<void()> &handler);

    // Closes every window at once, stops every timer and leaves the event loop; the running
    // handler stops too (ProgramEnded unwinds it).
    [[noreturn]] static void end();
    static bool hasEnded();
    // What ending does after closing the windows; by default it quits the application.
    static void setEndAction(std::function<void()> action);
    // Forgets that the program ended, so a test can start a fresh run in the same process.
    static void restart();
    // Throws ProgramEnded when the program has ended, so that code after a nested event loop
    // (a modal box) does not go on.
    static void checkRunning();

    // With manual timers, timer controls never start a real timer; tests tick them.
    static void setManualTimers(bool manual);
    static bool manualTimers();

    static void addForm(Form *form);
    static void removeForm(Form *form);

private:
    static void finish();
};

// What the window logic calls.
int msgBox(const QString &prompt, int style, const QString &title);
QString inputBox(const QString &prompt, const QString &title);
float rnd();
void randomize(float seed);
float secondsSinceMidnight();
[[noreturn]] void endProgram();
