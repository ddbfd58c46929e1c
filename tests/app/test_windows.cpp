#include "app/about.h"
#include "app/einouterror.h"
#include "app/form1.h"
#include "app/form1core.h"
#include "app/programvalues.h"
#include "components/AboutSystem.h"
#include "components/dxButton.h"
#include "components/dxfClock.h"
#include "components/label.h"
#include "components/mLED.h"
#include "components/webbrowser.h"
#include "netware/nwbase.h"
#include "scriptedstartup.h"
#include "testsupport.h"
#include "windowtest.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using components::TmLED;

namespace {

using namespace windowtest;

TEST_F(Windows, LayoutFollowsTheDescription)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    EXPECT_EQ(form->size(), QSize(600, 335));
    EXPECT_EQ(form->windowTitle(),
              QStringLiteral("jdoe.Sales.Acme  \u00B7 Last Login: 18 Jul 2026 08:00:00"));
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint); // fixed size: it would do nothing
    EXPECT_EQ(form->WebBrowser1->geometry(), QRect(0, 27, 600, 308));
    EXPECT_EQ(browser().geometry(), QRect(0, 0, 600, 308));
    const struct
    {
        QWidget *w;
        QRect geometry;
    } rows[] = {{form->mLED1, {16, 2, 23, 23}},     {form->mLED2, {39, 2, 23, 23}},
                {form->Button1, {81, 2, 136, 23}},  {form->Button2, {217, 2, 136, 23}},
                {form->Button3, {353, 2, 136, 23}}, {form->dxfClock1, {489, 2, 104, 23}}};
    for (const auto &row : rows)
        EXPECT_EQ(row.w->geometry(), row.geometry) << row.w->objectName().toStdString();
    EXPECT_EQ(lamp(form->mLED1), "GOFF");
    EXPECT_EQ(lamp(form->mLED2), "ROFF");
    // The phase-one components now belong to the window.
    EXPECT_EQ(form->core()->NWBase1->parent(), form.get());
    EXPECT_EQ(form->core()->AboutSystem1->parent(), form.get());
}

TEST_F(Windows, ActivationHidesThenNavigates)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    EXPECT_EQ(browser().calls, (QStringList{"Set 402 false", "Navigate http://intra/news"}));
    EXPECT_EQ(programValues().URL, "http://intra/news");
    EXPECT_FALSE(form->isMaximized());
}

TEST_F(Windows, FullArgumentMaximisesAtActivation)
{
    ASSERT_TRUE(start({"http://intra/news", "/N", "/full"}));
    EXPECT_EQ(form->WindowState(), components::TForm::wsMaximized);
}

TEST_F(Windows, LampsFollowTheDownloads)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    browser().events->downloadBegin();
    EXPECT_EQ(lamp(form->mLED1), "GOFF");
    EXPECT_EQ(lamp(form->mLED2), "RON");
    browser().events->downloadComplete();
    EXPECT_EQ(lamp(form->mLED1), "GON");
    EXPECT_EQ(lamp(form->mLED2), "ROFF");
    // A load that fails, or a page whose process ended, is no page: both lamps go dark.
    browser().events->downloadBegin();
    browser().events->navigateError("http://intra/news", "The page could not be loaded.");
    EXPECT_EQ(lamp(form->mLED1), "GOFF");
    EXPECT_EQ(lamp(form->mLED2), "ROFF");
    browser().events->downloadBegin();
    browser().events->downloadComplete();
    browser().events->pageProcessEnded("its process crashed");
    EXPECT_EQ(lamp(form->mLED1), "GOFF");
    EXPECT_EQ(lamp(form->mLED2), "ROFF");
}

TEST_F(Windows, ExitWritesTheStampOnlyInIntervalMode)
{
    ASSERT_TRUE(start({"http://intra/news", "0"}));
    EXPECT_EQ(endsWith([&] { click(form->Button1); }), 0);
    EXPECT_EQ(testsupport::readFile(stampFile()), QByteArray("200\r\n"));

    form.reset();
    testsupport::writeFile(stampFile(), "17\r\n");
    ASSERT_TRUE(start({"http://intra/news", "/F"}));
    EXPECT_EQ(endsWith([&] { click(form->Button1); }), 0);
    EXPECT_EQ(testsupport::readFile(stampFile()), QByteArray("17\r\n"));
}

