#include "dates/dates.h"
#include "doubles.h"
#include "testsupport.h"

#include <QLocale>
#include <cmath>
#include <gtest/gtest.h>

using namespace dates;

namespace {

struct DayCase
{
    const char *name;
    TDateTime value;
    std::int32_t day;
};

class DayNumberTest : public testing::TestWithParam<DayCase>
{
};

TEST_P(DayNumberTest, GivesTheDayOfTheYear)
{
    EXPECT_EQ(DayNumber(GetParam().value), GetParam().day);
}

INSTANTIATE_TEST_SUITE_P(
    Calendar, DayNumberTest,
    testing::Values(DayCase{"FirstOfJanuary2026", EncodeDate(2026, 1, 1), 1},
                    DayCase{"LastOfDecember2026", EncodeDate(2026, 12, 31), 365},
                    DayCase{"LastOfDecember2024", EncodeDate(2024, 12, 31), 366},
                    DayCase{"LeapDay2004", EncodeDate(2004, 2, 29), 60},
                    DayCase{"LastOfDecember1900", EncodeDate(1900, 12, 31), 365},
                    DayCase{"LastOfDecember2000", EncodeDate(2000, 12, 31), 366},
                    DayCase{"Zero", 0.0, 364}, DayCase{"MinusOne", -1.0, 363},
                    DayCase{"NegativeFractionStaysOnDayZero", -0.2083, 364},
                    DayCase{"TimeOfDayIgnored", 12345.99, DayNumber(12345.0)},
                    DayCase{"YearOne", -693593.0, 1}, DayCase{"Year9999End", 2958465.0, 365}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DecodeDate, RoundTripsEveryDayOfTheCalendarRange)
{
    // Every 37th day from year 1 to 9999 and back.
    for (double x = kFirstCalendarDay; x < kPastCalendarDay; x += 37) {
        std::int32_t y;
        std::uint16_t m, d;
        DecodeDate(x, y, m, d);
        ASSERT_EQ(EncodeDate(y, m, d), x) << x;
    }
}

TEST(DecodeDate, KnownDates)
{
    std::int32_t y;
    std::uint16_t m, d;
    DecodeDate(25569.0, y, m, d);
    EXPECT_EQ((std::tuple{y, m, d}), (std::tuple{1970, 1, 1}));
    DecodeDate(-0.25, y, m, d);
    EXPECT_EQ((std::tuple{y, m, d}), (std::tuple{1899, 12, 30}));
    DecodeDate(-1.25, y, m, d);
    EXPECT_EQ((std::tuple{y, m, d}), (std::tuple{1899, 12, 29}));
}

TEST(DecodeDate, ApproximatesOutsideTheCalendarRange)
{
    std::int32_t y;
    std::uint16_t m, d;
    DecodeDate(kPastCalendarDay, y, m, d);
    EXPECT_EQ(y, 10000);
    EXPECT_EQ(m, 1);
    // The approximation knows no year 0: the day before year 1 is in year -1.
    DecodeDate(kFirstCalendarDay - 1, y, m, d);
    EXPECT_EQ((std::tuple{y, m, d}), (std::tuple{-1, 12, 30}));
    EXPECT_EQ(EncodeDate(10000, 1, 1), kPastCalendarDay);
    EXPECT_EQ(EncodeDate(10000, 3, 2), kPastCalendarDay + 61 + 1);
    EXPECT_EQ(EncodeDate(0, 1, 1), kFirstCalendarDay);
    EXPECT_EQ(EncodeDate(-1, 1, 1), -693958);
}

TEST(DayNumber, OutsideTheCalendarRangeStaysADayOfAYearAndCountsOnByOne)
{
    // Stretches across both ends of the range and far beyond them, day by day: every day is
    // 1 to 366 and the one after it is one more, or 1 after the 365th or 366th.
    const std::pair<double, double> stretches[] = {
        {kFirstCalendarDay - 4000, kFirstCalendarDay + 2},
        {kPastCalendarDay - 2, kPastCalendarDay + 4000},
        {3.0e6, 3.0e6 + 1500},
        {5.0e6, 5.0e6 + 1500},
        {-1.0e6, -1.0e6 + 1500},
        {-2.0e7, -2.0e7 + 1500}};
    for (const auto &[from, to] : stretches) {
        int previous = DayNumber(from);
        for (double x = from + 1; x <= to; ++x) {
            const int n = DayNumber(x);
            ASSERT_GE(n, 1) << x;
            ASSERT_LE(n, 366) << x;
            if (n == 1)
                ASSERT_GE(previous, 365) << x;
            else
                ASSERT_EQ(n, previous + 1) << x;
            previous = n;
        }
    }
}

TEST(DecodeTime, NegativeValuesUseTheAbsoluteFraction)
{
    int h, m, s, ms;
    DecodeTime(-0.25, h, m, s, ms);
    EXPECT_EQ((std::tuple{h, m, s}), (std::tuple{6, 0, 0}));
    DecodeTime(12345.98, h, m, s, ms);
    EXPECT_EQ((std::tuple{h, m, s}), (std::tuple{23, 31, 12}));
}

struct BiasCase
{
    const char *name;
    std::uint32_t result;
    platform::TimeZoneInformation info;
    TDateTime utc;
    TDateTime local;
};

class UtcToLocalTest : public testing::TestWithParam<BiasCase>
{
};

TEST_P(UtcToLocalTest, MovesByTheZonesBias)
{
    const BiasCase &c = GetParam();
    testsupport::FixedTimeZone zone(c.result, c.info);
    EXPECT_NEAR(UTCToLocalTime(c.utc, zone), c.local, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Biases, UtcToLocalTest,
                         testing::Values(BiasCase{"StandardWest",
                                                  platform::TIME_ZONE_ID_STANDARD,
                                                  {300, 0, -60},
                                                  12345.5,
                                                  12345.5 - 300 / 1440.0},
                                         BiasCase{"DaylightWest",
                                                  platform::TIME_ZONE_ID_DAYLIGHT,
                                                  {300, 0, -60},
                                                  12345.5,
                                                  12345.5 - 240 / 1440.0},
                                         BiasCase{"EastCrossesMidnight",
                                                  platform::TIME_ZONE_ID_STANDARD,
                                                  {-60, 0, 0},
                                                  12345.98,
                                                  12345.98 + 60 / 1440.0},
                                         BiasCase{"ZoneWithoutDaylightSaving",
                                                  platform::TIME_ZONE_ID_UNKNOWN,
                                                  {-540, 0, 0},
                                                  100.0,
                                                  100.0 + 540 / 1440.0},
                                         BiasCase{"ZeroMovesBeforeDayZero",
                                                  platform::TIME_ZONE_ID_STANDARD,
                                                  {300, 0, 0},
                                                  0.0,
                                                  -300 / 1440.0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(UtcToLocal, EastCrossingMidnightIsTheNextDay)
{
    testsupport::FixedTimeZone zone(platform::TIME_ZONE_ID_STANDARD, {-60, 0, 0});
    EXPECT_EQ(DayNumber(UTCToLocalTime(12345.98, zone)), DayNumber(12345.98) + 1);
}

TEST(UtcToLocal, UndeterminedZoneRaisesTheTimeZoneError)
{
    testsupport::FixedTimeZone zone(platform::TIME_ZONE_ID_INVALID, {});
    try {
        UTCToLocalTime(1.0, zone);
        FAIL() << "no error";
    } catch (const EDateTimeError &e) {
        EXPECT_EQ(e.message(), "Error converting to UTC time. Time zone could not be determined");
    }
}

TEST(UtcToLocal, RealZonesAtSummerAndWinterInstants)
{
    // 2026-01-15 12:00 UTC and 2026-07-15 12:00 UTC.
    const struct
    {
        const char *tz;
        std::int64_t instant;
        double hours; // local minus UTC
    } rows[] = {{"America/New_York", 1768478400, -5}, {"America/New_York", 1784116800, -4},
                {"Europe/Berlin", 1768478400, 1},     {"Europe/Berlin", 1784116800, 2},
                {"Asia/Tokyo", 1784116800, 9},        {"UTC", 1768478400, 0}};
    for (const auto &row : rows) {
        testsupport::ScopedEnv tz("TZ", row.tz);
        tzset();
        const TDateTime utc = 25569.0 + row.instant / 86400.0;
        EXPECT_NEAR(UTCToLocalTime(utc, testsupport::SystemZoneAt(row.instant)),
                    utc + row.hours / 24.0, 1e-9)
            << row.tz;
    }
}

// A login late on the evening before a daylight-saving change, or just after midnight on the
// day of it, converted the next morning: the offset in force at the login counts, not the
// morning's, or the login lands on the wrong day (both 2026 changes of each zone).
TEST(UtcToLocal, TheOffsetInForceAtTheInstantAcrossDaylightSavingChanges)
{
    const struct
    {
        const char *name;
        const char *tz;
        std::int64_t login; // seconds since 1970 UTC
        std::int64_t now;   // the next morning, 09:30 local
        int month, day;     // the login's local date in 2026
        int hour, minute;   // and time
    } rows[] = {
        {"BerlinSpringEvening", "Europe/Berlin", 1774737000, 1774769400, 3, 28, 23, 30},
        {"BerlinAutumnEvening", "Europe/Berlin", 1792877400, 1792917000, 10, 24, 23, 30},
        {"BerlinAutumnAfterMidnight", "Europe/Berlin", 1792881000, 1792917000, 10, 25, 0, 30},
        {"LordHoweAprilEvening", "Australia/Lord_Howe", 1775305800, 1775343600, 4, 4, 23, 30},
        {"LordHoweAprilAfterMidnight", "Australia/Lord_Howe", 1775308500, 1775343600, 4, 5, 0, 15},
        {"LordHoweOctoberEvening", "Australia/Lord_Howe", 1791032400, 1791066600, 10, 3, 23, 30},
        {"LordHoweOctoberLateEvening", "Australia/Lord_Howe", 1791033300, 1791066600, 10, 3, 23,
         45},
    };
    for (const auto &row : rows) {
        testsupport::ScopedEnv tz("TZ", row.tz);
        tzset();
        const TDateTime utc = 25569.0 + double(row.login) / 86400.0;
        const TDateTime expected =
            EncodeDate(2026, std::uint16_t(row.month), std::uint16_t(row.day)) +
            (row.hour * 60 + row.minute) / 1440.0;
        const TDateTime local = UTCToLocalTime(utc, testsupport::SystemZoneAt(row.now));
        EXPECT_NEAR(local, expected, 1e-9) << row.name;
        EXPECT_EQ(DayNumber(local), DayNumber(expected)) << row.name;
    }
}

TEST(DateTimeToText, LeavesTheTimeOutAtMidnightAndShowsNegativeDays)
{
    QLocale::setDefault(QLocale::c());
    // The C locale's formats: "d MMM yyyy" and "HH:mm:ss" once the zone name is gone.
    EXPECT_FALSE(DateTimeToText(EncodeDate(2026, 3, 4)).contains(':'));
    const QString noon = DateTimeToText(EncodeDate(2026, 3, 4) + 0.5);
    EXPECT_TRUE(noon.endsWith("12:00:00")) << noon.toStdString();
    EXPECT_FALSE(noon.contains("UTC"));
    // Day 0 less a quarter: the same day, 30 December 1899, at six in the morning.
    EXPECT_EQ(DateTimeToText(-0.25).toStdString(), "30 Dec 1899 06:00:00");
    EXPECT_EQ(DateTimeToText(-1.75).toStdString(), "29 Dec 1899 18:00:00");
}

TEST(LocalTime, NowCombinesDateAndTime)
{
    testsupport::FixedClock clock({2026, 7, 19, 18, 0, 0, 0});
    EXPECT_EQ(Date(clock), EncodeDate(2026, 7, 19));
    EXPECT_NEAR(Now(clock), EncodeDate(2026, 7, 19) + 0.75, 1e-9);
    EXPECT_EQ(DayNumber(Now(clock)), 200);
}

} // namespace
