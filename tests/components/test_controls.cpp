// The standard controls as a user meets them: panel bevels, the keys and the focus chain of a
// form, clickable lamps and links on the keyboard, the toolbar's item height, and what
// assistive technology reads from each control.
#include "components/accessible.h"
#include "components/button.h"
#include "components/dxButton.h"
#include "components/dxfClock.h"
#include "components/form.h"
#include "components/image.h"
#include "components/label.h"
#include "components/mLED.h"
#include "components/panel.h"
#include "components/toolbar.h"
#include "widgettest.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace components;
using namespace widgettest;

namespace {

constexpr QRgb kShadow = 0x808080;    // the button shadow
constexpr QRgb kHighlight = 0xFFFFFF; // the button highlight

struct BevelRow
{
    const char *name;
    TCustomPanel::TBevelCut outer, inner;
    int bevelWidth, borderWidth;
    // Pixels along the top-left diagonal, from the corner inwards.
    std::vector<QRgb> diagonal;
    // And along the bottom-right one.
    std::vector<QRgb> opposite;
};

class Bevels : public ::testing::TestWithParam<BevelRow>
{
};

TEST_P(Bevels, FramesInTheButtonHighlightAndShadow)
{
    const BevelRow &row = GetParam();
    QWidget parent;
    auto *panel = new TPanel(&parent);
    panel->setGeometry(0, 0, 40, 30);
    panel->setColor(framework::RGB(10, 20, 30));
    panel->setBevelOuter(row.outer);
    panel->setBevelInner(row.inner);
    panel->setBevelWidth(row.bevelWidth);
    panel->setBorderWidth(row.borderWidth);
    const QImage shot = grabImage(*panel);
    for (int i = 0; i < int(row.diagonal.size()); ++i) {
        EXPECT_EQ(at(shot, i, i), row.diagonal[std::size_t(i)]) << "top-left " << i;
        EXPECT_EQ(at(shot, i, 15), row.diagonal[std::size_t(i)]) << "left edge " << i;
    }
    for (int i = 0; i < int(row.opposite.size()); ++i) {
        EXPECT_EQ(at(shot, 39 - i, 29 - i), row.opposite[std::size_t(i)]) << "bottom-right " << i;
        EXPECT_EQ(at(shot, 20, 29 - i), row.opposite[std::size_t(i)]) << "bottom edge " << i;
    }
}

constexpr QRgb kFace = 0x0A141E; // the panel's colour, RGB 10, 20, 30

INSTANTIATE_TEST_SUITE_P(
    Table, Bevels,
    ::testing::Values(
        // The About box's panel: a lowered outer and a raised inner bevel.
        BevelRow{"LoweredOuterRaisedInner",
                 TCustomPanel::bvLowered,
                 TCustomPanel::bvRaised,
                 1,
                 0,
                 {kShadow, kHighlight, kFace},
                 {kHighlight, kShadow, kFace}},
        BevelRow{"RaisedOnly",
                 TCustomPanel::bvRaised,
                 TCustomPanel::bvNone,
                 1,
                 0,
                 {kHighlight, kFace},
                 {kShadow, kFace}},
        BevelRow{"None", TCustomPanel::bvNone, TCustomPanel::bvNone, 1, 0, {kFace}, {kFace}},
        BevelRow{"WideBevelsAroundABorder",
                 TCustomPanel::bvRaised,
                 TCustomPanel::bvLowered,
                 2,
                 1,
                 {kHighlight, kHighlight, kFace, kShadow, kShadow, kFace},
                 {kShadow, kShadow, kFace, kHighlight, kHighlight, kFace}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ClockBevels, StayInTheClocksOwnColours)
{
    QWidget parent;
    auto *clock = new TdxfClock(&parent);
    clock->setGeometry(0, 0, 104, 23);
    const QImage shot = grabImage(*clock);
    EXPECT_EQ(at(shot, 0, 0), rgb(239, 239, 239));
    EXPECT_EQ(at(shot, 1, 1), rgb(128, 128, 128));
}

// A dialog with a default and a cancel button, a panel with a label and a link on it.
struct Dialog
{
    TForm form;
    TPanel *panel = new TPanel(&form);
    TLabel *label = new TLabel(panel);
    TLabel *link = new TLabel(panel);
    TButton *ok = new TButton(&form);
    TButton *cancel = new TButton(&form);
    TButton *other = new TButton(&form);
    QStringList clicks;
    Dialog()
    {
        form.setClientWidth(300);
        form.setClientHeight(200);
        panel->setGeometry(8, 8, 280, 120);
        panel->setTabOrder(0);
        label->setCaption(QStringLiteral("Plain text"));
        link->move(10, 40);
        link->setCaption(QStringLiteral(" Home page "));
        QObject::connect(link, &TControl::OnClick, [this](QObject *) { clicks << "link"; });
        const struct
        {
            TButton *b;
            const char *name;
            int left, order;
        } buttons[] = {{other, "other", 8, 3}, {ok, "ok", 100, 1}, {cancel, "cancel", 200, 2}};
        for (const auto &row : buttons) {
            row.b->setGeometry(row.left, 150, 75, 29);
            row.b->setCaption(QString::fromLatin1(row.name));
            row.b->setTabOrder(row.order);
            const QString name = QString::fromLatin1(row.name);
            QObject::connect(row.b, &TButton::OnClick, [this, name](QObject *) { clicks << name; });
        }
        ok->setDefault(true);
        cancel->setCancel(true);
    }
};

void press(int key, Qt::KeyboardModifiers mods = {})
{
    QWidget *target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, Qt::Key(key), mods);
}

TEST(FormKeys, FirstFocusIsTheLowestTabOrderThatCanTakeIt)
{
    Dialog d;
    ASSERT_TRUE(showActive(d.form));
    // The panel holds no tab stop and the link is reached by Tab only: OK comes first.
    EXPECT_TRUE(waitFor([&] { return d.ok->hasFocus(); }));
}

TEST(FormKeys, FirstFocusSkipsDisabledAndHiddenControls)
{
    Dialog d;
    d.ok->setEnabled(false);
    d.cancel->hide();
    ASSERT_TRUE(showActive(d.form));
    EXPECT_TRUE(waitFor([&] { return d.other->hasFocus(); }));
}

TEST(FormKeys, TabFollowsTheTabOrderWithinEachParent)
{
    Dialog d;
    ASSERT_TRUE(showActive(d.form));
    ASSERT_TRUE(waitFor([&] { return d.ok->hasFocus(); }));
    // Panel (0): its link; then OK (1), Cancel (2), the other button (3).
    EXPECT_EQ(d.form.TabChain(), (QList<QWidget *>{d.link, d.ok, d.cancel, d.other}));
    QList<QWidget *> seen;
    for (int i = 0; i < 4; ++i) {
        press(Qt::Key_Tab);
        seen << QApplication::focusWidget();
    }
    EXPECT_EQ(seen, (QList<QWidget *>{d.cancel, d.other, d.link, d.ok}));
    press(Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), d.link);
}

struct EnterRow
{
    const char *name;
    std::function<QWidget *(Dialog &)> focus;
    int key;
    Qt::KeyboardModifiers mods;
    QStringList clicks;
};

class FormKeysTable : public ::testing::TestWithParam<EnterRow>
{
};

TEST_P(FormKeysTable, EnterAndEscapeReachTheDefaultAndCancelButtons)
{
    const EnterRow &row = GetParam();
    Dialog d;
    ASSERT_TRUE(showActive(d.form));
    QWidget *target = row.focus(d);
    target->setFocus();
    ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == target; }));
    QTest::keyClick(target, Qt::Key(row.key), row.mods);
    EXPECT_EQ(d.clicks, row.clicks);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormKeysTable,
    ::testing::Values(
        EnterRow{"EnterOnThePanel", [](Dialog &d) { return d.panel; }, Qt::Key_Return, {}, {"ok"}},
        EnterRow{"EnterOnALabel", [](Dialog &d) { return d.label; }, Qt::Key_Return, {}, {"ok"}},
        EnterRow{
            "KeypadEnterOnTheWindow", [](Dialog &d) { return &d.form; }, Qt::Key_Enter, {}, {"ok"}},
        EnterRow{"EnterOnAnotherButtonClicksThatOne",
                 [](Dialog &d) { return d.other; },
                 Qt::Key_Return,
                 {},
                 {"other"}},
        EnterRow{"EnterOnTheLinkFollowsIt",
                 [](Dialog &d) { return d.link; },
                 Qt::Key_Return,
                 {},
                 {"link"}},
        EnterRow{
            "EscapeOnThePanel", [](Dialog &d) { return d.panel; }, Qt::Key_Escape, {}, {"cancel"}},
        EnterRow{"EscapeOnAnotherButton",
                 [](Dialog &d) { return d.other; },
                 Qt::Key_Escape,
                 {},
                 {"cancel"}},
        EnterRow{"ShiftEscapeIsNotCancel",
                 [](Dialog &d) { return d.panel; },
                 Qt::Key_Escape,
                 Qt::ShiftModifier,
                 {}},
        EnterRow{"CtrlEnterIsNotDefault",
                 [](Dialog &d) { return d.panel; },
                 Qt::Key_Return,
                 Qt::ControlModifier,
                 {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FormKeys, ADisabledDefaultButtonTakesNoEnter)
{
    Dialog d;
    d.ok->setEnabled(false);
    ASSERT_TRUE(showActive(d.form));
    d.panel->setFocus();
    ASSERT_TRUE(waitFor([&] { return d.panel->hasFocus(); }));
    QTest::keyClick(d.panel, Qt::Key_Return);
    EXPECT_TRUE(d.clicks.isEmpty());
}

TEST(FormKeys, AClickOnThePanelLeavesTheFocusWithTheButton)
{
    Dialog d;
    ASSERT_TRUE(showActive(d.form));
    ASSERT_TRUE(waitFor([&] { return d.ok->hasFocus(); }));
    QTest::mouseClick(d.panel, Qt::LeftButton, {}, QPoint(200, 100));
    QTest::mouseClick(&d.form, Qt::LeftButton, {}, QPoint(290, 140));
    EXPECT_TRUE(d.ok->hasFocus());
}

TEST(FormKeys, ModalDialogClosesOnEnterWhereverTheFocusIs)
{
    Dialog d;
    d.ok->setModalResult(1);
    QTimer::singleShot(0, [&] {
        waitFor([&] { return d.ok->hasFocus(); });
        d.panel->setFocus();
        waitFor([&] { return d.panel->hasFocus(); });
        QTest::keyClick(d.panel, Qt::Key_Return);
    });
    EXPECT_EQ(d.form.ShowModal(), 1);
}

TEST(FormPlacement, CentredAgainAtEveryShowing)
{
    TForm form;
    form.setClientWidth(300);
    form.setClientHeight(200);
    form.setPosition(TForm::poScreenCenter);
    const QPoint centre = form.PlacementScreen()->availableGeometry().center();
    ASSERT_TRUE(showActive(form));
    EXPECT_LE((form.frameGeometry().center() - centre).manhattanLength(), 2);
    form.move(form.pos() + QPoint(70, 40));
    form.hide();
    ASSERT_TRUE(showActive(form));
    EXPECT_LE((form.frameGeometry().center() - centre).manhattanLength(), 2);
}

// A lamp with a click handler on a window with a gradient button after it.
struct LampWindow
{
    TForm form;
    TmLED *lamp = new TmLED(&form);
    TdxButton *button = new TdxButton(&form);
    int clicks = 0;
    LampWindow()
    {
        form.setClientWidth(200);
        form.setClientHeight(40);
        lamp->move(2, 2);
        button->setGeometry(40, 2, 136, 23);
        button->setTabOrder(0);
        QObject::connect(lamp, &TControl::OnClick, [this](QObject *) { ++clicks; });
    }
};

TEST(KeyClickable, ALampWithAClickHandlerIsReachedByTabAndClickedBySpaceOrEnter)
{
    LampWindow w;
    EXPECT_TRUE(w.lamp->KeyClickable());
    ASSERT_TRUE(showActive(w.form));
    ASSERT_TRUE(waitFor([&] { return w.button->hasFocus(); })); // not the first focus
    press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), w.lamp);
    press(Qt::Key_Space);
    press(Qt::Key_Return);
    EXPECT_EQ(w.clicks, 2);
    press(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(w.clicks, 2);
}

TEST(KeyClickable, FocusShowsAsADottedFrameOnTheEdge)
{
    LampWindow w;
    ASSERT_TRUE(showActive(w.form));
    const QImage before = grabImage(*w.lamp);
    w.lamp->setFocus();
    ASSERT_TRUE(waitFor([&] { return w.lamp->hasFocus(); }));
    const QImage focused = grabImage(*w.lamp);
    int changed = 0;
    for (int x = 0; x < 23; ++x)
        changed += at(focused, x, 0) != at(before, x, 0);
    EXPECT_GE(changed, 10); // every other pixel of the top edge
    EXPECT_EQ(at(focused, 11, 11), at(before, 11, 11));
}

TEST(KeyClickable, PlainLabelsAndPicturesStayOutOfTheChain)
{
    QWidget parent;
    TLabel label(&parent);
    TImage image(&parent);
    EXPECT_FALSE(label.KeyClickable());
    EXPECT_EQ(label.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(image.focusPolicy(), Qt::NoFocus);
}

TEST(ToolBar, ToolButtonsTakeTheItemHeight)
{
    QWidget window;
    auto *bar = new TToolBar(&window);
    bar->setButtonHeight(23);
    auto *separator = new TToolButton(bar);
    separator->setStyle(TToolButton::tbsSeparator);
    separator->setHeight(10); // the bar's item height wins
    auto *other = new TdxButton(bar);
    other->setHeight(19);
    window.show();
    settle();
    EXPECT_EQ(separator->height(), 23);
    EXPECT_EQ(other->height(), 19); // only tool buttons
    bar->setButtonHeight(30);
    EXPECT_EQ(separator->height(), 30);
}

TEST(Accessible, CaptionsReadWithoutTheirAcceleratorMark)
{
    const struct
    {
        const char *caption, *read;
    } rows[] = {{"E&xit", "Exit"},         {"Save && go", "Save & go"},
                {"&&&Print", "&Print"},    {" Visit Me Online ", "Visit Me Online"},
                {"Trailing&", "Trailing"}, {"", ""}};
    for (const auto &r : rows)
        EXPECT_EQ(AccessibleText(QString::fromLatin1(r.caption)), QLatin1String(r.read))
            << r.caption;
}

QAccessibleInterface *accessible(QObject *o)
{
    return QAccessible::queryAccessibleInterface(o);
}

TEST(Accessible, RolesNamesAndStatesOfTheControls)
{
    Dialog d;
    auto *lamp = new TmLED(&d.form);
    lamp->setLEDColor(TmLED::lcGreen);
    auto *clock = new TdxfClock(&d.form);
    auto *button = new TdxButton(&d.form);
    button->setCaption(QStringLiteral("E&xit"));
    button->setDefault(true);
    auto *icon = new TImage(&d.form);
    icon->setAccessibleName(QStringLiteral("Program icon"));
    d.form.setCaption(QStringLiteral("About"));
    d.form.setBorderStyle(TForm::bsDialog);

    const struct
    {
        QObject *o;
        QAccessible::Role role;
        const char *name;
    } rows[] = {{&d.form, QAccessible::Dialog, "About"},
                {d.label, QAccessible::StaticText, "Plain text"},
                {d.link, QAccessible::Link, "Home page"},
                {d.panel, QAccessible::Pane, ""},
                {lamp, QAccessible::Indicator, "Green lamp off"},
                {clock, QAccessible::Clock, "Clock"},
                {button, QAccessible::Button, "Exit"},
                {icon, QAccessible::Graphic, "Program icon"},
                {d.ok, QAccessible::Button, "ok"}};
    for (const auto &r : rows) {
        QAccessibleInterface *i = accessible(r.o);
        ASSERT_NE(i, nullptr) << r.name;
        EXPECT_EQ(i->role(), r.role) << r.name;
        EXPECT_EQ(i->text(QAccessible::Name), QLatin1String(r.name)) << r.name;
    }
    EXPECT_TRUE(accessible(d.link)->state().linked);
    EXPECT_TRUE(accessible(button)->state().defaultButton);
    EXPECT_TRUE(accessible(d.ok)->state().defaultButton);
    EXPECT_EQ(accessible(clock)->text(QAccessible::Value), QStringLiteral("00:00:00"));

    // A lamp that clicks is a button; its name follows its state.
    int clicks = 0;
    QObject::connect(lamp, &TControl::OnClick, [&](QObject *) { ++clicks; });
    lamp->setStateTexts(QStringLiteral("Page loaded"), QStringLiteral("Page not loaded"));
    QAccessibleInterface *l = accessible(lamp);
    EXPECT_TRUE(lamp->KeyClickable());
    EXPECT_EQ(l->role(), QAccessible::Button);
    EXPECT_EQ(l->text(QAccessible::Name), QStringLiteral("Page not loaded"));
    lamp->setState(TmLED::lsON);
    EXPECT_EQ(l->text(QAccessible::Name), QStringLiteral("Page loaded"));
    EXPECT_TRUE(l->state().checked);
    ASSERT_NE(l->actionInterface(), nullptr);
    l->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 1);
}

TEST(Accessible, PressActionsClickAndPressedStateShows)
{
    Dialog d;
    auto *button = new TdxButton(&d.form);
    int clicks = 0;
    QObject::connect(button, &TControl::OnClick, [&](QObject *) { ++clicks; });
    QAccessibleInterface *b = accessible(button);
    ASSERT_NE(b->actionInterface(), nullptr);
    EXPECT_TRUE(
        b->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    b->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 1);
    accessible(d.link)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(d.clicks, QStringList{"link"});
    // A plain label offers no action.
    EXPECT_FALSE(accessible(d.label)->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
    button->setGeometry(0, 0, 80, 23);
    ASSERT_TRUE(showActive(d.form));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(b->state().pressed);
    EXPECT_TRUE(b->state().focused);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(b->state().pressed);
}

} // namespace
