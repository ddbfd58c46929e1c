// The web browser control as the program uses it: loaded from the plugin, driven only
// through its interface, never through a QtWebEngine header.
#include "framework/webview.h"
#include "intranet.h"
#include "testmain.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QRegularExpression>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

bool g_withoutSharedContexts = false;
bool g_keepProfile = false;
// The home of the run: every folder the engine could write to lies below it.
QTemporaryDir *g_home = nullptr;

// The files below the run's home, as paths relative to it.
QStringList filesWritten()
{
    QStringList files;
    QDirIterator it(g_home->path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(g_home->path()).relativeFilePath(it.next());
    return files;
}

webview::IWebBrowserFactory *factory()
{
    static webview::IWebBrowserFactory *instance = [] {
        QString error;
        webview::IWebBrowserFactory *f =
            webview::loadWebBrowserFactory(QStringLiteral(DAYPANE_WEBVIEW_DIR), &error);
        EXPECT_NE(f, nullptr) << error.toStdString();
        if (f != nullptr) {
            webview::WebBrowserSettings settings;
            settings.keepProfile = g_keepProfile;
            settings.negotiateServers = QStringLiteral("*.acme.example,intra.example");
            f->configure(settings);
        }
        return f;
    }();
    return instance;
}

} // namespace

// Records the control's reports in the order they arrive.
class EventLog : public webview::IWebBrowserEvents
{
public:
    QStringList events;
    QStringList jobs; // "printer job" of each printed one
    QList<int> printFailures;
    int completed() const { return int(events.count(QStringLiteral("complete"))); }
    void downloadBegin() override { events << QStringLiteral("begin"); }
    void downloadComplete() override { events << QStringLiteral("complete"); }
    void printFailed(int code) override { printFailures << code; }
    void printComplete(const QString &printer, const QString &job) override
    {
        events << QStringLiteral("printed");
        jobs << printer + QLatin1Char(' ') + job;
    }
    void navigateError(const QString &url, const QString &reason) override
    {
        events << QStringLiteral("error");
        errors << url + QStringLiteral(" ") + reason;
    }
    void pageProcessEnded(const QString &reason) override
    {
        events << QStringLiteral("ended");
        errors << reason;
    }
    void newWindow(const QString &url) override { handedOver << url; }
    void fileDownload(const QString &url) override { handedOver << url; }
    QStringList errors;
    QStringList handedOver;
};

class WebBrowserControl : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_window.resize(600, 335);
        ASSERT_NE(factory(), nullptr);
        QString error;
        m_browser = factory()->create(&m_window, &error);
        ASSERT_NE(m_browser, nullptr) << error.toStdString();
        m_browser->setEvents(&m_log);
        m_browser->widget()->setGeometry(0, 27, 600, 308);
        m_window.show();
    }
    void TearDown() override
    {
        for (webview::IWebBrowser *browser : {m_browser, m_preloaded})
            if (browser)
                browser->setEvents(nullptr);
    }

    // A second control, made after `address` was preloaded; it reports to m_preloadLog.
    webview::IWebBrowser *withPreload(const QString &address)
    {
        factory()->preload(address);
        QString error;
        m_preloaded = factory()->create(&m_window, &error);
        EXPECT_NE(m_preloaded, nullptr) << error.toStdString();
        if (m_preloaded)
            m_preloaded->setEvents(&m_preloadLog);
        return m_preloaded;
    }

    QString page(const char *name, const QByteArray &html)
    {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(html);
        return path;
    }

    // Waits until `count` downloads have completed, for at most 30 s.
    bool waitForCompleted(int count)
    {
        return QTest::qWaitFor([&] { return m_log.completed() >= count; }, 30000);
    }

    int navigate(const QString &url) { return m_browser->Navigate(url); }
    int execWB(int cmd, int opt) { return m_browser->ExecWB(cmd, opt); }
    int setDispatchProperty(int id, const QVariant &v)
    {
        return m_browser->SetDispatchProperty(id, v);
    }
    QString errorText(int code) const { return m_browser->ErrorText(code); }

    QTemporaryDir m_dir;
    QWidget m_window;
    webview::IWebBrowser *m_browser = nullptr;
    EventLog m_log;
    webview::IWebBrowser *m_preloaded = nullptr;
    EventLog m_preloadLog;
};

