#pragma once

#include <QtMessageHandler>
#include <condition_variable>
#include <mutex>
#include <thread>

// Qt ends a program that can reach no screen (no display at all, or one that is not there) with
// its own English text and an abort, and waits for ever on a display that takes the connection
// but never answers. While a guard is on, around the making of the application object, either
// ends the program with a Russian line on standard error and exit status 1 instead. What Qt says
// meanwhile (its platform plugin's English complaints) is held back, and passed on only once a
// screen was reached after all.
class DisplayGuard
{
public:
    // A screen answers within milliseconds, over a slow network within a few seconds.
    static constexpr std::chrono::seconds kPatience{10};

    DisplayGuard();
    ~DisplayGuard() { dismiss(); }
    DisplayGuard(const DisplayGuard &) = delete;
    DisplayGuard &operator=(const DisplayGuard &) = delete;

    // The application object is made: Qt's messages go where they went before.
    void dismiss();

private:
    QtMessageHandler m_previous = nullptr;
    std::mutex m_lock;
    std::condition_variable m_made;
    bool m_dismissed = false;
    std::thread m_watch;
};
