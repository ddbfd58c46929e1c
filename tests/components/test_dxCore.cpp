#include "components/dxButton.h"
#include "components/dxCore.h"
#include "framework/application.h"
#include "testsupport.h"
#include "widgettest.h"

#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace components;
using namespace widgettest;
using framework::TColor;

namespace {

const TColor kBackgroundTo = TColor(15199215);

TEST(Gradient, SixteenBandsOfHeightTwentyOne)
{
    QImage img;
    GradientFill(134, 21, framework::clSkyBlue, kBackgroundTo, 16, false, img);
    ASSERT_EQ(img.size(), QSize(134, 21));
    const auto table = GradientColors(framework::clSkyBlue, kBackgroundTo, 16);
    const int tops[] = {0, 1, 3, 4, 5, 7, 8, 9, 11, 12, 13, 14, 16, 17, 18, 20, 21};
    for (int band = 0; band < 16; ++band)
        for (int y = tops[band]; y < tops[band + 1]; ++y)
            for (int x : {0, 15, 16, 77, 133})
                EXPECT_EQ(img.pixel(x, y), table[std::size_t(band)]) << "row " << y << " col " << x;
}

TEST(Gradient, ColourEntriesRoundTiesToEven)
{
    const auto t = GradientColors(framework::clSkyBlue, kBackgroundTo, 16);
    ASSERT_EQ(t.size(), 16u);
    EXPECT_EQ(t[0], qRgb(166, 202, 240));
    EXPECT_EQ(t[1], qRgb(171, 204, 239));
    EXPECT_EQ(t[8], qRgb(205, 220, 235));
    EXPECT_EQ(t[15], qRgb(239, 235, 231));
    // 0 to 5 in 5 steps of 1.25: 2.5 rounds to 2 and 3.75 to 4.
    const auto halves = GradientColors(framework::RGB(0, 0, 0), framework::RGB(5, 0, 0), 5);
    EXPECT_EQ(qRed(halves[2]), 2);
    EXPECT_EQ(qRed(halves[3]), 4);
}

TEST(Gradient, DitheringRepeatsEverySixteenColumns)
{
    QImage a, b;
    GradientFill(70, 40, framework::clWhite, framework::clBlack, 8, true, a);
    GradientFill(70, 40, framework::clWhite, framework::clBlack, 8, true, b);
    EXPECT_EQ(a, b); // the same pattern every time
    const auto table = GradientColors(framework::clWhite, framework::clBlack, 8);
    bool sprinkled = false;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 70; ++x) {
            EXPECT_EQ(a.pixel(x, y), a.pixel(x % 16, y));
            const int band = [&] {
                for (int i = 7; i >= 0; --i)
                    if (y >= framework::MulDiv(i, 40, 8))
                        return i;
                return 0;
            }();
            const QRgb c = a.pixel(x, y);
            const bool own = c == table[std::size_t(band)];
            const bool above = band > 0 && c == table[std::size_t(band - 1)];
            EXPECT_TRUE(own || above) << x << "," << y;
            sprinkled |= above;
        }
    }
    EXPECT_TRUE(sprinkled);
}

TEST(Gradient, DegenerateSizesGiveAnEmptyImage)
{
    QImage img(5, 5, QImage::Format_RGB32);
    GradientFill(0, 21, framework::clWhite, framework::clBlack, 16, false, img);
    EXPECT_TRUE(img.isNull());
    GradientFill(10, -3, framework::clWhite, framework::clBlack, 16, true, img);
    EXPECT_TRUE(img.isNull());
    GradientFill(3, 2, framework::clWhite, framework::clBlack, 1, true, img); // at least 2 bands
    EXPECT_EQ(img.size(), QSize(3, 2));
}

TEST(Caption, EmptyOrLoneAmpersandMeasuresOneLine)
{
    QImage img(100, 50, QImage::Format_RGB32);
    QPainter p(&img);
    const QFont font;
    const int lh = QFontMetrics(font).height();
    for (const QString &text : {QString(), QStringLiteral("&")}) {
        framework::TRect r{0, 0, 100, 50};
        DrawButtonText(p, text, framework::DT_CALCRECT, r, true, true, font, framework::clBlack);
        EXPECT_EQ(r.height(), lh) << text.toStdString();
        r = {0, 0, 100, 50};
        DrawButtonText(p, text, framework::DT_CALCRECT, r, true, false, font, framework::clBlack);
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.height(), lh);
    }
}

