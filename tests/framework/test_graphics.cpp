#include "framework/colors.h"
#include "framework/drawing.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QVariant>
#include <gtest/gtest.h>

using namespace framework;

namespace {

struct NamedRgb
{
    const char *ident;
    int r, g, b;
};

class NamedColours : public ::testing::TestWithParam<NamedRgb>
{
};

TEST_P(NamedColours, IdentifierResolvesToItsRgb)
{
    const NamedRgb &n = GetParam();
    TColor c{};
    ASSERT_TRUE(IdentToColor(QString::fromLatin1(n.ident), c));
    const qint32 rgb = ColorToRGB(c);
    EXPECT_EQ(GetRValue(rgb), n.r);
    EXPECT_EQ(GetGValue(rgb), n.g);
    EXPECT_EQ(GetBValue(rgb), n.b);
    EXPECT_EQ(ColorToIdent(c), QString::fromLatin1(n.ident));
}

INSTANTIATE_TEST_SUITE_P(
    Colours, NamedColours,
    ::testing::Values(NamedRgb{"clBlack", 0, 0, 0}, NamedRgb{"clRed", 255, 0, 0},
                      NamedRgb{"clSilver", 192, 192, 192}, NamedRgb{"clNavy", 0, 0, 128},
                      NamedRgb{"clWhite", 255, 255, 255}, NamedRgb{"clSkyBlue", 166, 202, 240},
                      NamedRgb{"clMoneyGreen", 192, 220, 192}, NamedRgb{"clMedGray", 160, 160, 164},
                      NamedRgb{"clGray", 128, 128, 128}, NamedRgb{"clWindowText", 0, 0, 0},
                      NamedRgb{"clWindow", 255, 255, 255}, NamedRgb{"clBtnShadow", 128, 128, 128},
                      NamedRgb{"clBtnHighlight", 255, 255, 255}));

TEST(Colours, SystemColoursCarryTheirIndexInTheLowByte)
{
    EXPECT_TRUE(IsSystemColor(clActiveBorder));
    EXPECT_EQ(ColorToRGB(clActiveBorder), GetSysColor(10));
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(15));
    EXPECT_FALSE(IsSystemColor(clSkyBlue));
    // An index beyond the table resolves to black rather than reading past it.
    EXPECT_EQ(ColorToRGB(TColor(qint32(0xFF0000FF))), 0);
}

TEST(Colours, TextFormsOfAColour)
{
    TColor c{};
    EXPECT_TRUE(IdentToColor(QStringLiteral("CLSKYBLUE"), c));
    EXPECT_EQ(c, clSkyBlue);
    EXPECT_TRUE(StringToColor(QStringLiteral("15780518"), c));
    EXPECT_EQ(c, clSkyBlue);
    EXPECT_TRUE(StringToColor(QStringLiteral("$00F0CAA6"), c));
    EXPECT_EQ(c, clSkyBlue);
    EXPECT_TRUE(StringToColor(QStringLiteral("-16777201"), c));
    EXPECT_EQ(c, clBtnFace);
    EXPECT_TRUE(StringToColor(QStringLiteral("$FF00000A"), c));
    EXPECT_EQ(c, clActiveBorder);
    c = clRed;
    EXPECT_FALSE(StringToColor(QStringLiteral("clNoSuchColour"), c));
    EXPECT_FALSE(StringToColor(QStringLiteral("99999999999"), c));
    EXPECT_FALSE(StringToColor(QString(), c));
    EXPECT_EQ(c, clRed); // a failed conversion leaves the value alone
    EXPECT_EQ(ColorToIdent(RGB(1, 2, 3)), QString());
    EXPECT_EQ(ColorToString(RGB(1, 2, 3)), QStringLiteral("$00030201"));
}

TEST(Colours, DistinctMetaTypeFromInteger)
{
    EXPECT_NE(QMetaType::fromType<TColor>(), QMetaType::fromType<int>());
    const QVariant v = QVariant::fromValue(clSkyBlue);
    EXPECT_EQ(v.metaType(), QMetaType::fromType<TColor>());
    EXPECT_EQ(v.value<TColor>(), clSkyBlue);
}

TEST(Colours, BlendTruncatesEachChannel)
{
    EXPECT_EQ(BlendColor(clWhite, clSilver, 1, 4), RGB(239, 239, 239));
    EXPECT_EQ(BlendColor(clBlack, clSilver, 2, 3), RGB(128, 128, 128));
    EXPECT_EQ(BlendColor(RGB(10, 20, 30), RGB(11, 40, 0), 1, 2), RGB(10, 30, 15));
}

TEST(MulDiv, RoundsHalvesAwayFromZero)
{
    struct Row
    {
        int a, b, c, expected;
    };
    const Row rows[] = {{8, 21, 16, 11},  {1, 21, 16, 1},      {2, 21, 16, 3},
                        {15, 21, 16, 20}, {16, 21, 16, 21},    {-8, 21, 16, -11},
                        {5, 3, 2, 8},     {-5, 3, 2, -8},      {5, -3, -2, 8},
                        {1, 1, 0, -1},    {INT_MAX, 4, 1, -1}, {INT_MAX, 4, 4, INT_MAX}};
    for (const Row &r : rows)
        EXPECT_EQ(MulDiv(r.a, r.b, r.c), r.expected) << r.a << "*" << r.b << "/" << r.c;
}

