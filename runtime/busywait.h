#pragma once

// Keeps the windows alive while a handler waits for something outside the program (another
// program's lock on the results file): they repaint and their timers run, under a busy cursor.
// Mouse and keyboard input waits until the handler is done, so that no command starts again
// meanwhile.
class BusyWait
{
public:
    BusyWait() = default;
    ~BusyWait();
    BusyWait(const BusyWait &) = delete;
    BusyWait &operator=(const BusyWait &) = delete;

    // Called between tries. Throws ProgramEnded when the program ended meanwhile (its window
    // closed), so that the handler goes no further.
    void tick();

private:
    bool m_cursorShown = false;
};