TEST_F(Windows, ExitOnAFreshAccountMakesTheDataFolderAndWritesTheStamp)
{
    // The system's folders, for a home that has no ~/.local/share yet.
    const QString home = dir.filePath("home");
    QDir().mkpath(home);
    testsupport::ScopedEnv h("HOME", home.toLocal8Bit());
    testsupport::ScopedEnv d("XDG_DATA_HOME", nullptr);
    env.settings = &platform::systemSettings();
    ASSERT_TRUE(start({"http://intra/news", "7"}));
    EXPECT_EQ(endsWith([&] { click(form->Button1); }), 0);
    EXPECT_EQ(testsupport::readFile(home + "/.local/share/dpn.qcf"), QByteArray("200\r\n"));
    EXPECT_EQ(QFileInfo(home + "/.local").permissions().toInt() & 0x0777, 0x0700);
    EXPECT_EQ(QFileInfo(home + "/.local/share").permissions().toInt() & 0x0777, 0x0700);
}

TEST_F(Windows, FailedStampWriteShowsTheErrorAndKeepsTheWindow)
{
    // A data folder that cannot be made: its parent is a file.
    testsupport::writeFile(dir.filePath("file"), "x");
    store.setValue(platform::RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey,
                   "Local AppData", dir.filePath("file/share"));
    ASSERT_TRUE(start({"http://intra/news", "0"}));
    BoxCatcher boxes;
    EXPECT_EQ(keepsRunningAfter([&] { click(form->Button1); }, boxClosed(boxes)), 99);
    EXPECT_EQ(boxes.texts, QStringList{"Invalid filename."});
    EXPECT_TRUE(form->isVisible());
}

TEST_F(Windows, PrintAsksTheBrowserWithoutPromptAndReportsFailures)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    browser().calls.clear();
    click(form->Button2);
    click(form->Button2);
    EXPECT_EQ(browser().calls, (QStringList{"ExecWB 6 2", "ExecWB 6 2"}));
    BoxCatcher boxes;
    browser().execResult = int(0x80070709u);
    click(form->Button2);
    EXPECT_EQ(boxes.texts, QStringList{QStringLiteral("browser says %1.").arg(int(0x80070709u))});
    EXPECT_TRUE(form->isVisible());
}

TEST_F(Windows, ShellWorkingDirectoryIsTheTextUpToTheLastBackslashOrColon)
{
    EXPECT_EQ(TForm1::shellWorkingDirectory("http://intra/news"), "http:");
    EXPECT_EQ(TForm1::shellWorkingDirectory("\\\\server\\share\\page.htm"), "\\\\server\\share\\");
    EXPECT_EQ(TForm1::shellWorkingDirectory("page.htm"), "");
    EXPECT_EQ(TForm1::shellWorkingDirectory("file:///srv/a:b/c"), "file:///srv/a:");
}

