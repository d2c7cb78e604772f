#pragma once

#include "clock.h"

class FixedClock : public Clock
{
public:
    void set(float seconds) { m_seconds = seconds; }
    float secondsSinceMidnight() const override { return m_seconds; }

private:
    float m_seconds = 45296.5f;
};
