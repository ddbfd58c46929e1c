#include "platform/timezone.h"
#include "testsupport.h"

#include <ctime>
#include <gtest/gtest.h>

using namespace platform;

namespace {

struct ZoneCase
{
    const char *name;
    const char *tz;
    std::int64_t instant; // seconds since 1970 UTC
    std::uint32_t result;
    int currentBias; // UTC = local + bias
};

class ZoneTest : public testing::TestWithParam<ZoneCase>
{
};

TEST_P(ZoneTest, ReportsKindAndBiasOfTheInstant)
{
    const ZoneCase &c = GetParam();
    testsupport::ScopedEnv tz("TZ", c.tz);
    tzset();
    TimeZoneInformation info{};
    const std::uint32_t r = systemTimeZone().GetTimeZoneInformationAt(c.instant, info);
    EXPECT_EQ(r, c.result);
    const int bias = r == TIME_ZONE_ID_DAYLIGHT ? info.Bias + info.DaylightBias : info.Bias;
    EXPECT_EQ(bias, c.currentBias);
}

// 2026-01-15 12:00 UTC and 2026-07-15 12:00 UTC.
constexpr std::int64_t kWinter = 1768478400;
constexpr std::int64_t kSummer = 1784116800;

INSTANTIATE_TEST_SUITE_P(
    RealZones, ZoneTest,
    testing::Values(
        ZoneCase{"NewYorkWinter", "America/New_York", kWinter, TIME_ZONE_ID_STANDARD, 300},
        ZoneCase{"NewYorkSummer", "America/New_York", kSummer, TIME_ZONE_ID_DAYLIGHT, 240},
        ZoneCase{"BerlinWinter", "Europe/Berlin", kWinter, TIME_ZONE_ID_STANDARD, -60},
        ZoneCase{"BerlinSummer", "Europe/Berlin", kSummer, TIME_ZONE_ID_DAYLIGHT, -120},
        ZoneCase{"SydneySummer", "Australia/Sydney", kWinter, TIME_ZONE_ID_DAYLIGHT, -660},
        ZoneCase{"SydneyWinter", "Australia/Sydney", kSummer, TIME_ZONE_ID_STANDARD, -600},
        ZoneCase{"Tokyo", "Asia/Tokyo", kSummer, TIME_ZONE_ID_UNKNOWN, -540},
        ZoneCase{"Utc", "UTC", kWinter, TIME_ZONE_ID_UNKNOWN, 0},
        ZoneCase{"ColonPrefix", ":Europe/Berlin", kSummer, TIME_ZONE_ID_DAYLIGHT, -120},
        ZoneCase{"PosixRule", "EST5EDT,M3.2.0,M11.1.0", kSummer, TIME_ZONE_ID_DAYLIGHT, 240},
        // As the C library reads TZ: set but empty, or naming no zone, is UTC.
        ZoneCase{"EmptyIsUtc", "", kSummer, TIME_ZONE_ID_UNKNOWN, 0},
        ZoneCase{"UnknownIsUtc", "Nowhere/Atlantis", kSummer, TIME_ZONE_ID_UNKNOWN, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ZoneTest, DaylightBiasIsTheDifferenceToStandardTime)
{
    testsupport::ScopedEnv tz("TZ", "America/New_York");
    tzset();
    TimeZoneInformation info{};
    ASSERT_EQ(systemTimeZone().GetTimeZoneInformationAt(kSummer, info), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(info.Bias, 300);
    EXPECT_EQ(info.DaylightBias, -60);
}

} // namespace
