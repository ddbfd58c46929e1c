#pragma once

#include <cstdint>

namespace platform {

// Results of the time-zone query, with the values the Windows API gives them.
inline constexpr std::uint32_t TIME_ZONE_ID_UNKNOWN = 0;
inline constexpr std::uint32_t TIME_ZONE_ID_STANDARD = 1;
inline constexpr std::uint32_t TIME_ZONE_ID_DAYLIGHT = 2;
inline constexpr std::uint32_t TIME_ZONE_ID_INVALID = 0xFFFFFFFF;

// Biases in minutes with UTC = local time + bias.
struct TimeZoneInformation
{
    std::int32_t Bias = 0;
    std::int32_t StandardBias = 0;
    std::int32_t DaylightBias = 0;
};

class TimeZoneQuery
{
public:
    virtual ~TimeZoneQuery() = default;
    // Fills info for the current instant; asked anew on every call.
    virtual std::uint32_t GetTimeZoneInformation(TimeZoneInformation &info) const = 0;
    // The same for another instant (seconds since 1970 UTC), by the zone's rules for that
    // instant: the offset in force then, which differs from today's across a daylight-saving
    // change. A zone that knows no rules answers as for the current instant.
    virtual std::uint32_t GetTimeZoneInformationAt(std::int64_t /*unixSeconds*/,
                                                   TimeZoneInformation &info) const
    {
        return GetTimeZoneInformation(info);
    }
};

// The local zone (TZ, /etc/localtime), read as the C library reads it: at the current instant,
// or at the one asked for.
const TimeZoneQuery &systemTimeZone();

} // namespace platform
