#pragma once

#include "clock.h"

class SystemClock : public Clock
{
public:
    float secondsSinceMidnight() const override;
};