TEST_F(Windows, OpenInFullBrowserHandsTheAddressToTheDesktop)
{
    // A fake opener first on PATH records its arguments.
    const QString bin = dir.filePath("bin");
    QDir().mkpath(bin);
    const QString log = dir.filePath("opened.txt");
    testsupport::writeFile(
        bin + "/xdg-open",
        ("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " + log + "\n").toUtf8());
    QFile::setPermissions(bin + "/xdg-open", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    testsupport::ScopedEnv path("PATH", (bin + ":" + qgetenv("PATH")).toUtf8());

    ASSERT_TRUE(start({"http://intra/news?a=1&b=$(touch x)", "3"}));
    EXPECT_EQ(endsWith([&] { click(form->Button3); }), 0);
    // The opener runs detached from the program.
    const QByteArray opened("http://intra/news?a=1&b=$(touch x)\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return testsupport::readFile(log) == opened; }, 10000))
        << testsupport::readFile(log).toStdString();
    EXPECT_EQ(testsupport::readFile(stampFile()), QByteArray("200\r\n"));
    EXPECT_FALSE(QFile::exists(QDir::current().filePath("x")));
}

// A hand-over that fails is told in the box and on standard error; the window stays and the
// stamp stays as it was, with nothing left beside it.
TEST_F(Windows, OpenInFullBrowserThatFailsSaysSoKeepsTheWindowAndWritesNoStamp)
{
    const struct
    {
        const char *name;
        const char *opener; // the script, or none at all
        const char *box;
    } rows[] = {
        {"NoOpener", nullptr,
         "Cannot open the page in the default browser: xdg-open is not installed."},
        {"NoBrowser", "#!/bin/sh\nexit 3\n",
         "Cannot open the page in the default browser: xdg-open found no browser (status 3)"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir bin;
        if (row.opener != nullptr) {
            testsupport::writeFile(bin.filePath("xdg-open"), row.opener);
            QFile::setPermissions(bin.filePath("xdg-open"),
                                  QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        testsupport::ScopedEnv path("PATH", bin.path().toUtf8());
        testsupport::writeFile(stampFile(), "17\r\n");
        form.reset();
        ASSERT_TRUE(start({"http://intra/news", "0"}));
        BoxCatcher boxes;
        EXPECT_EQ(keepsRunningAfter([&] { click(form->Button3); }, boxClosed(boxes)), 99);
        EXPECT_EQ(boxes.texts, QStringList{row.box});
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(testsupport::readFile(stampFile()), QByteArray("17\r\n"));
        EXPECT_EQ(QDir(dir.path()).entryList({"dpn.qcf*"}, QDir::Files | QDir::Hidden),
                  QStringList{"dpn.qcf"});
    }
}

// A stamp that cannot be written keeps the page here: the browser is not asked.
TEST_F(Windows, OpenInFullBrowserWithAStampThatCannotBeWrittenHandsNothingOver)
{
    const QString bin = dir.filePath("bin");
    QDir().mkpath(bin);
    const QString log = dir.filePath("opened.txt");
    testsupport::writeFile(bin + "/xdg-open", ("#!/bin/sh\necho \"$1\" > " + log + "\n").toUtf8());
    QFile::setPermissions(bin + "/xdg-open", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    testsupport::ScopedEnv path("PATH", (bin + ":" + qgetenv("PATH")).toUtf8());
    testsupport::writeFile(dir.filePath("file"), "x");
    store.setValue(platform::RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey,
                   "Local AppData", dir.filePath("file/share"));
    ASSERT_TRUE(start({"http://intra/news", "0"}));
    BoxCatcher boxes;
    EXPECT_EQ(keepsRunningAfter([&] { click(form->Button3); }, boxClosed(boxes)), 99);
    EXPECT_EQ(boxes.texts, QStringList{"Invalid filename."});
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(QFile::exists(log));
}

TEST_F(Windows, AboutBoxShowsTheDecisionsFiguresEveryTimeAndNavigationRepeats)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    browser().calls.clear();
    QStringList seen;
    for (TmLED *led : {form->mLED1, form->mLED2})
        withModalBox([&] { click(led); }, [&] { return about->isVisible(); },
                     [&] {
                         QStringList values;
                         for (const char *name : {"Label6", "Label8", "Label3", "Label4"})
                             values << about->label(name)->Caption();
                         seen << values.join('|');
                         click(about->findChild<QWidget *>("OKButton"));
                     });
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], "18 Jul 2026 08:00:00|0|199|200");
    EXPECT_EQ(seen[1], seen[0]);
    EXPECT_EQ(about->ModalResult(), 1);
    EXPECT_EQ(browser().calls.filter("Navigate").size(), 2);
}

// The window appears without the About box; the first lamp click makes it, later ones reuse it.
TEST_F(Windows, TheAboutBoxIsMadeAtTheFirstLampClick)
{
    env.arguments = QStringList{"http://intra/news", "/F"};
    auto core = std::make_unique<TForm1Core>(env);
    ASSERT_EQ(core->RunOnCreate(), TForm1Core::Outcome::Show);
    registerFormClasses(reader, factory);
    int made = 0;
    form = std::make_unique<TForm1>(std::move(core), reader, [&] {
        ++made;
        about = std::make_unique<TAboutBox>(reader);
        return about.get();
    });
    form->Show();
    EXPECT_EQ(made, 0);
    for (TmLED *led : {form->mLED1, form->mLED2, form->mLED1})
        withModalBox([&] { click(led); }, [&] { return about && about->isVisible(); },
                     [&] { click(about->findChild<QWidget *>("OKButton")); });
    EXPECT_EQ(made, 1);
    EXPECT_EQ(about->ModalResult(), 1);
}

TEST_F(Windows, ClosingTheWindowLeavesTheStamp)
{
    testsupport::writeFile(stampFile(), "17\r\n");
    ASSERT_TRUE(start({"http://intra/news", "0"}));
    EXPECT_EQ(endsWith([&] { form->close(); }), 0);
    EXPECT_EQ(testsupport::readFile(stampFile()), QByteArray("17\r\n"));
}

} // namespace