TEST(Hotkeys, TheCharacterAfterASingleAmpersand)
{
    EXPECT_EQ(GetHotkey(QStringLiteral("E&xit")), QLatin1Char('x'));
    EXPECT_EQ(GetHotkey(QStringLiteral("Fish && &Chips")), QLatin1Char('C'));
    EXPECT_TRUE(GetHotkey(QStringLiteral("No && mark")).isNull());
    EXPECT_TRUE(GetHotkey(QStringLiteral("Trailing&")).isNull());
    EXPECT_TRUE(IsAccel(QLatin1Char('X'), QStringLiteral("E&xit")));
    EXPECT_FALSE(IsAccel(QLatin1Char('E'), QStringLiteral("E&xit")));
}

class DrawText : public ::testing::Test
{
protected:
    QImage image{200, 100, QImage::Format_RGB32};
    void SetUp() override { image.fill(Qt::white); }
};

TEST_F(DrawText, MeasuringLaysOutLinesAndWords)
{
    QPainter p(&image);
    const QFontMetrics fm = p.fontMetrics();
    TRect r{10, 10, 200, 100};
    EXPECT_EQ(DrawTextA(p, QString(), r, DT_CALCRECT), 0); // empty text measures nothing
    r = {10, 10, 200, 100};
    EXPECT_EQ(DrawTextA(p, QStringLiteral("&Print"), r, DT_CALCRECT), fm.height());
    EXPECT_EQ(r.right, 10 + fm.horizontalAdvance(QStringLiteral("Print")));
    r = {0, 0, 200, 100};
    DrawTextA(p, QStringLiteral("&Print"), r, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(r.right, fm.horizontalAdvance(QStringLiteral("&Print")));
    const int oneWord = fm.horizontalAdvance(QStringLiteral("Open in"));
    r = {0, 0, oneWord + 1, 100};
    const bool restFits = fm.horizontalAdvance(QStringLiteral("Full Browser")) <= oneWord + 1;
    EXPECT_EQ(DrawTextA(p, QStringLiteral("Open in Full Browser"), r, DT_CALCRECT | DT_WORDBREAK),
              (restFits ? 2 : 3) * fm.height());
    // A word wider than the line stands alone and widens the result, as the platform does.
    EXPECT_LE(r.width(), std::max(oneWord + 1, fm.horizontalAdvance(QStringLiteral("Browser"))));
    r = {0, 0, 20, 100};
    DrawTextA(p, QStringLiteral("A rather long caption"), r, DT_CALCRECT | DT_END_ELLIPSIS);
    EXPECT_LE(r.width(), 20);
}

TEST_F(DrawText, DrawsClippedToTheRectangle)
{
    {
        QPainter p(&image);
        p.setPen(Qt::black);
        TRect r{20, 20, 40, 40};
        DrawTextA(p, QStringLiteral("WWWWWWWWWW"), r, 0);
    }
    bool inside = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool dark = qRed(image.pixel(x, y)) < 128;
            if (dark && (x < 20 || x >= 40 || y < 20 || y >= 40))
                FAIL() << "ink outside the rectangle at " << x << "," << y;
            inside = inside || dark;
        }
    EXPECT_TRUE(inside);
}

TEST(Blits, CopiesOnlyWhatLiesInsideTheSource)
{
    QImage src(4, 4, QImage::Format_RGB32);
    src.fill(Qt::red);
    QImage dst(10, 10, QImage::Format_RGB32);
    dst.fill(Qt::blue);
    {
        QPainter p(&dst);
        BitBlt(p, 1, 1, 10, 10, src, 0, 0);
    }
    EXPECT_EQ(dst.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(dst.pixel(4, 4), qRgb(255, 0, 0));
    EXPECT_EQ(dst.pixel(5, 5), qRgb(0, 0, 255));
    EXPECT_EQ(dst.pixel(0, 0), qRgb(0, 0, 255));
}

TEST(Blits, StretchRepeatsWholePixels)
{
    QImage src(2, 1, QImage::Format_RGB32);
    src.setPixel(0, 0, qRgb(255, 0, 0));
    src.setPixel(1, 0, qRgb(0, 255, 0));
    QImage dst(8, 2, QImage::Format_RGB32);
    dst.fill(Qt::black);
    {
        QPainter p(&dst);
        StretchBlt(p, 0, 0, 8, 2, src, 0, 0, 2, 1, SRCCOPY, COLORONCOLOR);
    }
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(dst.pixel(x, 1), x < 4 ? qRgb(255, 0, 0) : qRgb(0, 255, 0)) << x;
}

TEST(FocusRect, InvertsEveryOtherEdgePixelAndUndoesItself)
{
    QImage img(12, 8, QImage::Format_RGB32);
    img.fill(Qt::white);
    const QImage before = img;
    {
        QPainter p(&img);
        DrawFocusRect(p, {2, 2, 10, 6});
    }
    EXPECT_EQ(img.pixel(2, 2), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(3, 2), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(5, 4), qRgb(255, 255, 255)); // inside untouched
    {
        QPainter p(&img);
        DrawFocusRect(p, {2, 2, 10, 6});
    }
    EXPECT_EQ(img, before);
}

TEST(Lines, StopShortOfTheEndPoint)
{
    QImage img(6, 6, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setPen(Qt::black);
        LineTo(p, {0, 1}, {2, 0});
        LineTo(p, {5, 5}, {5, 2});
    }
    EXPECT_EQ(img.pixel(0, 1), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(2, 0), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(5, 3), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(5, 2), qRgb(255, 255, 255));
}

TEST(Random, SameSeedSamePatternWithinRange)
{
    RandomSource a(7), b(7);
    for (int i = 0; i < 100; ++i) {
        const int v = a.next(5);
        EXPECT_EQ(v, b.next(5));
        EXPECT_GE(v, 0);
        EXPECT_LT(v, 5);
    }
    EXPECT_EQ(a.next(0), 0);
}

} // namespace