TEST(Caption, DisabledIsEtched)
{
    const QRgb background = qRgb(10, 200, 10);
    auto ink = [&](bool enabled) {
        QImage img(60, 30, QImage::Format_RGB32);
        img.fill(background);
        {
            QPainter p(&img);
            framework::TRect r{5, 5, 60, 30};
            DrawButtonText(p, QStringLiteral("I"), 0, r, true, enabled, QFont(),
                           framework::clBlack);
        }
        return img;
    };
    const QImage on = ink(true), off = ink(false);
    const QRect a = boundingBox(on, [&](QRgb c) { return c != background; });
    const QRect b = boundingBox(off, [&](QRgb c) { return c != background; });
    ASSERT_FALSE(a.isEmpty());
    // The highlight copy one pixel down and right, the shadow copy in place.
    EXPECT_EQ(b.topLeft(), a.topLeft());
    EXPECT_EQ(b.bottomRight(), a.bottomRight() + QPoint(1, 1));
    const QRgb corner = off.pixel(b.right(), b.bottom() > a.bottom() ? b.bottom() : a.bottom());
    EXPECT_GT(qRed(corner), qRed(background));
    EXPECT_TRUE(boundingBox(off, isDark).isEmpty()); // no black text when disabled
}

// A window with a line edit first, so that no gradient control has the focus at the start.
struct Window
{
    QWidget window;
    QLineEdit *edit;
    TdxButton *a;
    TdxButton *b;
    int clicksA = 0;
    int clicksB = 0;
    Window()
    {
        auto *layout = new QVBoxLayout(&window);
        edit = new QLineEdit(&window);
        a = new TdxButton(&window);
        b = new TdxButton(&window);
        layout->addWidget(edit);
        layout->addWidget(a);
        layout->addWidget(b);
        a->setCaption(QStringLiteral("&Alpha"));
        b->setCaption(QStringLiteral("&Beta"));
        QObject::connect(a, &TControl::OnClick, [this](QObject *) { ++clicksA; });
        QObject::connect(b, &TControl::OnClick, [this](QObject *) { ++clicksB; });
    }
};

