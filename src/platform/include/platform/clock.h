#pragma once

namespace platform {

// A local calendar instant as the wall clock shows it.
struct LocalTime
{
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int msec = 0;
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual LocalTime now() const = 0;
};

const Clock &systemClock();

} // namespace platform