TEST_F(WebBrowserControl, EachNavigationRaisesBeginThenComplete)
{
    const QString first = page("first.html", "<html><title>First</title><body>one</body></html>");
    const QString second = page("second.html", "<html><body>two</body></html>");
    EXPECT_EQ(navigate(first), webview::kOk);
    ASSERT_TRUE(waitForCompleted(1)) << m_log.events.join(' ').toStdString();
    EXPECT_EQ(m_log.events, (QStringList{"begin", "complete"}));
    EXPECT_EQ(navigate(QUrl::fromLocalFile(second).toString()), webview::kOk);
    ASSERT_TRUE(waitForCompleted(2));
    EXPECT_EQ(m_log.events, (QStringList{"begin", "complete", "begin", "complete"}));
    EXPECT_EQ(m_browser->widget()->property("url").toUrl(), QUrl::fromLocalFile(second));
}

TEST_F(WebBrowserControl, VisibleWriteIsAcceptedAndTheControlStaysShown)
{
    EXPECT_EQ(setDispatchProperty(webview::DISPID_VISIBLE, false), webview::kOk);
    EXPECT_TRUE(m_browser->widget()->isVisible());
    const int unknown = setDispatchProperty(403, true);
    EXPECT_TRUE(webview::failed(unknown));
    EXPECT_TRUE(errorText(unknown).contains(QStringLiteral("403")));
}

TEST_F(WebBrowserControl, FailuresCarryTheControlsDescriptionElseTheOleCode)
{
    const int bad = navigate(QStringLiteral("   "));
    EXPECT_EQ(bad, webview::kInvalidArgument);
    EXPECT_TRUE(errorText(bad).contains(QStringLiteral("not valid")));
    const int unsupported = execWB(7, webview::OLECMDEXECOPT_DONTPROMPTUSER);
    EXPECT_EQ(unsupported, webview::kCommandNotSupported);
    EXPECT_TRUE(errorText(unsupported).contains(QStringLiteral("not supported")));
    EXPECT_EQ(errorText(int(0x80001234u)), QStringLiteral("OLE error 80001234"));
    EXPECT_FALSE(errorText(2).isEmpty()); // the platform's message for the code
}

TEST_F(WebBrowserControl, PrintWithoutDefaultPrinterFailsAndTheControlStaysUsable)
{
    if (qEnvironmentVariableIsSet("DAYPANE_TEST_PRINTER_SPOOL"))
        GTEST_SKIP() << "a printer is set up";
    // The test's CUPS_SERVER points at no server, so there is no printer at all.
    const QString path = page("print.html", "<html><body>print me</body></html>");
    ASSERT_EQ(navigate(path), webview::kOk);
    ASSERT_TRUE(waitForCompleted(1));
    const int result = execWB(webview::OLECMDID_PRINT, webview::OLECMDEXECOPT_DONTPROMPTUSER);
    EXPECT_EQ(result, webview::kNoDefaultPrinter);
    EXPECT_TRUE(errorText(result).contains(QStringLiteral("default printer")))
        << errorText(result).toStdString();
    EXPECT_EQ(navigate(path), webview::kOk);
    EXPECT_TRUE(waitForCompleted(2));
}

// Jobs the private CUPS server's default printer has finished (see with_cups_printer.sh).
int completedPrintJobs()
{
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-W"), QStringLiteral("completed"),
                                            QStringLiteral("-o"), QStringLiteral("DaypanePDF")});
    if (!lpstat.waitForFinished(10000))
        return -1;
    const QList<QByteArray> lines = lpstat.readAllStandardOutput().trimmed().split('\n');
    return int(std::count_if(lines.begin(), lines.end(),
                             [](const QByteArray &line) { return !line.trimmed().isEmpty(); }));
}

