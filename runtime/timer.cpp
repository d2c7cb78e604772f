#include "timer.h"

#include "runtime.h"

#include <QTimer>

Timer::Timer(Form &form, const QString &name, int index)
    : Control(form, name, index), m_timer(std::make_unique<QTimer>())
{
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { tick(); });
}

Timer::~Timer() = default;

void Timer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    restart();
}

void Timer::setInterval(int milliseconds)
{
    m_interval = std::max(0, milliseconds);
    restart();
}

void Timer::tick()
{
    Runtime::dispatch(Handler(m_onTimer));
}

void Timer::restart()
{
    m_timer->stop();
    if (running() && !Runtime::manualTimers())
        m_timer->start(m_interval);
}
