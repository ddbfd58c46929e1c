#include "components/dxButton.h"
#include "widgettest.h"

#include <QAction>
#include <QEnterEvent>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace components;
using namespace widgettest;
using framework::TColor;

namespace {

void enter(QWidget *w)
{
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(w->mapToGlobal(QPoint(5, 5))));
    QCoreApplication::sendEvent(w, &e);
}

void leave(QWidget *w)
{
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(w, &e);
}

// The toolbar's arrangement: a line edit holds the focus at first, then two buttons.
struct Toolbar
{
    QWidget window;
    QLineEdit *edit = new QLineEdit(&window);
    TdxButton *a = new TdxButton(&window);
    TdxButton *b = new TdxButton(&window);
    int clicksA = 0;
    int clicksB = 0;
    Toolbar()
    {
        window.resize(420, 40);
        edit->setGeometry(0, 0, 60, 23);
        a->setGeometry(81, 2, 136, 23);
        b->setGeometry(217, 2, 136, 23);
        QObject::connect(a, &TControl::OnClick, [this](QObject *) { ++clicksA; });
        QObject::connect(b, &TControl::OnClick, [this](QObject *) { ++clicksB; });
    }
    bool show()
    {
        if (!showActive(window))
            return false;
        edit->setFocus();
        return waitFor([this] { return edit->hasFocus(); });
    }
};

// The colour of row y of a gradient of the given height in 16 bands.
QRgb gradientRow(TColor from, TColor to, int height, int y)
{
    const auto table = GradientColors(from, to, 16);
    int band = 0;
    for (int i = 0; i < 16; ++i)
        if (y >= framework::MulDiv(i, height, 16))
            band = i;
    return table[std::size_t(band)] & 0xFFFFFF;
}

enum class Shows { Normal, HighlightRing, FocusedRing, Clicked };

struct StateRow
{
    const char *name;
    std::function<void(Toolbar &)> enterState;
    Shows expected;
};

class ButtonStates : public ::testing::TestWithParam<StateRow>
{
};