TEST_F(WebBrowserControl, PrintTwiceGivesTwoJobsOnTheDefaultPrinterWithoutDialog)
{
    const QString spool = qEnvironmentVariable("DAYPANE_TEST_PRINTER_SPOOL");
    if (spool.isEmpty())
        GTEST_SKIP() << "no test printer; run through with_cups_printer.sh";
    ASSERT_EQ(completedPrintJobs(), 0);
    ASSERT_EQ(navigate(page("print.html", "<html><body><h1>Daypane</h1></body></html>")),
              webview::kOk);
    ASSERT_TRUE(waitForCompleted(1));
    EXPECT_EQ(execWB(webview::OLECMDID_PRINT, webview::OLECMDEXECOPT_DONTPROMPTUSER), webview::kOk);
    EXPECT_EQ(execWB(webview::OLECMDID_PRINT, webview::OLECMDEXECOPT_DONTPROMPTUSER), webview::kOk);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([] { return completedPrintJobs() >= 2; }, 30000));
    EXPECT_EQ(completedPrintJobs(), 2);
    // Each is reported printed once the server says it is done.
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_log.events.count(QStringLiteral("printed")) >= 2; },
                                testsupport::scaled(30000)));
    EXPECT_EQ(m_log.events.count(QStringLiteral("printed")), 2);
    // Named by the server's printer and job, two jobs of one printer.
    ASSERT_EQ(m_log.jobs.size(), 2);
    const QRegularExpression named(QStringLiteral("^(\\S+) \\1-(\\d+)$"));
    const auto first = named.match(m_log.jobs[0]), second = named.match(m_log.jobs[1]);
    EXPECT_TRUE(first.hasMatch() && second.hasMatch()) << m_log.jobs.join(", ").toStdString();
    EXPECT_EQ(first.captured(1), second.captured(1));
    EXPECT_NE(first.captured(2), second.captured(2));
    EXPECT_TRUE(m_log.printFailures.isEmpty());
    // Each job's document, as it reached the printer, is a PDF of its own.
    const QDir dir(spool);
    const QStringList documents = dir.entryList({QStringLiteral("d*")}, QDir::Files, QDir::Name);
    EXPECT_EQ(documents.size(), 2);
    for (const QString &name : documents) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.read(5).startsWith("%PDF")) << name.toStdString();
    }
}

// Print is accepted, and the failure comes afterwards with the reason: a printer that takes the
// job and then gives it up (its device says why), and one that takes no job at all. Nothing is
// reported printed, and the control stays usable.
TEST_F(WebBrowserControl, PrintThatThePrinterFailsAfterAcceptingItSaysWhy)
{
    const QString failing = qEnvironmentVariable("DAYPANE_TEST_FAILING_PRINTER");
    const QString rejecting = qEnvironmentVariable("DAYPANE_TEST_REJECTING_PRINTER");
    if (failing.isEmpty() || rejecting.isEmpty())
        GTEST_SKIP() << "no test printers; run through with_cups_printer.sh";
    const QString path = page("print.html", "<html><body><h1>Daypane</h1></body></html>");
    ASSERT_EQ(navigate(path), webview::kOk);
    ASSERT_TRUE(waitForCompleted(1));
    const struct
    {
        QString printer;
        const char *reason;
    } rows[] = {{failing, "the paper tray is on fire"}, {rejecting, "not accepting jobs"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.printer.toStdString());
        // The user's default printer, as CUPS takes it from the environment.
        testsupport::ScopedEnv printer("PRINTER", row.printer.toUtf8());
        m_log.printFailures.clear();
        EXPECT_EQ(execWB(webview::OLECMDID_PRINT, webview::OLECMDEXECOPT_DONTPROMPTUSER),
                  webview::kOk);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_log.printFailures.isEmpty(); },
                                    testsupport::scaled(60000)));
        EXPECT_EQ(m_log.printFailures.size(), 1);
        const QString text = errorText(m_log.printFailures.first());
        EXPECT_TRUE(text.startsWith("The page could not be printed on " + row.printer + ": "))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String(row.reason))) << text.toStdString();
    }
    EXPECT_EQ(m_log.events.count(QStringLiteral("printed")), 0);
    EXPECT_EQ(navigate(path), webview::kOk);
    EXPECT_TRUE(waitForCompleted(2));
}

