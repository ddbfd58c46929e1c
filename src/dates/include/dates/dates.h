#pragma once

#include "framework/exception.h"
#include "platform/clock.h"
#include "platform/timezone.h"

#include <cstdint>

namespace dates {

// Days since 30 December 1899, the fraction being the time of day. For a negative value the
// whole part truncated toward zero is the day and the absolute fraction the time of day.
using TDateTime = double;

inline constexpr TDateTime kFirstCalendarDay = -693593; // 1 January of year 1
inline constexpr TDateTime kPastCalendarDay = 2958466;  // 1 January of year 10000

class EDateError : public framework::Exception
{
public:
    using Exception::Exception;
};

class EDateTimeError : public EDateError
{
public:
    using EDateError::EDateError;
};

void DecodeDate(TDateTime value, std::int32_t &year, std::uint16_t &month, std::uint16_t &day);
TDateTime EncodeDate(std::int32_t year, std::uint16_t month, std::uint16_t day);
void DecodeTime(TDateTime value, int &hour, int &minute, int &second, int &msec);

// The day of the year, 1 for 1 January.
std::int32_t DayNumber(TDateTime value);
std::int32_t DayOfTheYear(TDateTime value, std::int32_t &year);

bool IsLeapYear(std::int32_t year);

// Converts with the offset in force at that instant by the zone's rules (not today's, which
// differs across a daylight-saving change), asked anew on every call. A zone without daylight
// saving converts with its bias as in standard time; only a zone that cannot be determined
// raises EDateTimeError.
TDateTime UTCToLocalTime(TDateTime utc, const platform::TimeZoneQuery &zone);

TDateTime FromLocalTime(const platform::LocalTime &t);
// The current local date at midnight, and date plus time.
TDateTime Date(const platform::Clock &clock);
TDateTime Now(const platform::Clock &clock);

// The system locale's short date, a space and its long time without zone name; the time is
// left out at exactly midnight.
QString DateTimeToText(TDateTime value);

} // namespace dates
