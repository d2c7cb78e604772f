#pragma once

#include "control.h"

#include <functional>
#include <memory>

class QTimer;

// Raises its tick event every interval (in milliseconds) while enabled, also while its window
// is hidden. An interval of 0 never ticks.
class Timer : public Control
{
public:
    using Handler = std::function<void()>;

    Timer(Form &form, const QString &name, int index);
    ~Timer() override;

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int interval() const { return m_interval; }
    void setInterval(int milliseconds);
    // Whether it is counting down right now: enabled with a non-zero interval.
    bool running() const { return m_enabled && m_interval > 0; }

    void onTimer(Handler handler) { m_onTimer = std::move(handler); }
    // One tick now, as if the interval had passed (for timers driven by hand in tests).
    void tick();

private:
    void restart();

    std::unique_ptr<QTimer> m_timer;
    bool m_enabled = true;
    int m_interval = 0;
    Handler m_onTimer;
};
