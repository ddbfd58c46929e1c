// The two windows as a user meets them, with the stand-in browser: the first focus and the
// focus chain, Enter in the About box, its face (icon, bevels, the home-page link), labels
// that fit their places, placement at every showing, and what assistive technology reads.
#include "components/button.h"
#include "components/dxButton.h"
#include "components/dxfClock.h"
#include "components/label.h"
#include "components/mLED.h"
#include "components/panel.h"
#include "components/webbrowser.h"
#include "windowtest.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScreen>
#include <gtest/gtest.h>

using components::TLabel;
using components::TmLED;

namespace {

using namespace windowtest;

QImage grabOf(QWidget *w)
{
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb px(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

class WindowsInUse : public Windows
{
protected:
    // Opens the About box from the green lamp, runs `inside` while it is up, and closes it with
    // its close box if `inside` left it open. Returns the box's modal result.
    int withAboutBox(const std::function<void()> &inside)
    {
        QTimer::singleShot(0, [&] {
            if (QTest::qWaitFor([&] { return about->isActiveWindow(); }, 5000))
                inside();
            if (about->isVisible() && about->ModalResult() == 0)
                about->close();
        });
        click(form->mLED1);
        return about->ModalResult();
    }

    QWidget *okButton() const { return about->findChild<QWidget *>("OKButton"); }
    components::TPanel *panel() const { return about->findChild<components::TPanel *>("Panel1"); }
    QWidget *focused() const { return QApplication::focusWidget(); }

    // A recording opener first on PATH: the address it is handed goes to a file.
    QString recordOpener()
    {
        const QString bin = dir.filePath("bin");
        QDir().mkpath(bin);
        const QString log = dir.filePath("opened.txt");
        testsupport::writeFile(bin + "/xdg-open",
                               ("#!/bin/sh\nprintf '%s\\n' \"$@\" > " + log + "\n").toUtf8());
        QFile::setPermissions(bin + "/xdg-open", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        m_path = std::make_unique<testsupport::ScopedEnv>("PATH",
                                                          (bin + ":" + qgetenv("PATH")).toUtf8());
        return log;
    }

private:
    std::unique_ptr<testsupport::ScopedEnv> m_path;
};

TEST_F(WindowsInUse, ThePageTakesTheFirstFocusAndTabFollowsTheTabOrder)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser().hasFocus(); }, 5000));
    EXPECT_FALSE(form->Button1->hasFocus());
    QList<QWidget *> seen;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(focused(), Qt::Key_Tab);
        seen << focused();
    }
    EXPECT_EQ(seen, (QList<QWidget *>{form->mLED1, form->mLED2, form->Button1, form->Button2,
                                      form->Button3, &browser()}));
    QTest::keyClick(focused(), Qt::Key_Backtab);
    EXPECT_EQ(focused(), form->Button3);
}

TEST_F(WindowsInUse, EnterRightAfterTheStartGoesToThePageAndEndsNothing)
{
    ASSERT_TRUE(start({"http://intra/news", "0"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser().hasFocus(); }, 5000));
    EXPECT_EQ(keepsRunningAfter([&] { QTest::keyClick(focused(), Qt::Key_Return); },
                                [&] { return !browser().keys.isEmpty(); }),
              99);
    EXPECT_EQ(browser().keys, QList<int>{Qt::Key_Return});
    EXPECT_FALSE(QFile::exists(stampFile())); // Exit was not pressed
}

TEST_F(WindowsInUse, ALampOnTheKeyboardOpensTheAboutBox)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser().hasFocus(); }, 5000));
    QTest::keyClick(focused(), Qt::Key_Tab);
    ASSERT_EQ(focused(), form->mLED1);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = QTest::qWaitFor([&] { return about->isVisible(); }, 5000);
        about->close();
    });
    QTest::keyClick(form->mLED1, Qt::Key_Space);
    EXPECT_TRUE(shown);
}

TEST_F(WindowsInUse, AboutBoxFocusesOkAndEnterClosesItWhereverTheFocusIs)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    EXPECT_EQ(withAboutBox([&] {
                  EXPECT_EQ(focused(), okButton());
                  QTest::keyClick(focused(), Qt::Key_Return);
              }),
              1);
    // A click on the panel leaves the focus with OK; Enter closes the box.
    EXPECT_EQ(withAboutBox([&] {
                  QTest::mouseClick(panel(), Qt::LeftButton, {}, QPoint(200, 150));
                  QTest::keyClick(focused(), Qt::Key_Return);
              }),
              1);
    for (const char *name : {"Panel1", "Label5", "Comments", "ProgramIcon"}) {
        EXPECT_EQ(withAboutBox([&] {
                      auto *w = about->findChild<QWidget *>(name);
                      w->setFocus();
                      ASSERT_TRUE(QTest::qWaitFor([&] { return w->hasFocus(); }, 5000));
                      QTest::keyClick(w, Qt::Key_Return);
                  }),
                  1)
            << name;
    }
}