TEST_P(ButtonStates, GradientFollowsTheState)
{
    Toolbar t;
    t.a->setShowFocusRect(false);
    ASSERT_TRUE(t.show());
    ASSERT_EQ(t.a->normalImage().size(), QSize(134, 21));
    GetParam().enterState(t);
    const QImage shot = grabImage(*t.a);
    TdxColors *c = t.a->Colors();
    const int x = 68;
    auto normal = [&](int row) {
        return gradientRow(c->BackgroundFrom(), c->BackgroundTo(), 21, row);
    };
    switch (GetParam().expected) {
    case Shows::Normal:
        EXPECT_EQ(at(shot, x, 1), normal(0));
        EXPECT_EQ(at(shot, x, 3), normal(2));
        EXPECT_EQ(at(shot, x, 21), normal(20));
        break;
    case Shows::HighlightRing:
    case Shows::FocusedRing: {
        const bool hl = GetParam().expected == Shows::HighlightRing;
        const TColor from = hl ? c->HighlightFrom() : c->FocusedFrom();
        const TColor to = hl ? c->HighlightTo() : c->FocusedTo();
        EXPECT_EQ(at(shot, x, 1), gradientRow(from, to, 21, 0));
        EXPECT_EQ(at(shot, x, 2), gradientRow(from, to, 21, 1));
        EXPECT_EQ(at(shot, 2, 10), gradientRow(from, to, 21, 9));
        EXPECT_EQ(at(shot, x, 3), normal(0)); // the normal gradient inset at (3, 3)
        EXPECT_EQ(at(shot, 3, 10), normal(7));
        EXPECT_EQ(at(shot, x, 20), gradientRow(from, to, 21, 19));
        break;
    }
    case Shows::Clicked:
        EXPECT_EQ(at(shot, x, 1), gradientRow(c->ClickedFrom(), c->ClickedTo(), 21, 0));
        EXPECT_EQ(at(shot, x, 3), gradientRow(c->ClickedFrom(), c->ClickedTo(), 21, 2));
        break;
    }
    // The frame and the fixed silver corner strokes.
    EXPECT_EQ(at(shot, x, 0), rgb(128, 128, 128));
    EXPECT_EQ(at(shot, 0, 10), rgb(128, 128, 128));
    EXPECT_EQ(at(shot, 1, 1), rgb(128, 128, 128));
    EXPECT_EQ(at(shot, 0, 1), rgb(192, 192, 192));
    EXPECT_EQ(at(shot, 1, 0), rgb(192, 192, 192));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ButtonStates,
    ::testing::Values(StateRow{"normal", [](Toolbar &) {}, Shows::Normal},
                      StateRow{"hot", [](Toolbar &t) { enter(t.a); }, Shows::HighlightRing},
                      StateRow{"focused",
                               [](Toolbar &t) {
                                   t.a->setFocus();
                                   waitFor([&] { return t.a->hasFocus(); });
                               },
                               Shows::FocusedRing},
                      StateRow{"default", [](Toolbar &t) { t.a->setDefault(true); },
                               Shows::FocusedRing},
                      StateRow{"default while another gradient control is active",
                               [](Toolbar &t) {
                                   t.a->setDefault(true);
                                   t.b->setFocus();
                                   waitFor([&] { return t.b->hasFocus(); });
                               },
                               Shows::Normal},
                      StateRow{"hot and pressed",
                               [](Toolbar &t) {
                                   enter(t.a);
                                   QTest::mousePress(t.a, Qt::LeftButton, {}, QPoint(5, 5));
                               },
                               Shows::Clicked},
                      StateRow{"pressed, not hot",
                               [](Toolbar &t) {
                                   enter(t.a);
                                   QTest::mousePress(t.a, Qt::LeftButton, {}, QPoint(5, 5));
                                   leave(t.a);
                               },
                               Shows::FocusedRing},
                      StateRow{"held and dragged off",
                               [](Toolbar &t) {
                                   QTest::mouseMove(t.a, QPoint(5, 5));
                                   QTest::mousePress(t.a, Qt::LeftButton, {}, QPoint(5, 5));
                                   QTest::mouseMove(t.a, QPoint(5, 40));
                               },
                               Shows::FocusedRing}),
    [](const auto &info) {
        std::string n = info.param.name;
        for (char &ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return n;
    });

TEST(Button, HotAndPressedMovesTheCaptionByOnePixel)
{
    Toolbar t;
    t.a->setShowFocusRect(false);
    t.a->setCaption(QStringLiteral("Exit"));
    ASSERT_TRUE(t.show());
    enter(t.a);
    const QRect hot = boundingBox(grabImage(*t.a), isDark);
    QTest::mousePress(t.a, Qt::LeftButton, {}, QPoint(5, 5));
    const QRect pressed = boundingBox(grabImage(*t.a), isDark);
    ASSERT_FALSE(hot.isEmpty());
    EXPECT_EQ(pressed, hot.translated(1, 1));
}

TEST(Button, CaptionIsCentred)
{
    QWidget parent;
    TdxButton b(&parent);
    b.resize(136, 23);
    b.setCaption(QStringLiteral("Print"));
    const QRect ink = boundingBox(grabImage(b), isDark);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 68, 3);
    EXPECT_NEAR(ink.center().y(), 11, 3);
}

TEST(Button, DisabledPictureTurnsGrey)
{
    QWidget parent;
    TdxButton b(&parent);
    b.resize(136, 23);
    b.Colors()->setBackgroundFrom(framework::RGB(0, 0, 200));
    b.Colors()->setBackgroundTo(framework::RGB(0, 0, 100));
    QImage glyph(8, 9, QImage::Format_RGB32);
    glyph.fill(Qt::magenta); // the bottom row marks the transparent colour
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            glyph.setPixel(x, y, x < 4 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    b.setGlyph(glyph);
    b.setEnabled(false);
    const QImage shot = grabImage(b);
    int light = 0, dark = 0, magenta = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb c = at(shot, x, y);
            light += c == rgb(223, 223, 223);
            dark += c == rgb(96, 96, 96);
            magenta += c == rgb(255, 0, 255);
        }
    EXPECT_EQ(light, 32);
    EXPECT_EQ(dark, 32);
    EXPECT_EQ(magenta, 0);
}

