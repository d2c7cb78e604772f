#pragma once

// The time of day.
class Clock
{
public:
    virtual ~Clock() = default;

    virtual float secondsSinceMidnight() const = 0;
};
