#include "components/dxfClock.h"
#include "components/timeformat.h"
#include "dates/dates.h"
#include "testsupport.h"
#include "widgettest.h"

#include <gtest/gtest.h>

using namespace components;
using namespace widgettest;

namespace {

double at(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return dates::EncodeDate(y, std::uint16_t(mo), std::uint16_t(d)) +
           (h * 3600000.0 + mi * 60000.0 + s * 1000.0 + ms) / 86400000.0;
}

// A clock driven by a time that the test sets.
struct FakeTime
{
    double now = 0;
    TdxfClock::TimeSource source()
    {
        return [this] { return now; };
    }
};

TEST(Clock, ActivationShowsTheTimeAtOnceAndDeactivationZero)
{
    FakeTime t;
    t.now = at(2026, 12, 8, 12, 34, 56);
    TdxfClock clock;
    clock.setTimeSource(t.source());
    // Before its activation the clock stands at midnight, whatever the time.
    EXPECT_EQ(clock.FormattedTime(), QStringLiteral("00:00:00"));
    clock.setActive(true);
    EXPECT_TRUE(clock.Timer()->isActive());
    EXPECT_EQ(clock.FormattedTime(), QStringLiteral("12:34:56"));
    clock.setActive(false);
    EXPECT_EQ(clock.ClockTime(), 0.0);
    EXPECT_FALSE(clock.Timer()->isActive());
}

// Nothing but the clock's own timer moves it on: the test only changes the time it reads.
TEST(Clock, ItsTimerKeepsAnActiveClockOnTime)
{
    FakeTime t;
    t.now = at(2026, 12, 8, 12, 34, 56);
    TdxfClock clock;
    clock.setTimeSource(t.source());
    clock.setActive(true);
    t.now = at(2026, 12, 8, 12, 34, 58);
    EXPECT_TRUE(waitFor([&] { return clock.FormattedTime() == QLatin1String("12:34:58"); },
                        testsupport::scaled(10000)))
        << clock.FormattedTime().toStdString();
}

struct OffsetRow
{
    const char *name;
    int oh, om, os;
    double now;
    const char *shown;
    int dayShift;
};

class Offsets : public ::testing::TestWithParam<OffsetRow>
{
};

TEST_P(Offsets, MoveTheTimeAcrossMidnight)
{
    const OffsetRow &r = GetParam();
    FakeTime t;
    t.now = r.now;
    TdxfClock clock;
    clock.setTimeSource(t.source());
    clock.setOffsetHour(r.oh);
    clock.setOffsetMin(r.om);
    clock.setOffsetSec(r.os);
    clock.setActive(true);
    EXPECT_EQ(clock.FormattedTime(), QLatin1String(r.shown));
    EXPECT_EQ(std::trunc(clock.ClockTime()), std::trunc(r.now) + r.dayShift);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Offsets,
    ::testing::Values(OffsetRow{"minusOneHourAtHalfPastMidnight", -1, 0, 0,
                                at(2026, 3, 2, 0, 30, 0), "23:30:00", -1},
                      OffsetRow{"plusAcrossMidnight", 0, 45, 30, at(2026, 3, 2, 23, 30, 0),
                                "00:15:30", 1},
                      OffsetRow{"mixedSigns", 2, -30, -1, at(2026, 3, 2, 10, 0, 0), "11:29:59", 0},
                      OffsetRow{"none", 0, 0, 0, at(2026, 3, 2, 7, 8, 9), "07:08:09", 0},
                      // Far beyond 32 bits of seconds: moved, not wrapped around.
                      OffsetRow{"huge", 700000, 0, 0, at(2026, 3, 2, 1, 0, 0), "17:00:00", 29166}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Clock, EventsFireHourMinuteSecondWithOldAndNewTime)
{
    FakeTime t;
    t.now = at(2026, 12, 8, 10, 59, 59, 900);
    TdxfClock clock;
    clock.setTimeSource(t.source());
    clock.setActive(true);
    std::vector<std::tuple<std::string, double, double>> seen;
    QObject::connect(&clock, &TdxfClock::OnHourChange, [&](QObject *s, double o, double n) {
        EXPECT_EQ(s, &clock);
        seen.emplace_back("hour", o, n);
    });
    QObject::connect(&clock, &TdxfClock::OnMinuteChange,
                     [&](QObject *, double o, double n) { seen.emplace_back("minute", o, n); });
    QObject::connect(&clock, &TdxfClock::OnSecondChange,
                     [&](QObject *, double o, double n) { seen.emplace_back("second", o, n); });
    const double old = clock.ClockTime();
    t.now = at(2026, 12, 8, 11, 0, 0, 150);
    clock.Tick();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(std::get<0>(seen[0]), "hour");
    EXPECT_EQ(std::get<0>(seen[1]), "minute");
    EXPECT_EQ(std::get<0>(seen[2]), "second");
    for (const auto &e : seen) {
        EXPECT_EQ(std::get<1>(e), old);
        EXPECT_EQ(std::get<2>(e), t.now);
    }
    seen.clear();
    t.now = at(2026, 12, 8, 11, 0, 0, 400);
    clock.Tick();
    EXPECT_TRUE(seen.empty());
    t.now = at(2026, 12, 8, 11, 0, 1, 0);
    clock.Tick();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(std::get<0>(seen[0]), "second");
}

TEST(Clock, RepaintsOncePerSecondNotPerTick)
{
    FakeTime t;
    t.now = at(2026, 12, 8, 9, 0, 0, 0);
    QWidget window;
    auto *clock = new TdxfClock(&window);
    clock->setTimeSource(t.source());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    clock->setActive(true);
    PaintCounter paints(clock);
    settle();
    paints.count = 0;
    for (int ms : {250, 500, 750}) {
        t.now = at(2026, 12, 8, 9, 0, 0, ms);
        clock->Tick();
    }
    settle();
    EXPECT_EQ(paints.count, 0);
    t.now = at(2026, 12, 8, 9, 0, 1, 0);
    clock->Tick();
    EXPECT_TRUE(waitFor([&] { return paints.count == 1; }));
    // While active, a setter waits for the next second.
    paints.count = 0;
    clock->setDisplayFormat(QStringLiteral("hh:mm"));
    settle();
    EXPECT_EQ(paints.count, 0);
    clock->setActive(false);
    settle();
    paints.count = 0;
    clock->setDisplayFormat(QStringLiteral("hh:mm:ss"));
    EXPECT_TRUE(waitFor([&] { return paints.count == 1; }));
}

TEST(Clock, FramesInBevelColoursFromTheBorderColour)
{
    TdxfClock clock;
    clock.resize(104, 23);
    TCustomPanel::TBevelCut kinds[] = {TCustomPanel::bvLowered, TCustomPanel::bvRaised};
    framework::TColor tl{}, br{};
    clock.BevelColors(kinds[0], tl, br);
    EXPECT_EQ(tl, framework::RGB(128, 128, 128));
    EXPECT_EQ(br, framework::RGB(239, 239, 239));
    clock.BevelColors(kinds[1], tl, br);
    EXPECT_EQ(tl, framework::RGB(239, 239, 239));
    EXPECT_EQ(br, framework::RGB(128, 128, 128));

    const QImage shot = grabImage(clock);
    // Outer raised bevel, then the lowered inner one.
    EXPECT_EQ(widgettest::at(shot, 0, 0), rgb(239, 239, 239));
    EXPECT_EQ(widgettest::at(shot, 50, 0), rgb(239, 239, 239));
    EXPECT_EQ(widgettest::at(shot, 0, 12), rgb(239, 239, 239));
    EXPECT_EQ(widgettest::at(shot, 103, 22), rgb(128, 128, 128));
    EXPECT_EQ(widgettest::at(shot, 103, 0), rgb(128, 128, 128));
    EXPECT_EQ(widgettest::at(shot, 1, 1), rgb(128, 128, 128));
    EXPECT_EQ(widgettest::at(shot, 102, 21), rgb(239, 239, 239));
    EXPECT_EQ(widgettest::at(shot, 3, 3), rgb(192, 192, 192));
}

TEST(Clock, Frame3DShrinksByItsWidth)
{
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    framework::TRect r{0, 0, 10, 10};
    TdxfClock::Frame3D(p, r, framework::clRed, framework::clBlue, 0);
    EXPECT_EQ(r, (framework::TRect{0, 0, 10, 10}));
    TdxfClock::Frame3D(p, r, framework::clRed, framework::clBlue, 2);
    EXPECT_EQ(r, (framework::TRect{2, 2, 8, 8}));
    p.end();
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(0, 9), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(9, 0), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(2, 2), qRgb(255, 255, 255));
}

TEST(Clock, TextIsCentredOnTheWholeClockAndCutAtTheInnerRectangle)
{
    TdxfClock wide;
    wide.resize(104, 23);
    const QImage shot = grabImage(wide);
    const QRect ink = boundingBox(shot, isDark);
    ASSERT_FALSE(ink.isEmpty());
    const int tw = QFontMetrics(wide.font()).horizontalAdvance(wide.FormattedTime());
    EXPECT_NEAR(ink.center().x(), 52, tw / 8 + 2);

    TdxfClock narrow;
    narrow.resize(30, 23);
    narrow.setBorderWidth(2); // frame width 4: inner rectangle (4, 4) to (26, 19)
    const QImage cut = grabImage(narrow);
    const QRect inkCut = boundingBox(cut, isDark);
    ASSERT_FALSE(inkCut.isEmpty());
    EXPECT_GE(inkCut.left(), 4);
    EXPECT_LE(inkCut.right(), 25);
    EXPECT_GE(inkCut.top(), 4);
    EXPECT_LE(inkCut.bottom(), 18);
    EXPECT_EQ(widgettest::at(cut, 2, 10), rgb(192, 192, 192)); // the border, not text
}

TEST(Clock, SharedBitmapGrowsAndASmallerClockShowsOnlyItself)
{
    TdxfClock big;
    big.resize(300, 120);
    big.setColor(framework::clNavy);
    grabImage(big);
    const QSize grown = TdxfClock::SharedBitmapSize();
    EXPECT_GE(grown.width(), 300);
    EXPECT_GE(grown.height(), 120);

    TdxfClock small;
    small.resize(60, 20);
    const QImage shot = grabImage(small);
    EXPECT_EQ(TdxfClock::SharedBitmapSize(), grown); // never shrinks
    ASSERT_EQ(shot.size(), QSize(60, 20));
    EXPECT_EQ(widgettest::at(shot, 59, 19), rgb(128, 128, 128)); // its own bevel
    EXPECT_EQ(widgettest::at(shot, 5, 17), rgb(192, 192, 192));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_NE(widgettest::at(shot, x, y), rgb(0, 0, 128)) << x << "," << y;
}

TEST(Clock, ClockFaceIsStretchedIntoTheInnerRectangle)
{
    TdxfClock clock;
    clock.resize(40, 20);
    clock.setDisplayFormat(QString()); // no text over the picture
    QImage face(2, 2, QImage::Format_RGB32);
    face.fill(qRgb(0, 200, 0));
    clock.setClockFace(face);
    const QImage shot = grabImage(clock);
    EXPECT_EQ(widgettest::at(shot, 2, 2), rgb(0, 200, 0));
    EXPECT_EQ(widgettest::at(shot, 37, 17), rgb(0, 200, 0));
    EXPECT_EQ(widgettest::at(shot, 1, 1), rgb(128, 128, 128));
}

struct HandRow
{
    const char *property;
    int value;
    int stored;
};

class HandOptions : public ::testing::TestWithParam<HandRow>
{
};

TEST_P(HandOptions, LengthsAndWidthsAreClamped)
{
    TdxfClock clock;
    auto *hands = clock.property("HandOptions").value<TdxfHandOptions *>();
    ASSERT_EQ(hands, clock.HandOptions());
    EXPECT_EQ(hands->Clock(), &clock);
    ASSERT_TRUE(hands->setProperty(GetParam().property, GetParam().value));
    EXPECT_EQ(hands->property(GetParam().property).toInt(), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HandOptions,
    ::testing::Values(HandRow{"HourHandLenght", 150, 100}, HandRow{"HourHandLenght", -5, 0},
                      HandRow{"MinHandLenght", 50, 50}, HandRow{"SecHandLenght", 101, 100},
                      HandRow{"SecHandWidth", -1, 0}, HandRow{"HourHandWidth", 7, 7},
                      HandRow{"MinHandWidth", -30, 0}));

TEST(HandOptionsCopy, TakesTheSettingsAndKeepsItsClock)
{
    TdxfClock clock;
    clock.HandOptions()->setMinHandLenght(30); // a copy takes every setting, defaults too
    TdxfHandOptions other;
    other.setHourHandColor(framework::clNavy);
    other.setSecHandLenght(40);
    other.setShowSecHand(false);
    clock.setHandOptions(&other);
    EXPECT_EQ(clock.HandOptions()->HourHandColor(), framework::clNavy);
    EXPECT_EQ(clock.HandOptions()->SecHandLenght(), 40);
    EXPECT_FALSE(clock.HandOptions()->ShowSecHand());
    EXPECT_EQ(clock.HandOptions()->Clock(), &clock);
    EXPECT_EQ(clock.HandOptions()->MinHandLenght(), 80);
}

TEST(TimeFormat, PatternsAndSeparators)
{
    const double t = at(2026, 12, 8, 9, 5, 7, 42);
    EXPECT_EQ(FormatDateTime(QStringLiteral("hh:mm:ss"), t, QLatin1Char(':')),
              QStringLiteral("09:05:07"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("hh:mm:ss"), t, QLatin1Char('.')),
              QStringLiteral("09.05.07"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("h:n:s.zzz"), t, QLatin1Char(':')),
              QStringLiteral("9:5:7.042"));
    EXPECT_EQ(
        FormatDateTime(QStringLiteral("dd/mm/yyyy 'at' hh"), t, QLatin1Char(':'), QLatin1Char('-')),
        QStringLiteral("08-12-2026 at 09"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("hh:mm:ss"), 0.0, QLatin1Char(':')),
              QStringLiteral("00:00:00"));
}

} // namespace

namespace {

TEST(Clock, DrumRefreshRollsInTenImmediatePaints)
{
    FakeTime t;
    t.now = at(2026, 12, 8, 10, 59, 59, 0);
    QWidget window;
    auto *clock = new TdxfClock(&window);
    clock->setTimeSource(t.source());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    settle();
    PaintCounter paints(clock);
    clock->setClockStyle(TdxfClock::csRevolvingDrum); // the first drum text paints without rolling
    EXPECT_EQ(paints.count, 1);
    EXPECT_EQ(clock->DrumStep(), 10);
    paints.count = 0;
    clock->setActive(true); // 00:00:00 rolls to the time, synchronously
    EXPECT_EQ(paints.count, 10);
    paints.count = 0;
    t.now = at(2026, 12, 8, 10, 59, 59, 500);
    clock->Tick();
    EXPECT_EQ(paints.count, 0);
    t.now = at(2026, 12, 8, 11, 0, 0, 0);
    clock->Tick();
    EXPECT_EQ(paints.count, 10);
    EXPECT_EQ(clock->DrumStep(), 10);
}

} // namespace
