#include "components/mLED.h"
#include "widgettest.h"

#include <QDir>
#include <QFile>
#include <QPalette>
#include <gtest/gtest.h>

using components::TmLED;
using namespace widgettest;

namespace {

struct LampRow
{
    TmLED::TLEDColor color;
    TmLED::TLEDState state;
    TmLED::TLEDSize size;
    const char *name;
    int pixels;
    QRgb body;
};

class Lamps : public ::testing::TestWithParam<LampRow>
{
};

TEST_P(Lamps, PropertiesChooseTheBitmapAndTheSize)
{
    const LampRow &row = GetParam();
    QWidget parent;
    auto *led = new TmLED(&parent);
    led->move(16, 2);
    // Set through the meta-object, as a form description does.
    ASSERT_TRUE(led->setProperty("Size", QVariant::fromValue(row.size)));
    ASSERT_TRUE(led->setProperty("State", QVariant::fromValue(row.state)));
    ASSERT_TRUE(led->setProperty("Color", QVariant::fromValue(row.color)));
    EXPECT_EQ(TmLED::ResourceName(row.color, row.state, row.size), QLatin1String(row.name));
    EXPECT_EQ(led->geometry(), QRect(16, 2, row.pixels, row.pixels));
    EXPECT_EQ(led->Picture(), TmLED::LoadLampBitmap(QLatin1String(row.name)));
    const int c = row.pixels / 2;
    EXPECT_EQ(led->Picture().pixel(c, c) & 0xFFFFFF, row.body);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Lamps,
    ::testing::Values(
        LampRow{TmLED::lcGreen, TmLED::lsOFF, TmLED::lzNormal, "GOFF", 23, rgb(0, 128, 0)},
        LampRow{TmLED::lcGreen, TmLED::lsON, TmLED::lzNormal, "GON", 23, rgb(0, 255, 0)},
        LampRow{TmLED::lcRed, TmLED::lsON, TmLED::lzSmall, "RONS", 15, rgb(255, 0, 0)},
        LampRow{TmLED::lcBlue, TmLED::lsON, TmLED::lzBig, "BONB", 35, rgb(0, 255, 255)},
        LampRow{TmLED::lcBlue, TmLED::lsOFF, TmLED::lzSmall, "BOFFS", 15, rgb(0, 128, 128)},
        LampRow{TmLED::lcYellow, TmLED::lsOFF, TmLED::lzBig, "YOFFB", 35, rgb(128, 128, 0)},
        LampRow{TmLED::lcYellow, TmLED::lsON, TmLED::lzNormal, "YON", 23, rgb(255, 255, 0)}));

// The window's description stores a credit of its own for both lamps; the lamp keeps its own.
TEST(Lamp, TheCreditIgnoresWhatADescriptionStores)
{
    QWidget parent;
    TmLED led(&parent);
    const QString credit = led.Copyright();
    EXPECT_FALSE(credit.isEmpty());
    ASSERT_TRUE(led.setProperty("Copyright", QStringLiteral("LED lamp (c) Daypane")));
    EXPECT_EQ(led.Copyright(), credit);
}

TEST(Lamp, EverySetReloadsEvenAnUnchangedValue)
{
    QWidget parent;
    TmLED led(&parent);
    led.setLEDColor(TmLED::lcGreen);
    // A stored picture from a form description is replaced by the next lamp property.
    QImage stored(50, 40, QImage::Format_RGB32);
    stored.fill(Qt::magenta);
    led.setPicture(stored);
    EXPECT_EQ(led.size(), QSize(50, 40));
    led.setState(led.State());
    EXPECT_EQ(led.Picture(), TmLED::LoadLampBitmap(QStringLiteral("GOFF")));
    EXPECT_EQ(led.size(), QSize(23, 23));
    led.setState(TmLED::lsON);
    EXPECT_EQ(led.Picture(), TmLED::LoadLampBitmap(QStringLiteral("GON")));
    led.setState(TmLED::lsOFF);
    EXPECT_EQ(led.Picture(), TmLED::LoadLampBitmap(QStringLiteral("GOFF")));
}

TEST(Lamp, EmptyPictureKeepsTheSize)
{
    QWidget parent;
    TmLED led(&parent);
    led.setPicture(QImage());
    EXPECT_EQ(led.size(), QSize(23, 23));
}

TEST(Lamp, SilverPartsShowTheParent)
{
    QWidget parent;
    parent.resize(60, 40);
    QPalette pal;
    pal.setColor(QPalette::Window, QColor(0, 0, 128));
    parent.setPalette(pal);
    parent.setAutoFillBackground(true);
    auto *led = new TmLED(&parent);
    led->move(10, 5);
    led->setLEDColor(TmLED::lcGreen);
    led->setState(TmLED::lsON);
    const QImage shot = grabImage(parent);
    EXPECT_EQ(at(shot, 10, 5 + 22), rgb(0, 0, 128));      // bottom-left corner of the lamp
    EXPECT_EQ(at(shot, 10 + 22, 5), rgb(0, 0, 128));      // top-right corner
    EXPECT_EQ(at(shot, 10 + 11, 5 + 11), rgb(0, 255, 0)); // the lit body
    EXPECT_EQ(at(shot, 10 + 11, 5), rgb(0, 0, 0));        // the black rim
}

// The committed bitmaps are what the program ships: check their format and artwork rules.
TEST(LampBitmaps, AllAreUncompressedSixteenColourSquares)
{
    const char *letters[] = {"Y", "R", "G", "B"};
    const char *states[] = {"ON", "OFF"};
    const std::pair<const char *, int> sizes[] = {{"S", 15}, {"", 23}, {"B", 35}};
    QStringList names;
    for (const char *l : letters)
        for (const char *s : states)
            for (const auto &[suffix, px] : sizes) {
                const QString name = QLatin1String(l) + QLatin1String(s) + QLatin1String(suffix);
                QFile f(QStringLiteral(":/leds/%1.bmp").arg(name));
                ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
                const QByteArray b = f.readAll();
                ASSERT_GE(b.size(), 54);
                auto u16 = [&b](int o) { return int(quint8(b[o])) | int(quint8(b[o + 1])) << 8; };
                auto u32 = [&](int o) { return u16(o) | u16(o + 2) << 16; };
                EXPECT_EQ(b.left(2), QByteArray("BM"));
                EXPECT_EQ(u32(18), px) << name.toStdString();
                EXPECT_EQ(u32(22), px);
                EXPECT_EQ(u16(28), 4); // bits per pixel
                EXPECT_EQ(u32(30), 0); // no compression
                const QImage img = TmLED::LoadLampBitmap(name);
                ASSERT_EQ(img.size(), QSize(px, px));
                EXPECT_EQ(img.pixel(0, px - 1) & 0xFFFFFF, rgb(192, 192, 192));
                bool darkRed = false, white = false, black = false;
                for (int y = 0; y < px; ++y)
                    for (int x = 0; x < px; ++x) {
                        const QRgb c = img.pixel(x, y) & 0xFFFFFF;
                        darkRed |= c == rgb(128, 0, 0);
                        white |= c == rgb(255, 255, 255);
                        black |= c == rgb(0, 0, 0);
                    }
                EXPECT_TRUE(darkRed && white && black) << name.toStdString();
                names << name + QStringLiteral(".bmp");
            }
    // Nothing else ships beside them, under another name or a misspelt one.
    QStringList shipped = QDir(QStringLiteral(":/leds")).entryList(QDir::Files);
    shipped.sort();
    names.sort();
    EXPECT_EQ(shipped, names);
}

} // namespace

namespace {

TEST(Lamp, ClickReportsTheLamp)
{
    QWidget parent;
    auto *led = new TmLED(&parent);
    QObject *sender = nullptr;
    QObject::connect(led, &components::TControl::OnClick, [&](QObject *s) { sender = s; });
    QTest::mouseClick(led, Qt::LeftButton, {}, QPoint(11, 11));
    EXPECT_EQ(sender, led);
    ASSERT_TRUE(led->setProperty("Cursor", QVariant::fromValue(components::crHelp)));
    EXPECT_EQ(led->cursor().shape(), Qt::WhatsThisCursor);
}

} // namespace
