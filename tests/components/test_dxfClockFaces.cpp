#include "components/dxfClock.h"
#include "dates/dates.h"
#include "widgettest.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace components;
using namespace widgettest;

namespace {

double timeOf(int h, int mi, int s)
{
    return dates::EncodeDate(2026, 12, 8) + (h * 3600.0 + mi * 60.0 + s) / 86400.0;
}

QPoint dial(int cx, int cy, double a, double d)
{
    const double r = a * M_PI / 180.0;
    return {cx + int(std::nearbyint(std::sin(r) * d)), cy + int(std::nearbyint(std::cos(r) * d))};
}

// A 200 x 200 dial: frame 2, radius 100 - 12 = 88, hub radius 4.
struct Dial
{
    double now = 0;
    TdxfClock clock;
    Dial(int size = 200)
    {
        clock.resize(size, size);
        clock.setColor(framework::clMoneyGreen);
        clock.setTimeSource([this] { return now; });
        clock.setClockStyle(TdxfClock::csAnalog);
    }
    QImage at(int h, int m, int s)
    {
        now = timeOf(h, m, s);
        clock.setActive(true);
        clock.setActive(false);
        clock.setActive(true);
        return grabImage(clock);
    }
};

TEST(AnalogFace, HourHandTipAndTail)
{
    Dial d;
    d.clock.HandOptions()->setHourHandColor(framework::clBlue);
    const int r = 88, len = 60 * r / 100;
    struct Row
    {
        int h, m;
        double theta;
    };
    for (Row row : {Row{3, 0, 90}, Row{9, 30, 285}}) {
        const QImage shot = d.at(row.h, row.m, 0);
        const QRgb blue = rgb(0, 0, 255);
        const QPoint tipIn = dial(100, 100, 180 - row.theta, len - 2);
        const QPoint tailIn = dial(100, 100, 360 - row.theta, len / 7.0 - 1);
        const QPoint beyond = dial(100, 100, 180 - row.theta, len + 5);
        const QPoint beyondTail = dial(100, 100, 360 - row.theta, len / 7.0 + 5);
        EXPECT_EQ(widgettest::at(shot, tipIn.x(), tipIn.y()), blue) << row.h;
        EXPECT_EQ(widgettest::at(shot, tailIn.x(), tailIn.y()), blue) << row.h;
        EXPECT_NE(widgettest::at(shot, beyond.x(), beyond.y()), blue) << row.h;
        EXPECT_NE(widgettest::at(shot, beyondTail.x(), beyondTail.y()), blue) << row.h;
    }
}

TEST(AnalogFace, HiddenSecondHandKeepsTheHubColour)
{
    Dial d;
    d.clock.HandOptions()->setSecHandColor(framework::clRed);
    const QPoint sec = dial(100, 100, 180 - 90, 60); // 15 seconds: to the right
    QImage shot = d.at(10, 0, 15);
    EXPECT_EQ(widgettest::at(shot, sec.x(), sec.y()), rgb(255, 0, 0));
    d.clock.HandOptions()->setShowSecHand(false);
    shot = d.at(10, 0, 15);
    EXPECT_NE(widgettest::at(shot, sec.x(), sec.y()), rgb(255, 0, 0));
    EXPECT_EQ(widgettest::at(shot, 100, 100), rgb(255, 0, 0));
}

TEST(AnalogFace, MinuteMarksOnlyAboveRadiusSeventy)
{
    const QRgb silver = rgb(192, 192, 192);
    {
        Dial d(200); // radius 88
        const QImage shot = d.at(1, 0, 0);
        const QPoint p = dial(100, 100, 6 * 17, 88);
        EXPECT_EQ(widgettest::at(shot, p.x(), p.y()), silver);
        EXPECT_EQ(widgettest::at(shot, p.x() - 2, p.y() - 2), rgb(255, 255, 255));
        EXPECT_EQ(widgettest::at(shot, p.x() + 1, p.y() + 1), rgb(128, 128, 128));
        const QPoint hour = dial(100, 100, 30 * 2, 88);
        EXPECT_EQ(widgettest::at(shot, hour.x(), hour.y()), rgb(0, 0, 255));
    }
    {
        Dial d(164); // radius 82 - 12 = 70
        const QImage shot = d.at(1, 0, 0);
        for (int i = 1; i < 60; ++i) {
            if (i % 5 == 0)
                continue;
            const QPoint p = dial(82, 82, 6.0 * i, 70);
            EXPECT_EQ(widgettest::at(shot, p.x(), p.y()), rgb(192, 220, 192)) << i;
        }
        const QPoint hour = dial(82, 82, 30 * 2, 70);
        EXPECT_EQ(widgettest::at(shot, hour.x(), hour.y()), rgb(0, 0, 255));
    }
}

TEST(AnalogFace, NoMaskMeansNeitherMarksNorLabels)
{
    for (auto style :
         {TdxfClock::dsPoints, TdxfClock::dsDecimalNumbers, TdxfClock::dsRomanNumbers}) {
        Dial d;
        d.clock.setHoursDisplayStyle(style);
        d.clock.HandOptions()->setSecHandLenght(60);
        d.clock.HandOptions()->setMinHandLenght(60);
        d.clock.setDrawMask(false);
        const QImage shot = d.at(1, 0, 0);
        // Outside the reach of the hands only the background remains.
        for (int y = 3; y < 197; ++y)
            for (int x = 3; x < 197; ++x) {
                if (std::hypot(x - 100, y - 100) > 70) {
                    ASSERT_EQ(widgettest::at(shot, x, y), rgb(192, 220, 192)) << x << "," << y;
                }
            }
        d.clock.setDrawMask(true);
        const QImage marked = d.at(1, 0, 0);
        int ink = 0;
        for (int y = 3; y < 197; ++y)
            for (int x = 3; x < 197; ++x)
                if (std::hypot(x - 100, y - 100) > 70 &&
                    widgettest::at(marked, x, y) != rgb(192, 220, 192))
                    ++ink;
        EXPECT_GT(ink, 12) << int(style);
    }
}

TEST(AnalogFace, TooSmallADialDrawsNoHands)
{
    Dial d(23); // radius below zero
    const QImage shot = d.at(3, 0, 0);
    EXPECT_EQ(widgettest::at(shot, 11, 11), rgb(192, 220, 192));
}

TEST(IndicatorFace, DigitsInCellsOfTheWidthOfHColonsAsText)
{
    TdxfClock clock;
    clock.resize(240, 50);
    clock.setColor(framework::clWhite);
    clock.Font()->setColor(framework::clBlack);
    clock.Font()->setHeight(-30);
    double now = timeOf(12, 34, 56);
    clock.setTimeSource([&] { return now; });
    clock.setClockStyle(TdxfClock::csIndicator);
    clock.setActive(true);
    ASSERT_EQ(clock.FormattedTime(), QStringLiteral("12:34:56"));
    const QImage shot = grabImage(clock);
    QImage probe(1, 1, QImage::Format_RGB32);
    QPainter pp(&probe);
    pp.setFont(clock.font());
    const QFontMetrics fm = pp.fontMetrics();
    const int dw = fm.horizontalAdvance(QLatin1Char('H')), colon = fm.horizontalAdvance(':');
    const int ch = fm.height();
    const framework::TRect R{2, 2, 238, 48};
    const int top = R.top + (R.height() - ch) / 2;
    int x = R.left + (R.width() - (6 * dw + 2 * colon)) / 2;
    const int left = x;
    const quint8 patterns[] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    for (QChar c : QStringLiteral("12:34:56")) {
        if (c == ':') {
            const QRect ink = boundingBox(shot, isDark, QRect(x, top, colon, ch));
            EXPECT_FALSE(ink.isEmpty());
            x += colon;
            continue;
        }
        int t = ch / 9;
        if (t % 2 == 0)
            t -= 1;
        t = std::max(t, 1);
        const int l = x + t, r = x + dw - t, tp = top + t, b = top + ch - t;
        const int mid = tp + (b - tp) / 2;
        const QPoint centres[7] = {{(l + r) / 2, tp}, {r, (tp + mid) / 2}, {r, (mid + b) / 2},
                                   {(l + r) / 2, b},  {l, (mid + b) / 2},  {l, (tp + mid) / 2},
                                   {(l + r) / 2, mid}};
        const quint8 pattern = patterns[c.unicode() - '0'];
        for (int bit = 0; bit < 7; ++bit) {
            const QRgb px = widgettest::at(shot, centres[bit].x(), centres[bit].y());
            if (pattern & (1u << bit))
                EXPECT_EQ(px, rgb(0, 0, 0)) << char(c.unicode()) << " segment " << bit;
            else
                EXPECT_EQ(px, rgb(255, 255, 255)) << char(c.unicode()) << " segment " << bit;
        }
        x += dw;
    }
    // Nothing outside the centred cells.
    EXPECT_TRUE(boundingBox(shot, isDark, QRect(3, 3, left - 3, 44)).isEmpty());
    EXPECT_TRUE(boundingBox(shot, isDark, QRect(x, 3, 237 - x, 44)).isEmpty());
}

// Keeps a copy of every frame the clock paints.
class RecordingClock : public TdxfClock
{
public:
    std::vector<QImage> frames;

protected:
    void paintEvent(QPaintEvent *e) override
    {
        TdxfClock::paintEvent(e);
        frames.push_back(SharedBitmap().copy(0, 0, width(), height()));
    }
};

TEST(DrumFace, RollsOnlyTheChangedCharacters)
{
    double now = timeOf(10, 59, 59);
    QWidget window;
    auto *clock = new RecordingClock;
    clock->setParent(&window);
    clock->resize(104, 23);
    clock->setTimeSource([&] { return now; });
    clock->setClockStyle(TdxfClock::csRevolvingDrum);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    clock->setActive(true);
    settle();
    ASSERT_EQ(clock->FormattedTime(), QStringLiteral("10:59:59"));
    clock->frames.clear();
    now = timeOf(11, 0, 0);
    clock->Tick();
    ASSERT_EQ(clock->frames.size(), 10u);
    const QImage &mid = clock->frames[4], &last = clock->frames[9];
    // Inner rectangle (2, 2)-(102, 21); rows shift left by at most 3 pixels.
    const int W = 100, n = 8;
    int x0 = 0;
    for (int i = 0; i < n; ++i) {
        const int w = int(std::nearbyint(double(W - x0) / (n - i)));
        bool differs = false;
        for (int y = 2; y < 21; ++y)
            for (int x = 2 + x0; x < 2 + x0 + w - 4; ++x)
                differs |= widgettest::at(mid, x, y) != widgettest::at(last, x, y);
        const bool rolls = i == 1 || i == 3 || i == 4 || i == 6 || i == 7;
        EXPECT_EQ(differs, rolls) << "position " << i + 1;
        x0 += w + 1;
    }
}

TEST(DrumFace, OldCharacterLeavesDownwardsNewComesFromAbove)
{
    double now = timeOf(10, 0, 0);
    QWidget window;
    auto *clock = new RecordingClock;
    clock->setParent(&window);
    clock->resize(400, 120);
    clock->Font()->setColor(framework::clRed);
    clock->setTimeSource([&] { return now; });
    clock->setDisplayFormat(QStringLiteral("s"));
    clock->setClockStyle(TdxfClock::csRevolvingDrum);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    clock->setActive(true);
    settle();
    clock->frames.clear();
    now = timeOf(10, 0, 1);
    clock->Tick();
    ASSERT_EQ(clock->frames.size(), 10u);
    auto red = [](QRgb c) { return qRed(c) - qGreen(c) > 60; };
    const QRect final = boundingBox(clock->frames[9], red);
    const QRect early = boundingBox(clock->frames[1], red);
    const QRect late = boundingBox(clock->frames[7], red);
    ASSERT_FALSE(final.isEmpty());
    ASSERT_FALSE(early.isEmpty());
    ASSERT_FALSE(late.isEmpty());
    EXPECT_GT(early.top(), final.top());
    EXPECT_LT(late.bottom(), final.bottom());
}

TEST(DrumFace, FlatDrumDrawsNothingAndDoesNotFail)
{
    TdxfClock clock;
    clock.resize(60, 4); // frame 2 on each side: no inner height
    clock.setClockStyle(TdxfClock::csRevolvingDrum);
    const QImage shot = grabImage(clock);
    EXPECT_EQ(shot.size(), QSize(60, 4));
    TdxfClock thin;
    thin.resize(60, 5); // one pixel high
    thin.setClockStyle(TdxfClock::csRevolvingDrum);
    EXPECT_EQ(grabImage(thin).size(), QSize(60, 5));
}

} // namespace