// The page loads while the window is built, and its download is reported when the window
// navigates there: the lamps follow the window, not the engine.
TEST_F(WebBrowserControl, APreloadedPageIsReportedWhenTheWindowNavigatesThere)
{
    const QString early = page("early.html", "<html><title>Early</title><body>soon</body></html>");
    const QString later = page("later.html", "<html><title>Later</title><body>then</body></html>");
    webview::IWebBrowser *browser = withPreload(early);
    ASSERT_NE(browser, nullptr);
    const EventLog &log = m_preloadLog;
    QWidget *view = browser->widget();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->property("title") == "Early"; }, 30000));
    EXPECT_EQ(log.events, QStringList());
    EXPECT_EQ(browser->Navigate(early), webview::kOk);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.completed() == 1; }, 30000));
    EXPECT_EQ(log.events, (QStringList{"begin", "complete"}));
    // Any later navigation loads as ever.
    EXPECT_EQ(browser->Navigate(later), webview::kOk);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.completed() == 2; }, 30000));
    EXPECT_EQ(log.events, (QStringList{"begin", "complete", "begin", "complete"}));
    EXPECT_EQ(view->property("title"), "Later");
}

// A preload of an address the window does not ask for is dropped at its first navigation.
TEST_F(WebBrowserControl, APreloadOfAnotherAddressGivesWayToTheNavigation)
{
    const QString early = page("early.html", "<html><title>Early</title><body>soon</body></html>");
    const QString asked = page("asked.html", "<html><title>Asked</title><body>this</body></html>");
    webview::IWebBrowser *browser = withPreload(early);
    ASSERT_NE(browser, nullptr);
    const EventLog &log = m_preloadLog;
    EXPECT_EQ(browser->Navigate(asked), webview::kOk);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.completed() == 1; }, 30000));
    EXPECT_EQ(log.events, (QStringList{"begin", "complete"}));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return browser->widget()->property("title") == "Asked"; }, 30000));
}

// A page shown at login writes nothing to disk, unless the configuration keeps its profile.
TEST_F(WebBrowserControl, KeepsSiteDataOnlyWhenConfigured)
{
    const QString path = page("cookie.html", "<html><body><script>"
                                             "document.cookie = 'seen=1; max-age=86400';"
                                             "localStorage.setItem('seen', '1');"
                                             "</script>stored</body></html>");
    ASSERT_EQ(navigate(path), webview::kOk);
    ASSERT_TRUE(waitForCompleted(1));
    if (g_keepProfile) {
        EXPECT_TRUE(QTest::qWaitFor([] { return !filesWritten().isEmpty(); }, 10000));
        EXPECT_FALSE(filesWritten().filter(QStringLiteral("QtWebEngine/Daypane")).isEmpty())
            << filesWritten().join(' ').toStdString();
    } else {
        EXPECT_EQ(filesWritten(), QStringList());
    }
}

// The visible top-level box titled `title`, or null.
QDialog *visibleBox(const QString &title)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == title)
            return qobject_cast<QDialog *>(w);
    return nullptr;
}

// Answers the boxes the page brings up, from within their own wait: the page waits for the
// answer, so the test's own wait does not run meanwhile.
class BoxAnswerer
{
public:
    // `answer` gets each box titled `title` once and closes it.
    BoxAnswerer(const QString &title, std::function<void(QDialog *)> answer)
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this, title, answer] {
            if (QDialog *box = visibleBox(title)) {
                m_text.clear();
                for (QLabel *label : box->findChildren<QLabel *>())
                    m_text += label->text() + QLatin1Char('\n');
                m_owner = box->parentWidget();
                ++m_boxes;
                answer(box);
            }
        });
        m_timer.start();
    }
    QString text() const { return m_text; }
    QWidget *owner() const { return m_owner; }
    int boxes() const { return m_boxes; }

private:
    QTimer m_timer;
    QString m_text;
    QWidget *m_owner = nullptr;
    int m_boxes = 0;
};

