#pragma once

#include "dates/dates.h"

#include <QString>
#include <cstdint>

// The values the show decision fills and the windows read; they live for the whole run.
struct ProgramValues
{
    bool IntervalMode = false;
    QString DayStamp;
    QString URL;
    dates::TDateTime LastLoginTime = 0.0;
    QString CurrentDay;
    QString LastLoginDay;
    std::int32_t TimeZoneOffset = 0;
};
ProgramValues &programValues();