TEST(Accelerators, WithoutAltOnlyAFocusedControlClicks)
{
    Window w;
    ASSERT_TRUE(showActive(w.window));
    w.a->setFocus();
    ASSERT_TRUE(waitFor([&] { return w.a->hasFocus(); }));
    QTest::keyClick(w.a, Qt::Key_B);
    EXPECT_EQ(w.clicksB, 0);
    QTest::keyClick(w.a, Qt::Key_A);
    EXPECT_EQ(w.clicksA, 1);
    QTest::keyClick(w.a, Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(w.clicksB, 1);
    w.b->setEnabled(false); // a control that cannot take the focus passes the character on
    QTest::keyClick(w.a, Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(w.clicksB, 1);
}

TEST(Mouse, ReleaseOutsideClearsPressedWithoutClickAndTheControlBelowTurnsHot)
{
    Window w;
    ASSERT_TRUE(showActive(w.window));
    const QPoint inside(5, 5);
    QTest::mousePress(w.a, Qt::LeftButton, {}, inside);
    EXPECT_TRUE(w.a->isPressed());
    EXPECT_TRUE(w.a->hasFocus());
    EXPECT_TRUE(w.a->isMouseDown());
    // Released over the other button: the grab keeps the release with the pressed one.
    const QPoint overB = w.a->mapFromGlobal(w.b->mapToGlobal(QPoint(5, 5)));
    QTest::mouseRelease(w.a, Qt::LeftButton, {}, overB);
    EXPECT_FALSE(w.a->isPressed());
    EXPECT_FALSE(w.a->isMouseDown());
    EXPECT_EQ(w.clicksA, 0);
    EXPECT_TRUE(w.b->isHot());
    QTest::mousePress(w.a, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(w.a, Qt::LeftButton, {}, inside);
    EXPECT_EQ(w.clicksA, 1);
}

TEST(Mouse, DraggedOffWhileHeldIsPressedButNotHotAndTurnsHotAgainOnTheWayBack)
{
    Window w;
    ASSERT_TRUE(showActive(w.window));
    int enters = 0, leaves = 0;
    QObject::connect(w.a, &TdxCustomControl::OnMouseEnter, [&](QObject *) { ++enters; });
    QObject::connect(w.a, &TdxCustomControl::OnMouseLeave, [&](QObject *) { ++leaves; });
    const QPoint inside(5, 5);
    const QPoint outside(w.a->width() + 20, w.a->height() + 20);
    QTest::mouseMove(w.a, inside);
    QTest::mousePress(w.a, Qt::LeftButton, {}, inside);
    ASSERT_TRUE(w.a->isHot());
    QTest::mouseMove(w.a, outside);
    EXPECT_TRUE(w.a->isPressed());
    EXPECT_FALSE(w.a->isHot());
    EXPECT_TRUE(w.a->Emphasized(false)); // the state table's "pressed, not hot"
    QTest::mouseMove(w.a, inside);
    EXPECT_TRUE(w.a->isHot());
    QTest::mouseMove(w.a, outside);
    QTest::mouseRelease(w.a, Qt::LeftButton, {}, outside);
    EXPECT_FALSE(w.a->isPressed());
    EXPECT_EQ(w.clicksA, 0);
    // The toolkit's own leave after the release changes nothing more.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(w.a, &leave);
    settle();
    EXPECT_EQ(leaves, enters);
    EXPECT_FALSE(w.a->isHot());
}

TEST(Mouse, DoubleClickIsTwoPressesAndNoDoubleClickEvent)
{
    Window w;
    ASSERT_TRUE(showActive(w.window));
    int doubleClicks = 0;
    QObject::connect(w.a, &TControl::OnDblClick, [&](QObject *) { ++doubleClicks; });
    // As the window system delivers a double click: press, release, double click, release.
    const QPoint at(5, 5);
    QTest::mousePress(w.a, Qt::LeftButton, {}, at);
    QTest::mouseRelease(w.a, Qt::LeftButton, {}, at);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, w.a->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.a, &dbl);
    EXPECT_TRUE(w.a->isPressed());
    QTest::mouseRelease(w.a, Qt::LeftButton, {}, at);
    EXPECT_EQ(doubleClicks, 0);
    EXPECT_EQ(w.clicksA, 2);
    EXPECT_FALSE(w.a->isPressed());
}

TEST(Focus, ActiveControlFlagFollowsTheWindowFocus)
{
    Window w;
    ASSERT_TRUE(showActive(w.window));
    w.edit->setFocus();
    ASSERT_TRUE(waitFor([&] { return w.edit->hasFocus(); }));
    EXPECT_FALSE(w.a->isActiveControlFlag());
    EXPECT_FALSE(w.a->isFocusedFlag());
    w.b->setFocus();
    ASSERT_TRUE(waitFor([&] { return w.b->hasFocus(); }));
    EXPECT_TRUE(w.a->isActiveControlFlag());
    EXPECT_TRUE(w.b->isFocusedFlag());
    EXPECT_FALSE(w.a->isFocusedFlag());
    // Losing the focus clears pressed.
    QTest::keyPress(w.b, Qt::Key_Space);
    EXPECT_TRUE(w.b->isPressed());
    w.edit->setFocus();
    ASSERT_TRUE(waitFor([&] { return w.edit->hasFocus(); }));
    EXPECT_FALSE(w.b->isPressed());
    EXPECT_FALSE(w.b->isFocusedFlag());
    EXPECT_FALSE(w.b->isActiveControlFlag());
}

TEST(Click, HandsTheModalResultToTheDialog)
{
    QDialog dialog;
    auto *ok = new TdxButton(&dialog);
    ok->setModalResult(QDialog::Accepted);
    QTimer::singleShot(0, ok, [ok] { ok->Click(); });
    EXPECT_EQ(dialog.exec(), int(QDialog::Accepted));
}

TEST(StyleManager, AnnouncesItselfAndKeepsItsList)
{
    framework::setApplicationTitle(QStringLiteral("Daypane"));
    QString shownText, shownTitle;
    QTimer::singleShot(0, [&] {
        QMessageBox *box = nullptr;
        if (!QTest::qWaitFor(
                [&] {
                    box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                    return box != nullptr;
                },
                testsupport::scaled(10000))) {
            ADD_FAILURE() << "no box came";
            return;
        }
        shownText = box->text();
        shownTitle = box->windowTitle();
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        box->accept();
    });
    auto *manager = new TdxStyleManager;
    EXPECT_EQ(shownText,
              QStringLiteral("The \"TdxStyleManager\" component is currently in beta state "
                             "and has no functionality yet!"));
    EXPECT_EQ(shownTitle, QStringLiteral("Daypane"));
    const QString version = manager->Version();
    EXPECT_FALSE(version.isEmpty());
    manager->setProperty("Version", QStringLiteral("9.9"));
    EXPECT_EQ(manager->Version(), version);

    TdxButton one, two;
    one.setStyleManager(manager);
    two.setStyleManager(manager);
    one.setStyleManager(manager);
    EXPECT_EQ(manager->Controls().size(), 2);
    EXPECT_EQ(one.GetTheme(), TdxStyleManager::WindowsXP);
    manager->setTheme(TdxStyleManager::OfficeXP);
    EXPECT_EQ(two.GetTheme(), TdxStyleManager::OfficeXP);
    two.setStyleManager(nullptr);
    EXPECT_EQ(manager->Controls().size(), 1);
    {
        TdxButton three;
        three.setStyleManager(manager);
        EXPECT_EQ(manager->Controls().size(), 2);
    }
    EXPECT_EQ(manager->Controls().size(), 1); // a destroyed control leaves the list
    delete manager;
    EXPECT_EQ(one.StyleManager(), nullptr); // and a removed manager leaves the controls
    EXPECT_EQ(one.GetTheme(), TdxStyleManager::WindowsXP);
}

} // namespace