TEST(Button, GlyphLayoutPlacesPictureBesideTheCaption)
{
    QImage glyph(10, 11, QImage::Format_RGB32);
    glyph.fill(qRgb(255, 0, 0));
    for (int x = 0; x < 10; ++x)
        glyph.setPixel(x, 10, qRgb(255, 0, 255));
    const TdxButton::TdxLayout layouts[] = {TdxButton::blGlyphLeft, TdxButton::blGlyphRight,
                                            TdxButton::blGlyphTop, TdxButton::blGlyphBottom};
    for (TdxButton::TdxLayout layout : layouts) {
        QWidget parent;
        TdxButton b(&parent);
        b.resize(136, 70);
        b.setCaption(QStringLiteral("Exit"));
        b.setGlyph(glyph);
        b.setLayout(layout);
        const QImage shot = grabImage(b);
        const QRect g = boundingBox(shot, [](QRgb c) { return (c & 0xFFFFFF) == rgb(255, 0, 0); });
        const QRect text = boundingBox(shot, isDark);
        ASSERT_EQ(g.size(), QSize(10, 10)) << int(layout);
        ASSERT_FALSE(text.isEmpty());
        switch (layout) {
        case TdxButton::blGlyphLeft:
            EXPECT_LT(g.right(), text.left());
            break;
        case TdxButton::blGlyphRight:
            EXPECT_GT(g.left(), text.right());
            break;
        case TdxButton::blGlyphTop:
            EXPECT_LT(g.bottom(), text.top());
            break;
        case TdxButton::blGlyphBottom:
            EXPECT_GT(g.top(), text.bottom());
            break;
        }
    }
}

TEST(Button, ColoursAndQualityRebuildTheGradients)
{
    QWidget parent;
    TdxButton b(&parent);
    b.resize(136, 23);
    auto *colors = b.property("Colors").value<TdxColors *>();
    ASSERT_EQ(colors, b.Colors());
    colors->setProperty("BackgroundFrom", QVariant::fromValue(framework::clSkyBlue));
    b.grab();
    EXPECT_EQ(b.normalImage().pixel(0, 0) & 0xFFFFFF, rgb(166, 202, 240));
    EXPECT_EQ(b.normalImage().pixel(0, 1) & 0xFFFFFF, rgb(171, 204, 239));
    b.setQuality(TdxButton::bqLow);
    // Eight bands: the second starts at row MulDiv(1, 21, 8) = 3.
    const auto low = GradientColors(framework::clSkyBlue, TColor(15199215), 8);
    EXPECT_EQ(b.normalImage().pixel(0, 2), low[0]);
    EXPECT_EQ(b.normalImage().pixel(0, 3), low[1]);
    b.resize(100, 30);
    b.grab();
    EXPECT_EQ(b.normalImage().size(), QSize(98, 28));
    EXPECT_EQ(b.clickedImage().size(), QSize(98, 28));
}

TEST(Keyboard, SpacePressesAndItsReleaseClicks)
{
    Toolbar t;
    ASSERT_TRUE(t.show());
    t.a->setFocus();
    ASSERT_TRUE(waitFor([&] { return t.a->hasFocus(); }));
    QTest::keyPress(t.a, Qt::Key_Space);
    EXPECT_TRUE(t.a->isPressed());
    EXPECT_TRUE(t.a->isHot());
    EXPECT_EQ(t.clicksA, 0);
    QTest::keyRelease(t.a, Qt::Key_Space);
    EXPECT_FALSE(t.a->isPressed());
    EXPECT_EQ(t.clicksA, 1);
    QTest::keyPress(t.a, Qt::Key_Space, Qt::ShiftModifier); // not with Shift
    EXPECT_FALSE(t.a->isPressed());
}

