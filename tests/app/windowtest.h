#pragma once

// The two windows built as phase two builds them, with a stand-in for the web-view plugin.

#include "app/about.h"
#include "app/form1.h"
#include "app/form1core.h"
#include "app/programvalues.h"
#include "components/mLED.h"
#include "framework/webview.h"
#include "scriptedstartup.h"
#include "testsupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// A stand-in for the web-view plugin: it records what the window asks of it.
class FakeBrowser : public QWidget, public webview::IWebBrowser
{
public:
    // Takes the focus and the keys as a page does.
    explicit FakeBrowser(QWidget *parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

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

    void keyPressEvent(QKeyEvent *e) override
    {
        keys << e->key();
        e->accept();
    }

    webview::IWebBrowserEvents *events = nullptr;
    QList<int> keys;
    QStringList calls;
    int navigateResult = 0;
    int execResult = 0;
};

class FakeBrowserFactory : public webview::IWebBrowserFactory
{
public:
    void configure(const webview::WebBrowserSettings &) override {}
    void preload(const QString &) override {}
    webview::IWebBrowser *create(QWidget *parent, QString *) override
    {
        last = new FakeBrowser(parent);
        return last;
    }
    FakeBrowser *last = nullptr;
};

namespace windowtest {

inline QString lamp(const components::TmLED *led)
{
    return components::TmLED::ResourceName(led->LEDColor(), led->State(), led->Size());
}

// Waits, from inside the loop of the modal box that `open` brings up, until `shown` holds, then
// does `act`, which must close the box. Should the box never come, the case fails and whatever
// modal box there is gets closed, so that nothing is left waiting on it.
inline void withModalBox(const std::function<void()> &open, const std::function<bool()> &shown,
                         const std::function<void()> &act)
{
    QTimer::singleShot(0, [&] {
        if (QTest::qWaitFor(shown, testsupport::scaled(10000))) {
            act();
            return;
        }
        ADD_FAILURE() << "the box did not come";
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
    });
    open();
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

// Holds once a box was caught and is gone.
inline std::function<bool()> boxClosed(const BoxCatcher &boxes)
{
    return
        [&boxes] { return !boxes.texts.isEmpty() && QApplication::activeModalWidget() == nullptr; };
}

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

    // Runs the application's loop, does `action` in it and returns the loop's exit code: 0 when
    // the program ended in order, 99 when it did not end within a generous limit.
    static int endsWith(const std::function<void()> &action)
    {
        return runLoop(action, [] { return false; });
    }

    // Runs the application's loop, does `action` in it and returns 99 once `settled` holds and
    // the program has not asked to end; the program's own code when it did; -1 when `settled`
    // never held within a generous limit.
    static int keepsRunningAfter(const std::function<void()> &action,
                                 const std::function<bool()> &settled)
    {
        const int code = runLoop(action, settled);
        return code == 99 ? -1 : code == 98 ? 99 : code;
    }

private:
    // 98 when `settled` held, 99 when the limit ran out, else the program's own exit code.
    static int runLoop(const std::function<void()> &action, const std::function<bool()> &settled)
    {
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (settled())
                QCoreApplication::exit(98);
        });
        poll.start();
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        limit.start(testsupport::scaled(30000));
        QTimer::singleShot(0, action);
        return QCoreApplication::exec();
    }

protected:
    FakeBrowserFactory factory;
    framework::FormReader reader;
    std::unique_ptr<TAboutBox> about;
    std::unique_ptr<TForm1> form;
};

} // namespace windowtest
