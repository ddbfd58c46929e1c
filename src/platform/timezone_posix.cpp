#include "platform/timezone.h"

#include <ctime>

namespace platform {
namespace {

bool localAt(std::time_t t, std::tm &out)
{
    return localtime_r(&t, &out) != nullptr;
}

int biasOf(const std::tm &tm)
{
    return static_cast<int>(-tm.tm_gmtoff / 60);
}

class PosixTimeZone : public TimeZoneQuery
{
public:
    explicit PosixTimeZone(std::int64_t fixed = -1) : m_fixed(fixed) {}

    std::uint32_t GetTimeZoneInformation(TimeZoneInformation &info) const override
    {
        info = {};
        tzset();
        const std::time_t now =
            m_fixed >= 0 ? static_cast<std::time_t>(m_fixed) : std::time(nullptr);
        std::tm cur{};
        if (now == static_cast<std::time_t>(-1) || !localAt(now, cur))
            return TIME_ZONE_ID_INVALID;

        // The standard offset is the one of a season without daylight saving this year.
        std::tm probe{};
        probe.tm_year = cur.tm_year;
        probe.tm_mday = 1;
        probe.tm_hour = 12;
        probe.tm_isdst = -1;
        std::tm jan{}, jul{};
        std::tm p1 = probe;
        std::tm p2 = probe;
        p2.tm_mon = 6;
        const std::time_t t1 = std::mktime(&p1);
        const std::time_t t2 = std::mktime(&p2);
        const bool haveJan = t1 != static_cast<std::time_t>(-1) && localAt(t1, jan);
        const bool haveJul = t2 != static_cast<std::time_t>(-1) && localAt(t2, jul);

        int standard = biasOf(cur);
        int daylight = standard;
        bool hasDaylight = false;
        if (haveJan && haveJul && jan.tm_isdst != jul.tm_isdst) {
            hasDaylight = true;
            standard = biasOf(jan.tm_isdst > 0 ? jul : jan);
            daylight = biasOf(jan.tm_isdst > 0 ? jan : jul);
        } else if (cur.tm_isdst > 0) {
            hasDaylight = true;
            standard = static_cast<int>(timezone / 60);
            daylight = biasOf(cur);
        }

        info.Bias = standard;
        info.StandardBias = 0;
        info.DaylightBias = daylight - standard;
        if (!hasDaylight)
            return TIME_ZONE_ID_UNKNOWN;
        if (cur.tm_isdst > 0) {
            // The current bias is what counts for the conversion.
            info.DaylightBias = biasOf(cur) - standard;
            return TIME_ZONE_ID_DAYLIGHT;
        }
        info.Bias = biasOf(cur);
        return TIME_ZONE_ID_STANDARD;
    }

private:
    std::int64_t m_fixed;
};

} // namespace

const TimeZoneQuery &systemTimeZone()
{
    static const PosixTimeZone zone;
    return zone;
}

std::unique_ptr<TimeZoneQuery> systemTimeZoneAt(std::int64_t unixSeconds)
{
    return std::make_unique<PosixTimeZone>(unixSeconds);
}

} // namespace platform
