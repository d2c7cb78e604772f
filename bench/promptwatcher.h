#pragma once

#include <QObject>

// Watches for the name prompt's window to be exposed (on screen), then prints the moment
// (CLOCK_MONOTONIC, nanoseconds) and the peak memory so far, and ends the process at once.
class PromptWatcher : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