// A load that fails is reported as such, and the pane says what failed; for a refused
// certificate it names the server. Its Reload loads the address again.
TEST_F(WebBrowserControl, AFailedLoadIsAnErrorAndThePaneSaysWhy)
{
    quint16 closed = 0;
    {
        e2e::HttpServer gone([](const e2e::HttpRequest &) { return e2e::HttpResponse(); });
        closed = gone.port();
    }
    const QString url = QStringLiteral("http://127.0.0.1:%1/gone").arg(closed);
    const auto paneText = [this] {
        const QLabel *text = m_browser->widget()->findChild<QLabel *>("paneMessageText");
        return text != nullptr && text->isVisible() ? text->text() : QString();
    };
    ASSERT_EQ(navigate(url), webview::kOk);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_log.events.size() == 2; }, 30000));
    EXPECT_EQ(m_log.events, (QStringList{"begin", "error"}));
    EXPECT_TRUE(m_log.errors.value(0).startsWith(url + " ")) << m_log.errors.value(0).toStdString();
    EXPECT_TRUE(paneText().contains(url + " could not be loaded")) << paneText().toStdString();

    // Reload from the pane tries the same address again.
    QPushButton *reload = m_browser->widget()->findChild<QPushButton *>();
    ASSERT_NE(reload, nullptr);
    reload->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_log.events.size() == 4; }, 30000));
    EXPECT_EQ(m_log.events, (QStringList{"begin", "error", "begin", "error"}));

    const e2e::TestPki pki;
    if (!pki.ok())
        GTEST_SKIP() << pki.error().toStdString();
    e2e::HttpServer selfSigned([](const e2e::HttpRequest &) { return e2e::HttpResponse(); },
                               {pki.selfSigned()}, pki.key());
    ASSERT_EQ(navigate(selfSigned.url("/")), webview::kOk);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_log.events.size() == 6; }, 30000));
    EXPECT_EQ(m_log.events.mid(4), (QStringList{"begin", "error"}));
    const QString server = QStringLiteral("127.0.0.1:%1").arg(selfSigned.port());
    EXPECT_TRUE(paneText().startsWith("The certificate of " + server + " is not trusted"))
        << paneText().toStdString();
    // The navigation that follows clears the message.
    ASSERT_EQ(navigate(page("fine.html", "<html><body>fine</body></html>")), webview::kOk);
    ASSERT_TRUE(waitForCompleted(1));
    EXPECT_EQ(paneText(), QString());
}

// A login box of the window: it names the server and what the server says of itself; what is
// typed reaches the server.
TEST_F(WebBrowserControl, ALoginIsAskedInABoxOfTheWindowNamingServerAndRealm)
{
    e2e::HttpServer server([](const e2e::HttpRequest &r) {
        e2e::HttpResponse response;
        response.body = "<html><title>in</title></html>";
        if (!e2e::auth::basicAccepted(r, "jdoe", "s3cret")) {
            response.status = 401;
            response.body = "<html><title>denied</title></html>";
            response.headers << std::pair<QByteArray, QByteArray>(
                "WWW-Authenticate", e2e::auth::basicChallenge("Acme \"intranet\""));
        }
        return response;
    });
    BoxAnswerer answerer(QStringLiteral("Log in"), [](QDialog *box) {
        const QList<QLineEdit *> fields = box->findChildren<QLineEdit *>();
        if (fields.size() == 2) {
            fields[0]->setText(QStringLiteral("jdoe"));
            fields[1]->setText(QStringLiteral("s3cret"));
        }
        box->accept();
    });
    ASSERT_EQ(navigate(server.url("/basic")), webview::kOk);
    ASSERT_TRUE(waitForCompleted(1)) << m_log.events.join(' ').toStdString();
    EXPECT_EQ(m_browser->widget()->property("title").toString(), QStringLiteral("in"));
    EXPECT_EQ(answerer.boxes(), 1);
    EXPECT_EQ(answerer.owner(), &m_window);
    EXPECT_TRUE(answerer.text().contains(
        QStringLiteral("The server 127.0.0.1:%1 asks for a user name").arg(server.port())))
        << answerer.text().toStdString();
    EXPECT_TRUE(answerer.text().contains(QStringLiteral("It says: \"Acme \"intranet\"\"")))
        << answerer.text().toStdString();
}