TEST_F(WindowsInUse, TheHomePageLinkIsVisibleAndReachedByMouseAndKeyboard)
{
    const QString log = recordOpener();
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    withAboutBox([&] {
        TLabel *link = about->label("Label9");
        // Nothing stacked above the link covers it.
        const QList<QWidget *> siblings =
            panel()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        for (qsizetype i = siblings.indexOf(link) + 1; i < siblings.size(); ++i)
            EXPECT_FALSE(siblings[i]->geometry().intersects(link->geometry()))
                << siblings[i]->objectName().toStdString();
        // Light text on navy, as drawn (the strokes are smoothed into the ground).
        const QImage shot = grabOf(panel());
        const QRect r = link->geometry();
        int navy = 0, light = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QRgb c = px(shot, x, y);
                navy += c == 0x000080;
                light += qRed(c) > 160 && qGreen(c) > 160;
            }
        EXPECT_GT(navy, r.width() * r.height() / 2);
        EXPECT_GT(light, 40);
        // Tab from OK reaches the link; Space follows it and the box stays open.
        QTest::keyClick(focused(), Qt::Key_Tab);
        EXPECT_EQ(focused(), link);
        QTest::keyClick(link, Qt::Key_Space);
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(log); }, 10000));
        EXPECT_TRUE(about->isVisible());
        QTest::keyClick(focused(), Qt::Key_Tab);
        EXPECT_EQ(focused(), okButton());
    });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return testsupport::readFile(log) == TAboutBox::homePage().toUtf8() + "\n"; }, 5000));
    QFile::remove(log);
    withAboutBox([&] { click(about->label("Label9")); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(log); }, 10000));
}

TEST_F(WindowsInUse, AboutBoxShowsTheIconAndThePanelBevels)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    withAboutBox([&] {
        const QImage icon = TAboutBox::programIcon();
        ASSERT_EQ(icon.size(), QSize(32, 32));
        QSet<QRgb> colours;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (qAlpha(icon.pixel(x, y)) == 255)
                    colours.insert(icon.pixel(x, y));
        EXPECT_LE(colours.size(), 16);

        const QImage shot = grabOf(panel());
        // The icon at 4, 4, stretched to 33 x 33: its navy frame and white page, and the panel
        // through its transparent corner.
        const QRect at(4, 4, 33, 33);
        int navy = 0, white = 0;
        for (int y = at.top(); y <= at.bottom(); ++y)
            for (int x = at.left(); x <= at.right(); ++x) {
                navy += px(shot, x, y) == 0x000080;
                white += px(shot, x, y) == 0xFFFFFF;
            }
        EXPECT_GT(navy, 100);
        EXPECT_GT(white, 200);
        EXPECT_EQ(px(shot, 4, 4), px(shot, 40, 4)); // a transparent corner
        // Lowered outer bevel, raised inner one.
        const QRgb shadow = 0x808080, highlight = 0xFFFFFF;
        EXPECT_EQ(px(shot, 0, 0), shadow);
        EXPECT_EQ(px(shot, 0, 100), shadow);
        EXPECT_EQ(px(shot, 150, 0), shadow);
        EXPECT_EQ(px(shot, 288, 100), highlight);
        EXPECT_EQ(px(shot, 150, 184), highlight);
        EXPECT_EQ(px(shot, 1, 1), highlight);
        EXPECT_EQ(px(shot, 1, 100), highlight);
        EXPECT_EQ(px(shot, 287, 100), shadow);
        EXPECT_EQ(px(shot, 150, 183), shadow);
    });
}

// Every label within the panel's bevels, none over another, none cut: with the values the
// box shows for several previous logins.
TEST_F(WindowsInUse, AboutBoxLabelsFitTheirPlaces)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    for (const double login : {0.0, dates::EncodeDate(2026, 7, 18) + 8 / 24.0,
                               dates::EncodeDate(2024, 12, 28) + (23 * 3600 + 58 * 60) / 86400.0}) {
        programValues().LastLoginTime = login;
        programValues().LastLoginDay = QStringLiteral("366");
        programValues().CurrentDay = QStringLiteral("365");
        about->FormActivate(about.get());
        QList<TLabel *> labels =
            panel()->findChildren<TLabel *>(QString(), Qt::FindDirectChildrenOnly);
        ASSERT_EQ(labels.size(), 13);
        const QRect inner = panel()->rect().adjusted(2, 2, -2, -2);
        for (TLabel *l : labels) {
            const std::string name = l->objectName().toStdString();
            EXPECT_TRUE(inner.contains(l->geometry())) << name;
            const QFontMetrics fm(l->font());
            if (l->WordWrap()) {
                const QRect need =
                    fm.boundingRect(QRect(0, 0, l->width(), 10000), Qt::TextWordWrap, l->Caption());
                EXPECT_LE(need.height(), l->height()) << name;
            } else {
                EXPECT_LE(fm.boundingRect(l->Caption()).width(), l->width()) << name;
                EXPECT_LE(fm.height(), l->height()) << name;
            }
            for (TLabel *other : labels) {
                if (other != l && !other->Caption().isEmpty() && !l->Caption().isEmpty()) {
                    EXPECT_FALSE(l->geometry().intersects(other->geometry()))
                        << name << " / " << other->objectName().toStdString();
                }
            }
        }
        EXPECT_EQ(about->label("Label6")->geometry().right() + 1, 273);
    }
}

