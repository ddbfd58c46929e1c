// The windows on a desk of two screens, and on a screen of twice the pixel density. The
// offscreen platform is given the screens by a configuration file; each group runs in its own
// test entry with its own configuration and is skipped under any other.
#include "components/dxButton.h"
#include "components/dxfClock.h"
#include "components/label.h"
#include "components/mLED.h"
#include "windowtest.h"

#include <QCursor>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

using namespace windowtest;

class Screens : public Windows
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::screens().size() < 2)
            GTEST_SKIP() << "needs the two-screen configuration";
    }

    static QScreen *screenNamed(const char *name)
    {
        for (QScreen *s : QGuiApplication::screens())
            if (s->name() == QLatin1String(name))
                return s;
        return nullptr;
    }

    static bool centredOn(const QWidget *w, const QScreen *s)
    {
        return (w->frameGeometry().center() - s->availableGeometry().center()).manhattanLength() <=
               2;
    }
};

TEST_F(Screens, TheWindowAppearsOnTheScreenThatHoldsThePointer)
{
    for (const char *name : {"right", "left"}) {
        QScreen *s = screenNamed(name);
        ASSERT_NE(s, nullptr);
        QCursor::setPos(s->geometry().topLeft() + QPoint(30, 40));
        form.reset();
        about.reset();
        ASSERT_TRUE(start({"http://intra/news", "/N"}));
        EXPECT_TRUE(centredOn(form.get(), s)) << name;
        EXPECT_EQ(form->screen(), s) << name;
    }
}

TEST_F(Screens, TheAboutBoxFollowsTheWindowNotThePointer)
{
    QScreen *right = screenNamed("right");
    QScreen *left = screenNamed("left");
    QCursor::setPos(right->geometry().center());
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    ASSERT_TRUE(centredOn(form.get(), right));
    QCursor::setPos(left->geometry().center()); // the user looks elsewhere meanwhile
    bool centred = false;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return about->isVisible(); }, 5000));
        centred = centredOn(about.get(), right);
        about->close();
    });
    click(form->mLED1);
    EXPECT_TRUE(centred);
}

class HighDpi : public Windows
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::primaryScreen()->devicePixelRatio() != 2.0)
            GTEST_SKIP() << "needs the configuration of a screen at twice the density";
    }

    // The control as drawn at one pixel per unit, the scale-1 layout.
    static QImage atScaleOne(QWidget *w)
    {
        QImage image(w->size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        w->render(&image);
        return image;
    }
    // The control as the screen shows it, at two pixels per unit.
    static QImage onScreen(QWidget *w)
    {
        return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    static bool darkInk(QRgb c) { return qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90; }

    static QRect ink(const QImage &image)
    {
        int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (darkInk(image.pixel(x, y))) {
                    l = std::min(l, x);
                    t = std::min(t, y);
                    r = std::max(r, x);
                    b = std::max(b, y);
                }
        return l == INT_MAX ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
    }

    // The text at two pixels per unit is drawn at the screen's pixels, not a scale-1 bitmap
    // doubled: some aligned 2 x 2 block of its ink holds two different pixels.
    static bool drawnAtDevicePixels(const QImage &image, const QRect &area)
    {
        for (int y = area.top() & ~1; y + 1 <= area.bottom(); y += 2)
            for (int x = area.left() & ~1; x + 1 <= area.right(); x += 2) {
                const QRgb c = image.pixel(x, y);
                if (image.pixel(x + 1, y) != c || image.pixel(x, y + 1) != c ||
                    image.pixel(x + 1, y + 1) != c)
                    return true;
            }
        return false;
    }

    // The scale-2 ink lies where the scale-1 ink lies, doubled, within a pixel or two.
    static void expectDoubled(const QRect &one, const QRect &two, const char *what)
    {
        ASSERT_FALSE(one.isEmpty()) << what;
        ASSERT_FALSE(two.isEmpty()) << what;
        EXPECT_NEAR(two.left(), 2 * one.left(), 2) << what;
        EXPECT_NEAR(two.right(), 2 * one.right() + 1, 2) << what;
        EXPECT_NEAR(two.top(), 2 * one.top(), 2) << what;
        EXPECT_NEAR(two.bottom(), 2 * one.bottom() + 1, 2) << what;
    }
};

TEST_F(HighDpi, TheWindowKeepsItsLayoutAtTwiceTheSize)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    EXPECT_EQ(form->size(), QSize(600, 335));
    const QImage shot = onScreen(form.get());
    EXPECT_EQ(shot.size(), QSize(1200, 670));
    EXPECT_EQ(form->dxfClock1->geometry(), QRect(489, 2, 104, 23));
    // Nothing is cut off: every control lies within the window.
    for (QWidget *w : form->findChildren<QWidget *>())
        EXPECT_TRUE(form->rect().contains(
            w->geometry().translated(w->parentWidget()->mapTo(form.get(), QPoint(0, 0)))))
            << w->objectName().toStdString();
}

TEST_F(HighDpi, LampCentresSitWhereTheScaleOneLayoutPutsThemDoubled)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    browser().events->downloadBegin(); // the red lamp lit, the green one dark
    const QImage shot = onScreen(form.get());
    auto at = [&](int x, int y) { return shot.pixel(2 * x, 2 * y) & 0xFFFFFF; };
    // mLED1 at 16, 2 and mLED2 at 39, 2, both 23 x 23 with their centres at 11, 11.
    EXPECT_EQ(at(16 + 11, 2 + 11), 0x008000u);
    EXPECT_EQ(at(39 + 11, 2 + 11), 0xFF0000u);
}

TEST_F(HighDpi, ButtonCaptionsAndClockDigitsAreTheScaleOneLayoutDoubledAndSharp)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    form->dxfClock1->setActive(false); // 00:00:00, the same at both scales
    for (components::TdxButton *b : {form->Button1, form->Button2, form->Button3}) {
        const QRect one = ink(atScaleOne(b));
        const QImage two = onScreen(b);
        const QRect twoInk = ink(two);
        expectDoubled(one, twoInk, qPrintable(b->Caption()));
        EXPECT_TRUE(drawnAtDevicePixels(two, twoInk)) << b->Caption().toStdString();
    }
    components::TdxfClock *clock = form->dxfClock1;
    const QImage two = onScreen(clock);
    // The digits inside the frames.
    const QRect inner(2, 2, clock->width() - 4, clock->height() - 4);
    const QRect one = ink(atScaleOne(clock).copy(inner)).translated(inner.topLeft());
    const QRect twoInk =
        ink(two.copy(QRect(inner.topLeft() * 2, inner.size() * 2))).translated(inner.topLeft() * 2);
    expectDoubled(one, twoInk, "clock");
    EXPECT_TRUE(drawnAtDevicePixels(two, twoInk));
}

TEST_F(HighDpi, AboutBoxLabelsAreSharpAndInPlace)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    QImage shot;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return about->isVisible(); }, 5000));
        shot = onScreen(about.get());
        about->close();
    });
    click(form->mLED1);
    ASSERT_EQ(shot.size(), QSize(612, 452));
    components::TLabel *label = about->label("Label5");
    const QRect r = label->geometry().translated(label->parentWidget()->pos());
    const QRect area(r.topLeft() * 2, r.size() * 2);
    EXPECT_FALSE(ink(shot.copy(area)).isEmpty());
    EXPECT_TRUE(drawnAtDevicePixels(shot, area));
}

} // namespace