// The page's prompt and confirm: boxes of the window, their answers back to the page.
TEST_F(WebBrowserControl, ThePagesPromptAndConfirmAreAnsweredFromBoxesOfTheWindow)
{
    BoxAnswerer answerer(QStringLiteral("The page says"), [](QDialog *box) {
        if (QLineEdit *field = box->findChild<QLineEdit *>()) {
            field->setText(QStringLiteral("Jane <b>Doe</b>"));
            box->accept();
        } else {
            box->reject();
        }
    });
    ASSERT_EQ(navigate(page("ask.html",
                            "<html><body><script>const name = prompt('Your <i>name</i>?', 'x');"
                            "document.title = name + ' / ' + (confirm('Sure?') ? 'yes' : 'no');"
                            "</script></body></html>")),
              webview::kOk);
    ASSERT_TRUE(waitForCompleted(1));
    EXPECT_EQ(m_browser->widget()->property("title").toString(), "Jane <b>Doe</b> / no");
    EXPECT_EQ(answerer.boxes(), 2);
    EXPECT_EQ(answerer.owner(), &m_window);
    // The page's text is shown as it is, never as markup.
    EXPECT_TRUE(answerer.text().contains("Sure?"));
}

// Over a window no longer shown (the program ending) no box opens: the page gets its "no" at
// once, so a page that asks in a loop cannot hold the ending program.
TEST_F(WebBrowserControl, NoBoxOpensOverAWindowNoLongerShown)
{
    BoxAnswerer answerer(QStringLiteral("The page says"), [](QDialog *box) { box->accept(); });
    m_window.hide();
    ASSERT_EQ(navigate(page("ask.html",
                            "<html><body><script>alert('Hello'); let n = 0;"
                            "while (!confirm('Stay?') && n < 50) ++n; "
                            "document.title = 'asked ' + n + ' ' + prompt('Name?');"
                            "</script></body></html>")),
              webview::kOk);
    ASSERT_TRUE(waitForCompleted(1));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return m_browser->widget()->property("title").toString() == "asked 50 null"; },
        testsupport::scaled(30000)))
        << m_browser->widget()->property("title").toString().toStdString();
    EXPECT_EQ(answerer.boxes(), 0);
}

// The servers of the configuration's Negotiate list are handed to the engine.
TEST_F(WebBrowserControl, TheNegotiateListReachesTheEngine)
{
    EXPECT_TRUE(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")
                    .contains("--auth-server-allowlist=*.acme.example,intra.example"))
        << qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").constData();
}

TEST(HandOver, APageHandsOverOnlyAddressesOfItsOwnKind)
{
    struct Case
    {
        const char *page;
        const char *target;
        bool handed;
    };
    const Case cases[] = {
        {"http://intra/news", "http://intra/more", true},
        {"https://intra/news", "http://other.example/x", true},
        {"http://intra/news", "https://intra/report.pdf", true},
        {"http://intra/news", "file:///etc/passwd", false},
        {"http://intra/news", "vnc://desk:5900", false},
        {"http://intra/news", "ssh://admin@db", false},
        {"http://intra/news", "mailto:a@b", false},
        {"http://intra/news", "javascript:alert(1)", false},
        {"http://intra/news", "http:nohost", false},
        {"file:///srv/notices/today.html", "file:///srv/notices/more.html", true},
        {"file:///srv/notices/today.html", "http://intra/news", false},
        {"about:blank", "http://intra/news", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(webview::mayHandOver(QUrl(QLatin1String(c.page)), QUrl(QLatin1String(c.target))),
                  c.handed)
            << c.page << " -> " << c.target;
}

TEST(WebBrowserFactory, RefusesWithoutSharedContextsInsteadOfCrashing)
{
    if (!g_withoutSharedContexts)
        GTEST_SKIP() << "run with --without-shared-contexts";
    QWidget window;
    QString error;
    ASSERT_NE(factory(), nullptr);
    EXPECT_EQ(factory()->create(&window, &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("AA_ShareOpenGLContexts"))) << error.toStdString();
}

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        g_withoutSharedContexts |= qstrcmp(argv[i], "--without-shared-contexts") == 0;
        g_keepProfile |= qstrcmp(argv[i], "--keep-profile") == 0;
    }
    QTemporaryDir home;
    g_home = &home;
    for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"})
        qputenv(name, (home.path() + QLatin1Char('/') + QLatin1String(name)).toLocal8Bit());
    // The engine, loaded from a plugin, needs this before the application object exists.
    if (!g_withoutSharedContexts)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return testsupport::runAllTests();
}
