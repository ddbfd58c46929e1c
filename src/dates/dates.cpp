#include "dates/dates.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <cmath>
#include <limits>

namespace dates {
namespace {

constexpr double kDaysPerYear = 365.2422454;
constexpr double kDaysPerMonth = 30.436853783333333;
constexpr double kYearOneCorrection = 1.7882454;
constexpr std::int64_t kDateDelta = 693594; // days from 1 January of year 1 to day 0 + 1

const int kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                               {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

bool inCalendar(double x)
{
    return x >= kFirstCalendarDay && x < kPastCalendarDay;
}

void decodeCalendar(std::int64_t days, std::int32_t &year, std::uint16_t &month, std::uint16_t &day)
{
    // days counts from 1 January of year 1 = 0.
    constexpr std::int64_t d1 = 365, d4 = d1 * 4 + 1, d100 = d4 * 25 - 1, d400 = d100 * 4 + 1;
    std::int64_t t = days;
    std::int64_t y = 1;
    y += 400 * (t / d400);
    t %= d400;
    std::int64_t i = t / d100, r = t % d100;
    if (i == 4) {
        i = 3;
        r += d100;
    }
    y += i * 100;
    t = r;
    i = t / d4;
    r = t % d4;
    y += i * 4;
    t = r;
    i = t / d1;
    r = t % d1;
    if (i == 4) {
        i = 3;
        r += d1;
    }
    y += i;
    const int leap = IsLeapYear(static_cast<std::int32_t>(y)) ? 1 : 0;
    int m = 0;
    while (r >= kMonthDays[leap][m]) {
        r -= kMonthDays[leap][m];
        ++m;
    }
    year = static_cast<std::int32_t>(y);
    month = static_cast<std::uint16_t>(m + 1);
    day = static_cast<std::uint16_t>(r + 1);
}

} // namespace

bool IsLeapYear(std::int32_t year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

void DecodeDate(TDateTime x, std::int32_t &year, std::uint16_t &month, std::uint16_t &day)
{
    if (inCalendar(x)) {
        const auto whole = static_cast<std::int64_t>(std::trunc(x));
        decodeCalendar(whole + kDateDelta - 1, year, month, day);
        return;
    }
    // Outside years 1 to 9999: fixed year and month lengths.
    double y = std::trunc((x + 693593) / kDaysPerYear);
    if (y > 0)
        x -= kYearOneCorrection;
    else
        y -= 1;
    double d = x + 693593;
    double m = d / kDaysPerMonth - 12 * y;
    if (m < 0) {
        m = 11;
        y -= 1;
    }
    month = static_cast<std::uint16_t>(std::trunc(m) + 1);
    d = d - y * kDaysPerYear - std::trunc(m) * kDaysPerMonth;
    day = static_cast<std::uint16_t>(static_cast<std::int64_t>(std::trunc(d)) + 1);
    if (y > 0)
        y += 1;
    year = static_cast<std::int32_t>(y);
}

TDateTime EncodeDate(std::int32_t year, std::uint16_t month, std::uint16_t day)
{
    if (year > 0 && year < 10000) {
        const int leap = IsLeapYear(year) ? 1 : 0;
        std::int64_t days = day;
        for (int m = 0; m + 1 < month && m < 12; ++m)
            days += kMonthDays[leap][m];
        const std::int64_t y = year - 1;
        days += y * 365 + y / 4 - y / 100 + y / 400;
        return static_cast<double>(days - kDateDelta);
    }
    double a = 0;
    if (year <= 0)
        a = year * kDaysPerYear - 693593;
    else
        a = (year - 1) * kDaysPerYear - 693593 + kYearOneCorrection;
    const double w = std::trunc(a);
    return std::nearbyint((month - 1) * kDaysPerMonth + w) + (day - 1);
}

void DecodeTime(TDateTime value, int &hour, int &minute, int &second, int &msec)
{
    const double frac = std::fabs(value - std::trunc(value));
    auto ms = static_cast<std::int64_t>(std::llround(frac * 86400000.0));
    if (ms >= 86400000)
        ms = 86400000 - 1;
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

std::int32_t DayOfTheYear(TDateTime value, std::int32_t &year)
{
    std::uint16_t m = 0, d = 0;
    DecodeDate(value, year, m, d);
    const auto whole = static_cast<std::int64_t>(std::trunc(value));
    auto firstOf = [](std::int32_t y) {
        return static_cast<std::int64_t>(std::trunc(EncodeDate(y, 1, 1)));
    };
    if (!inCalendar(value)) {
        // The approximate decoding and encoding disagree by a day or two about where a year
        // begins; the day counts from the encoded 1 January it follows, so it stays a day of a
        // year (1 to 366) and goes up by one from day to day.
        while (year < std::numeric_limits<std::int32_t>::max() && whole >= firstOf(year + 1))
            ++year;
        while (year > std::numeric_limits<std::int32_t>::min() && whole < firstOf(year))
            --year;
    }
    return static_cast<std::int32_t>(whole - firstOf(year) + 1);
}

std::int32_t DayNumber(TDateTime value)
{
    std::int32_t year = 0;
    return DayOfTheYear(value, year);
}

TDateTime UTCToLocalTime(TDateTime utc, const platform::TimeZoneQuery &zone)
{
    // The instant in seconds since 1970; a negative value's fraction counts forward from its day.
    const double day = std::trunc(utc);
    const double linear = day + std::fabs(utc - day);
    const double seconds = std::round((linear - 25569.0) * 86400.0);
    constexpr double kLimit = 9.2e18; // within the 64-bit range
    platform::TimeZoneInformation info{};
    const std::uint32_t kind =
        std::isfinite(seconds) && std::fabs(seconds) < kLimit
            ? zone.GetTimeZoneInformationAt(static_cast<std::int64_t>(seconds), info)
            : platform::TIME_ZONE_ID_INVALID;
    switch (kind) {
    case platform::TIME_ZONE_ID_STANDARD:
    case platform::TIME_ZONE_ID_UNKNOWN: // a zone without daylight saving
        return utc - info.Bias / 1440.0;
    case platform::TIME_ZONE_ID_DAYLIGHT:
        return utc - (info.Bias + info.DaylightBias) / 1440.0;
    default:
        throw EDateTimeError(
            QStringLiteral("Error converting to UTC time. Time zone could not be determined"));
    }
}

TDateTime FromLocalTime(const platform::LocalTime &t)
{
    const TDateTime day =
        EncodeDate(t.year, static_cast<std::uint16_t>(t.month), static_cast<std::uint16_t>(t.day));
    const double time =
        (t.hour * 3600000.0 + t.minute * 60000.0 + t.second * 1000.0 + t.msec) / 86400000.0;
    return day >= 0 ? day + time : day - time;
}

TDateTime Date(const platform::Clock &clock)
{
    platform::LocalTime t = clock.now();
    t.hour = t.minute = t.second = t.msec = 0;
    return FromLocalTime(t);
}

TDateTime Now(const platform::Clock &clock)
{
    return FromLocalTime(clock.now());
}

QString DateTimeToText(TDateTime value)
{
    std::int32_t y = 0;
    std::uint16_t m = 0, d = 0;
    DecodeDate(value, y, m, d);
    int hh = 0, mm = 0, ss = 0, ms = 0;
    DecodeTime(value, hh, mm, ss, ms);
    const QLocale locale; // the system locale unless a default was set
    QString text = locale.toString(QDate(y, m, d), QLocale::ShortFormat);
    if (hh != 0 || mm != 0 || ss != 0 || ms != 0) {
        // The long time format without any zone name.
        QString fmt = locale.timeFormat(QLocale::LongFormat);
        static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
        fmt.replace(zone, QStringLiteral(" "));
        text += QLatin1Char(' ') + locale.toString(QTime(hh, mm, ss, ms), fmt.trimmed());
    }
    return text;
}

} // namespace dates