TEST_F(WindowsInUse, ButtonCaptionsAndTheClockFitTheToolbar)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    for (auto *b : {form->Button1, form->Button2, form->Button3}) {
        const QFontMetrics fm(b->font());
        // Inside the focus frame, without the ellipsis.
        EXPECT_LE(fm.horizontalAdvance(b->Caption()), b->width() - 8) << b->Caption().toStdString();
        EXPECT_LE(fm.height(), b->height() - 4);
    }
    const QFontMetrics fm(form->dxfClock1->font());
    for (const char *time : {"00:00:00", "23:59:59", "18:48:08"})
        EXPECT_LE(fm.horizontalAdvance(QLatin1String(time)), form->dxfClock1->width() - 4);
}

TEST_F(WindowsInUse, AboutBoxIsCentredOnTheWindowsScreenAtEveryShowing)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    const QPoint centre = form->screen()->availableGeometry().center();
    for (int round = 0; round < 2; ++round) {
        withAboutBox([&] {
            EXPECT_LE((about->frameGeometry().center() - centre).manhattanLength(), 2) << round;
            about->move(about->pos() + QPoint(90, 60)); // the user moves it away
        });
    }
}

QAccessibleInterface *accessible(QObject *o)
{
    return QAccessible::queryAccessibleInterface(o);
}

QString nameOf(QObject *o)
{
    return accessible(o)->text(QAccessible::Name);
}

// Every control of both windows has a role and a name; the lamps say what they stand for,
// the clock reads its time, the buttons their captions.
TEST_F(WindowsInUse, AssistiveTechnologyReadsEveryControl)
{
    const QString log = recordOpener();
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    auto everyControl = [](QWidget *window) {
        QList<QWidget *> controls;
        for (QWidget *w : window->findChildren<QWidget *>())
            if (qobject_cast<components::TControl *>(w) || qobject_cast<components::TButton *>(w))
                controls << w;
        return controls;
    };
    auto checkAll = [&](QWidget *window) {
        for (QWidget *w : everyControl(window)) {
            QAccessibleInterface *i = accessible(w);
            ASSERT_NE(i, nullptr) << w->objectName().toStdString();
            EXPECT_NE(i->role(), QAccessible::NoRole) << w->objectName().toStdString();
            if (i->role() != QAccessible::Separator) {
                EXPECT_FALSE(i->text(QAccessible::Name).isEmpty()) << w->objectName().toStdString();
            }
        }
    };
    checkAll(form.get());
    EXPECT_EQ(accessible(form.get())->role(), QAccessible::Window);
    EXPECT_EQ(nameOf(form.get()), form->windowTitle());
    EXPECT_EQ(nameOf(form->Button1), "Exit");
    EXPECT_EQ(nameOf(form->Button3), "Open in Full Browser");
    EXPECT_EQ(accessible(form->Button2)->role(), QAccessible::Button);
    EXPECT_EQ(nameOf(form->mLED1), "Page not loaded");
    EXPECT_EQ(nameOf(form->mLED2), "No download in progress");
    browser().events->downloadBegin();
    EXPECT_EQ(nameOf(form->mLED2), "Download in progress");
    browser().events->downloadComplete();
    EXPECT_EQ(nameOf(form->mLED1), "Page loaded");
    EXPECT_EQ(nameOf(form->mLED2), "No download in progress");
    EXPECT_EQ(accessible(form->mLED1)->role(), QAccessible::Button);
    EXPECT_EQ(accessible(form->dxfClock1)->role(), QAccessible::Clock);
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$")
                    .match(accessible(form->dxfClock1)->text(QAccessible::Value))
                    .hasMatch());
    EXPECT_EQ(accessible(form->dxfClock1)->text(QAccessible::Value),
              form->dxfClock1->FormattedTime());

    withAboutBox([&] {
        checkAll(about.get());
        EXPECT_EQ(accessible(about.get())->role(), QAccessible::Dialog);
        EXPECT_EQ(nameOf(about.get()), "About");
        EXPECT_EQ(nameOf(about->label("Label6")), "18 Jul 2026 08:00:00");
        QAccessibleInterface *link = accessible(about->label("Label9"));
        EXPECT_EQ(link->role(), QAccessible::Link);
        EXPECT_EQ(link->text(QAccessible::Name), "Visit Me Online");
        EXPECT_EQ(link->text(QAccessible::Description), TAboutBox::homePage());
        EXPECT_TRUE(accessible(okButton())->state().defaultButton);
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(log); }, 10000));
    });
}

} // namespace