TEST(Keyboard, ReleasingAnyKeyWhilePressedClicks)
{
    Toolbar t;
    ASSERT_TRUE(t.show());
    QTest::mousePress(t.a, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(t.a->isPressed());
    QTest::keyRelease(t.a, Qt::Key_X);
    EXPECT_EQ(t.clicksA, 1);
    EXPECT_FALSE(t.a->isPressed());
}

TEST(Keyboard, EnterClicksTheFocusedButtonEvenWhenNotDefault)
{
    Toolbar t;
    ASSERT_TRUE(t.show());
    t.b->setDefault(true);
    t.a->setFocus();
    ASSERT_TRUE(waitFor([&] { return t.a->hasFocus(); }));
    QTest::keyClick(t.a, Qt::Key_Return);
    EXPECT_EQ(t.clicksA, 1);
    EXPECT_EQ(t.clicksB, 0); // the default button leaves Enter to the focused gradient control
}

TEST(Keyboard, DefaultButtonTakesEnterWhileNoGradientControlIsActive)
{
    Toolbar t;
    ASSERT_TRUE(t.show());
    QTest::keyClick(t.edit, Qt::Key_Return);
    EXPECT_EQ(t.clicksA + t.clicksB, 0);
    t.b->setDefault(true);
    QTest::keyClick(t.edit, Qt::Key_Return);
    EXPECT_EQ(t.clicksB, 1);
    t.b->setEnabled(false); // cannot take the focus: the key is passed on
    QTest::keyClick(t.edit, Qt::Key_Return);
    EXPECT_EQ(t.clicksB, 1);
}

TEST(Keyboard, EscapeClicksCancelButNotWithShift)
{
    Toolbar t;
    ASSERT_TRUE(t.show());
    t.b->setCancel(true);
    QTest::keyClick(t.edit, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_EQ(t.clicksB, 0);
    QTest::keyClick(t.edit, Qt::Key_Escape);
    EXPECT_EQ(t.clicksB, 1);
}

TEST(Actions, ButtonShowsTheActionAndTriggersIt)
{
    QWidget parent;
    TdxButton b(&parent);
    b.resize(136, 23);
    QAction action(QStringLiteral("&Go"));
    int triggered = 0;
    QObject::connect(&action, &QAction::triggered, [&] { ++triggered; });
    b.setAction(&action);
    EXPECT_EQ(b.Caption(), QStringLiteral("&Go"));
    EXPECT_EQ(b.ImageIndex(), -1);
    QPixmap icon(12, 12);
    icon.fill(Qt::red);
    action.setIcon(QIcon(icon));
    EXPECT_EQ(b.ImageIndex(), 0);
    b.Click();
    EXPECT_EQ(triggered, 1);
    action.setEnabled(false);
    EXPECT_FALSE(b.isEnabled());
    b.setAction(nullptr);
}

TEST(Button, ReadOnlyAndClampedProperties)
{
    TdxButton b;
    const QString version = b.Version();
    EXPECT_FALSE(version.isEmpty());
    b.setProperty("Version", QStringLiteral("x"));
    b.setProperty("About", QStringLiteral("x"));
    EXPECT_EQ(b.Version(), version);
    EXPECT_NE(b.About(), QStringLiteral("x"));
    b.setSpacing(300);
    EXPECT_EQ(b.Spacing(), 255);
    b.setSpacing(-4);
    EXPECT_EQ(b.Spacing(), 0);
}

} // namespace

namespace {

TEST(ParentColour, ButtonFollowsItsParentUntilGivenItsOwn)
{
    TControl toolbar;
    toolbar.setColor(framework::clActiveBorder);
    TdxButton print(&toolbar);
    EXPECT_TRUE(print.ParentColor());
    EXPECT_EQ(print.Color(), framework::clActiveBorder);
    toolbar.setColor(framework::clNavy);
    EXPECT_EQ(print.Color(), framework::clNavy);
    print.resize(40, 20);
    EXPECT_EQ(at(grabImage(print), 0, 0), rgb(0, 0, 128)); // the corner outside the frame

    TdxButton exit(&toolbar);
    exit.setColor(framework::clActiveBorder);
    EXPECT_FALSE(exit.ParentColor());
    toolbar.setColor(framework::clRed);
    EXPECT_EQ(exit.Color(), framework::clActiveBorder);
    EXPECT_EQ(print.Color(), framework::clRed);

    QWidget plain;
    QPalette pal;
    pal.setColor(QPalette::Window, QColor(1, 2, 3));
    plain.setPalette(pal);
    TdxButton inPlain(&plain);
    EXPECT_EQ(inPlain.Color(), framework::RGB(1, 2, 3));
}

} // namespace
