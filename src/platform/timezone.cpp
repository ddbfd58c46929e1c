#include "platform/timezone.h"

#include <QDateTime>
#include <QTimeZone>

namespace platform {
namespace {

// The zone as the C library reads TZ, so that the clock and the conversion agree: a TZ that
// is set but empty, or that names no zone Qt knows, is UTC.
QTimeZone localZone()
{
    if (qEnvironmentVariableIsSet("TZ") && qEnvironmentVariableIsEmpty("TZ"))
        return QTimeZone::utc();
    const QTimeZone zone = QTimeZone::systemTimeZone();
    return zone.isValid() ? zone : QTimeZone::utc();
}

// UTC = local time + bias, in minutes.
int biasAt(const QTimeZone &zone, const QDateTime &at)
{
    return -zone.offsetFromUtc(at) / 60;
}

// The local zone through QTimeZone, which reads the system's zone data wherever Qt runs.
class SystemTimeZone : public TimeZoneQuery
{
public:
    std::uint32_t GetTimeZoneInformation(TimeZoneInformation &info) const override
    {
        return infoAt(QDateTime::currentDateTimeUtc(), info);
    }

    std::uint32_t GetTimeZoneInformationAt(std::int64_t unixSeconds,
                                           TimeZoneInformation &info) const override
    {
        return infoAt(QDateTime::fromSecsSinceEpoch(unixSeconds, Qt::UTC), info);
    }

private:
    // The kind and biases in force at `now`.
    static std::uint32_t infoAt(const QDateTime &now, TimeZoneInformation &info)
    {
        info = {};
        const QTimeZone zone = localZone();
        if (!now.isValid())
            return TIME_ZONE_ID_INVALID;
        const bool nowDaylight = zone.isDaylightTime(now);
        const int nowBias = biasAt(zone, now);

        // The standard offset is the one of a season without daylight saving this year. Noon
        // UTC of 1 January and 1 July is the same local day everywhere, far from any change.
        const int year = now.addSecs(zone.offsetFromUtc(now)).date().year();
        const QDateTime jan(QDate(year, 1, 1), QTime(12, 0), Qt::UTC);
        const QDateTime jul(QDate(year, 7, 1), QTime(12, 0), Qt::UTC);
        const bool janDaylight = zone.isDaylightTime(jan);
        const bool julDaylight = zone.isDaylightTime(jul);

        int standard = nowBias;
        int daylight = standard;
        bool hasDaylight = false;
        if (janDaylight != julDaylight) {
            hasDaylight = true;
            standard = biasAt(zone, janDaylight ? jul : jan);
            daylight = biasAt(zone, janDaylight ? jan : jul);
        } else if (nowDaylight) {
            hasDaylight = true;
            standard = -zone.standardTimeOffset(now) / 60;
            daylight = nowBias;
        }

        info.Bias = standard;
        info.StandardBias = 0;
        info.DaylightBias = daylight - standard;
        if (!hasDaylight)
            return TIME_ZONE_ID_UNKNOWN;
        if (nowDaylight) {
            // The current bias is what counts for the conversion.
            info.DaylightBias = nowBias - standard;
            return TIME_ZONE_ID_DAYLIGHT;
        }
        info.Bias = nowBias;
        return TIME_ZONE_ID_STANDARD;
    }
};

} // namespace

const TimeZoneQuery &systemTimeZone()
{
    static const SystemTimeZone zone;
    return zone;
}

} // namespace platform
