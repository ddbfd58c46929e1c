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

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using components::TmLED;

// A stand-in for the web-view plugin: it records what the window asks of it.
class FakeBrowser : public QWidget, public webview::IWebBrowser
{
public:
    using QWidget::QWidget;

    QWidget *widget() override { return this; }
    void setEvents(webview::IWebBrowserEvents *e) override { events = e; }
    int Navigate(const QString &url) override
    {
        calls << "Navigate " + url;
        return navigateResult;
    }
    int ExecWB(int cmd, int opt) override
    {
        calls << QStringLiteral("ExecWB %1 %2").arg(cmd).arg(opt);
        return execResult;
    }
    int SetDispatchProperty(int id, const QVariant &v) override
    {
        calls << QStringLiteral("Set %1 %2").arg(id).arg(v.toBool() ? "true" : "false");
        return 0;
    }
    QString ErrorText(int code) const override
    {
        return QStringLiteral("browser says %1").arg(code);
    }

    webview::IWebBrowserEvents *events = nullptr;
    QStringList calls;
    int navigateResult = 0;
    int execResult = 0;
};

class FakeBrowserFactory : public webview::IWebBrowserFactory
{
public:
    webview::IWebBrowser *create(QWidget *parent, QString *) override
    {
        last = new FakeBrowser(parent);
        return last;
    }
    FakeBrowser *last = nullptr;
};

namespace {

QString lamp(const TmLED *led)
{
    return TmLED::ResourceName(led->LEDColor(), led->State(), led->Size());
}

// Closes every message box that appears and keeps its text.
class BoxCatcher : public QObject
{
public:
    BoxCatcher()
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        m_timer.start();
    }
    QStringList texts;

private:
    QTimer m_timer;
};

class Windows : public testing::Test, public ScriptedStartup
{
protected:
    Windows()
        : ScriptedStartup({2026, 7, 19, 9, 30, 0, 0}, // day 200
                          {platform::TIME_ZONE_ID_UNKNOWN, {0, 0, 0}})
    {
        directory.loginUtc = dates::EncodeDate(2026, 7, 18) + 8 / 24.0; // yesterday 08:00 UTC
    }

    // Runs phase one and, when due, builds the windows as phase two does.
    bool start(const QStringList &args)
    {
        env.arguments = args;
        auto core = std::make_unique<TForm1Core>(env);
        if (core->RunOnCreate() != TForm1Core::Outcome::Show)
            return false;
        registerFormClasses(reader, factory);
        about = std::make_unique<TAboutBox>(reader);
        form = std::make_unique<TForm1>(std::move(core), reader, about.get());
        form->Show();
        QApplication::processEvents();
        return true;
    }

    FakeBrowser &browser() { return *factory.last; }
    void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }

    // Runs the application's loop, does `action` in it and returns the loop's exit code:
    // 0 when the program ended in order, 99 when it did not end at all.
    int endsWith(std::function<void()> action, int waitMs = 5000)
    {
        QTimer::singleShot(0, action);
        QTimer::singleShot(waitMs, [] { QCoreApplication::exit(99); });
        return QCoreApplication::exec();
    }

    FakeBrowserFactory factory;
    framework::FormReader reader;
    std::unique_ptr<TAboutBox> about;
    std::unique_ptr<TForm1> form;
};

TEST_F(Windows, LayoutFollowsTheDescription)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    EXPECT_EQ(form->size(), QSize(600, 335));
    EXPECT_EQ(form->windowTitle(),
              QStringLiteral("jdoe.Sales.Acme  \u00B7 Last Login: 18 Jul 2026 08:00:00"));
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowCloseButtonHint);
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

TEST_F(Windows, FailedStampWriteShowsTheErrorAndKeepsTheWindow)
{
    store.setValue(platform::RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey,
                   "Local AppData", dir.filePath("missing"));
    ASSERT_TRUE(start({"http://intra/news", "0"}));
    BoxCatcher boxes;
    EXPECT_EQ(endsWith([&] { click(form->Button1); }, 300), 99);
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

TEST_F(Windows, AboutBoxShowsTheDecisionsFiguresEveryTimeAndNavigationRepeats)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    browser().calls.clear();
    QStringList seen;
    auto readAndClose = [&] {
        QTimer::singleShot(50, [&] {
            QStringList values;
            for (const char *name : {"Label6", "Label8", "Label3", "Label4"})
                values << about->label(name)->Caption();
            seen << values.join('|');
            click(about->findChild<QWidget *>("OKButton"));
        });
    };
    readAndClose();
    click(form->mLED1);
    readAndClose();
    click(form->mLED2);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], "18 Jul 2026 08:00:00|0|199|200");
    EXPECT_EQ(seen[1], seen[0]);
    EXPECT_EQ(about->ModalResult(), 1);
    EXPECT_EQ(browser().calls.filter("Navigate").size(), 2);
}

TEST_F(Windows, ClosingTheWindowLeavesTheStamp)
{
    testsupport::writeFile(stampFile(), "17\r\n");
    ASSERT_TRUE(start({"http://intra/news", "0"}));
    EXPECT_EQ(endsWith([&] { form->close(); }), 0);
    EXPECT_EQ(testsupport::readFile(stampFile()), QByteArray("17\r\n"));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
