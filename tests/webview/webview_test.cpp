// The web browser control as the program uses it: loaded from the plugin, driven only
// through the meta-object system, never through a QtWebEngine header.
#include "framework/webbrowserapi.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

QObject *factory()
{
    static QObject *instance = [] {
        QString error;
        QObject *f = webview::loadWebBrowserFactory(QStringLiteral(DAYPANE_WEBVIEW_DIR), &error);
        EXPECT_NE(f, nullptr) << error.toStdString();
        return f;
    }();
    return instance;
}

QWidget *createBrowser(QWidget *parent)
{
    QString error;
    QWidget *browser = webview::createWebBrowser(factory(), parent, &error);
    EXPECT_NE(browser, nullptr) << error.toStdString();
    return browser;
}

using webview::errorText;
using webview::execWB;
using webview::navigate;
using webview::setDispatchProperty;

bool g_withoutSharedContexts = false;

} // namespace

// Records the download events in the order they arrive, bound by name as a form binds them.
class DownloadLog : public QObject
{
    Q_OBJECT
public:
    QStringList events;
    bool bind(QObject *browser)
    {
        return connect(browser, SIGNAL(OnDownloadBegin(QObject *)), this, SLOT(begin(QObject *))) &&
               connect(browser, SIGNAL(OnDownloadComplete(QObject *)), this,
                       SLOT(complete(QObject *)));
    }
    int completed() const { return int(events.count(QStringLiteral("complete"))); }
public slots:
    void begin(QObject *sender) { events << (sender ? "begin" : "begin without sender"); }
    void complete(QObject *sender) { events << (sender ? "complete" : "complete without sender"); }
};

class WebBrowserControl : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_window.resize(600, 335);
        m_browser = createBrowser(&m_window);
        ASSERT_NE(m_browser, nullptr);
        ASSERT_TRUE(m_log.bind(m_browser));
        m_browser->setProperty("Top", 27);
        m_browser->setProperty("Width", 600);
        m_browser->setProperty("Height", 308);
        m_window.show();
    }

    QString page(const char *name, const QByteArray &html)
    {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(html);
        return path;
    }

    // Polls until `count` downloads have completed, for at most 30 s.
    bool waitForCompleted(int count)
    {
        for (int i = 0; i < 600 && m_log.completed() < count; ++i)
            QTest::qWait(50);
        return m_log.completed() >= count;
    }

    QTemporaryDir m_dir;
    QWidget m_window;
    QWidget *m_browser = nullptr;
    DownloadLog m_log;
};

TEST_F(WebBrowserControl, EachNavigationRaisesBeginThenComplete)
{
    const QString first = page("first.html", "<html><title>First</title><body>one</body></html>");
    const QString second = page("second.html", "<html><body>two</body></html>");
    EXPECT_EQ(navigate(m_browser, first), webview::kOk);
    ASSERT_TRUE(waitForCompleted(1)) << m_log.events.join(' ').toStdString();
    EXPECT_EQ(m_log.events, (QStringList{"begin", "complete"}));
    EXPECT_EQ(navigate(m_browser, QUrl::fromLocalFile(second).toString()), webview::kOk);
    ASSERT_TRUE(waitForCompleted(2));
    EXPECT_EQ(m_log.events, (QStringList{"begin", "complete", "begin", "complete"}));
    EXPECT_EQ(m_browser->property("url").toUrl(), QUrl::fromLocalFile(second));
}

TEST_F(WebBrowserControl, VisibleWriteIsAcceptedAndTheControlStaysShown)
{
    EXPECT_EQ(setDispatchProperty(m_browser, webview::DISPID_VISIBLE, false), webview::kOk);
    EXPECT_TRUE(m_browser->isVisible());
    const int unknown = setDispatchProperty(m_browser, 403, true);
    EXPECT_TRUE(webview::failed(unknown));
    EXPECT_TRUE(errorText(m_browser, unknown).contains(QStringLiteral("403")));
}

TEST_F(WebBrowserControl, FailuresCarryTheControlsDescriptionElseTheOleCode)
{
    const int bad = navigate(m_browser, QStringLiteral("   "));
    EXPECT_EQ(bad, webview::kInvalidArgument);
    EXPECT_TRUE(errorText(m_browser, bad).contains(QStringLiteral("not valid")));
    const int unsupported = execWB(m_browser, 7, webview::OLECMDEXECOPT_DONTPROMPTUSER);
    EXPECT_EQ(unsupported, webview::kCommandNotSupported);
    EXPECT_TRUE(errorText(m_browser, unsupported).contains(QStringLiteral("not supported")));
    EXPECT_EQ(errorText(m_browser, int(0x80001234u)), QStringLiteral("OLE error 80001234"));
    EXPECT_FALSE(errorText(m_browser, 2).isEmpty()); // the platform's message for the code
}

TEST_F(WebBrowserControl, PrintWithoutDefaultPrinterFailsAndTheControlStaysUsable)
{
    if (qEnvironmentVariableIsSet("DAYPANE_TEST_PRINTER_SPOOL"))
        GTEST_SKIP() << "a printer is set up";
    // The test's CUPS_SERVER points at no server, so there is no printer at all.
    const QString path = page("print.html", "<html><body>print me</body></html>");
    ASSERT_EQ(navigate(m_browser, path), webview::kOk);
    ASSERT_TRUE(waitForCompleted(1));
    const int result =
        execWB(m_browser, webview::OLECMDID_PRINT, webview::OLECMDEXECOPT_DONTPROMPTUSER);
    EXPECT_EQ(result, webview::kNoDefaultPrinter);
    EXPECT_TRUE(errorText(m_browser, result).contains(QStringLiteral("default printer")))
        << errorText(m_browser, result).toStdString();
    EXPECT_EQ(navigate(m_browser, path), webview::kOk);
    EXPECT_TRUE(waitForCompleted(2));
}

// Jobs the private CUPS server has finished (see with_cups_printer.sh).
int completedPrintJobs()
{
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"),
                 {QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o")});
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
    QSignalSpy failures(m_browser, SIGNAL(OnPrintFailed(QObject *, int)));
    ASSERT_EQ(navigate(m_browser, page("print.html", "<html><body><h1>Daypane</h1></body></html>")),
              webview::kOk);
    ASSERT_TRUE(waitForCompleted(1));
    EXPECT_EQ(execWB(m_browser, webview::OLECMDID_PRINT, webview::OLECMDEXECOPT_DONTPROMPTUSER),
              webview::kOk);
    EXPECT_EQ(execWB(m_browser, webview::OLECMDID_PRINT, webview::OLECMDEXECOPT_DONTPROMPTUSER),
              webview::kOk);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    int jobs = 0;
    for (int i = 0; i < 300 && (jobs = completedPrintJobs()) < 2; ++i)
        QTest::qWait(100);
    EXPECT_EQ(jobs, 2);
    EXPECT_EQ(failures.count(), 0);
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

TEST_F(WebBrowserControl, ClientAlignmentFollowsTheWindow)
{
    m_browser->setProperty("Align", QStringLiteral("alClient"));
    m_window.resize(800, 500);
    QTRY_COMPARE_WITH_TIMEOUT(m_browser->geometry(), QRect(0, 27, 800, 473), 5000);
}

TEST(WebBrowserFactory, RefusesWithoutSharedContextsInsteadOfCrashing)
{
    if (!g_withoutSharedContexts)
        GTEST_SKIP() << "run with --without-shared-contexts";
    QWidget window;
    QString error;
    EXPECT_EQ(webview::createWebBrowser(factory(), &window, &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("AA_ShareOpenGLContexts"))) << error.toStdString();
}

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        g_withoutSharedContexts |= qstrcmp(argv[i], "--without-shared-contexts") == 0;
    // The engine, loaded from a plugin, needs this before the application object exists.
    if (!g_withoutSharedContexts)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "webview_test.moc"
