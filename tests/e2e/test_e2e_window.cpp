#include "e2e.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// A page server on loopback in a thread of its own, so the test may block while it answers. A
// server made `held` keeps its answers back until release(), which keeps a download going for as
// long as the test looks at it.
class PageServer
{
public:
    explicit PageServer(bool held = false) : m_held(held)
    {
        m_thread.run([this] { listen(); });
    }
    ~PageServer()
    {
        m_thread.run([this] { delete m_server; });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/news.html").arg(m_port); }
    int requests() const { return m_requests.load(); }
    // Answers the requests held so far, and every later one at once.
    void release()
    {
        m_thread.run([this] {
            m_held = false;
            for (const QPointer<QTcpSocket> &s : std::exchange(m_waiting, {}))
                if (s)
                    answer(s);
        });
    }

private:
    void listen()
    {
        m_server = new QTcpServer;
        m_server->listen(QHostAddress::LocalHost, 0);
        m_port = m_server->serverPort();
        QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] {
            while (QTcpSocket *s = m_server->nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    if (!s->readAll().startsWith("GET /news.html"))
                        return s->disconnectFromHost();
                    ++m_requests;
                    if (m_held)
                        m_waiting.push_back(s);
                    else
                        answer(s);
                });
            }
        });
    }

    static void answer(QTcpSocket *s)
    {
        const QByteArray body = "<html><body style='background:#fff'><h1>News</h1></body></html>";
        s->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: "
                 "close\r\nContent-Length: " +
                 QByteArray::number(body.size()) + "\r\n\r\n" + body);
        s->disconnectFromHost();
    }

    bool m_held; // used in the server's thread only
    std::vector<QPointer<QTcpSocket>> m_waiting;
    e2e::ServerThread m_thread;
    QTcpServer *m_server = nullptr;
    quint16 m_port = 0;
    std::atomic<int> m_requests{0};
};

QByteArray run(const QString &program, const QStringList &args)
{
    return e2e::commandOutput(program, args);
}

void clickAt(int x, int y)
{
    // One connection to the server, so the pointer's arrival reaches the window before the
    // press and the control under it is hot when pressed.
    run("xdotool", {"mousemove", QString::number(x), QString::number(y), "click", "1"});
}

QImage screenshot(const QString &path)
{
    run(QStringLiteral(SCREENSHOT_PATH), {path});
    return QImage(path);
}

class WindowEndToEnd : public testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs the virtual display the test runs on";
        if (!e2e::haveCommand(QStringLiteral("xdotool")))
            GTEST_SKIP() << "xdotool is not installed";
        runEnv.useDisplay();
        // The opener of "Open in Full Browser".
        e2e::installRecordingOpener(runEnv, openedPath());
    }

    QString openedPath() const { return runEnv.home.path() + "/opened.txt"; }

    // The window of a started ldpn, with its place on the screen, once it is on the screen.
    std::optional<e2e::Window> window(e2e::Background &ldpn)
    {
        if (!ldpn.waitForShown()) {
            ADD_FAILURE() << "the window was not shown: " << ldpn.err().toStdString();
            return std::nullopt;
        }
        return e2e::waitForWindow(QStringLiteral("Last Login"), 20000, &ldpn);
    }

    // The lamps: green (mLED1) lit once a page is there, red (mLED2) while one is on its way.
    static QPoint greenLamp(const e2e::Window &w) { return {w.x + 16 + 11, w.y + 2 + 14}; }
    static QPoint redLamp(const e2e::Window &w) { return {w.x + 39 + 11, w.y + 2 + 14}; }
    bool pageShown(const e2e::Window &w)
    {
        const QImage s = screenshot(runEnv.home.path() + "/shot.png");
        return qGreen(s.pixel(greenLamp(w))) > 200 && qRed(s.pixel(redLamp(w))) < 160;
    }

    // Clicks the toolbar button whose left edge is at `left` and expects an orderly end.
    void clickButtonAndWaitForTheEnd(e2e::Background &ldpn, const e2e::Window &w, int left)
    {
        clickAt(w.x + left + 68, w.y + 2 + 11);
        ASSERT_TRUE(ldpn.waitForEnd()) << ldpn.err().toStdString();
        EXPECT_EQ(ldpn.exitCode(), 0) << ldpn.err().toStdString();
    }

    // The window takes clicks once its first page has arrived and the lamps say so.
    void waitUntilReady(e2e::Background &ldpn, const PageServer &server, const e2e::Window &w)
    {
        ASSERT_TRUE(e2e::waitFor([&] { return server.requests() >= 1; }, 30000,
                                 [&] { return !ldpn.running(); }))
            << ldpn.err().toStdString();
        ASSERT_TRUE(
            e2e::waitFor([&] { return pageShown(w); }, 30000, [&] { return !ldpn.running(); }))
            << ldpn.err().toStdString();
    }

    e2e::Run runEnv{"2026-07-19 10:00:00"}; // day 200, no directory: previous login day 364
};

TEST_F(WindowEndToEnd, CaptionSizeStackingAndLampsAroundADownload)
{
    PageServer server(true);
    e2e::Background ldpn(runEnv, {server.url(), "/N"});
    const auto w = window(ldpn);
    ASSERT_TRUE(w.has_value());
    EXPECT_EQ(w->width, 600);
    EXPECT_EQ(w->height, 335);
    const QString props = QString::fromUtf8(run("xprop", {"-id", w->id}));
    EXPECT_TRUE(props.contains(QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"\u00B7 Last Login: "
                                              "30 Dec 1899\"")))
        << props.toStdString();

    // While the page is on its way only the red lamp is lit.
    ASSERT_TRUE(e2e::waitFor([&] { return server.requests() == 1; }, 30000,
                             [&] { return !ldpn.running(); }));
    const QString shot = runEnv.home.path() + "/shot.png";
    EXPECT_TRUE(e2e::waitFor(
        [&] {
            const QImage during = screenshot(shot);
            return qRed(during.pixel(redLamp(*w))) > 200 &&
                   qGreen(during.pixel(greenLamp(*w))) < 160;
        },
        30000, [&] { return !ldpn.running(); }));
    // Once it is there only the green one.
    server.release();
    ASSERT_TRUE(
        e2e::waitFor([&] { return pageShown(*w); }, 30000, [&] { return !ldpn.running(); }));
}

TEST_F(WindowEndToEnd, ExitInIntervalModeWritesTheStartDay)
{
    if (e2e::fakeTimeLibrary().isEmpty())
        GTEST_SKIP() << e2e::withoutFakeTime();
    PageServer server;
    e2e::Background ldpn(runEnv, {server.url(), "0"});
    const auto w = window(ldpn);
    ASSERT_TRUE(w.has_value());
    ASSERT_NO_FATAL_FAILURE(waitUntilReady(ldpn, server, *w));
    clickButtonAndWaitForTheEnd(ldpn, *w, 81);
    EXPECT_EQ(testsupport::readFile(runEnv.stampPath()), QByteArray("200\r\n"));
}

// A home on a full file system: Exit in interval mode says so in the box and on standard
// error, the window stays, and the old stamp stays whole. The data folder is a tiny tmpfs in a
// mount namespace of the program's own (in a user namespace when not run as root).
TEST_F(WindowEndToEnd, ExitOnAFullDiskSaysSoKeepsTheWindowAndTheOldStamp)
{
    if (!e2e::haveCommand(QStringLiteral("unshare")))
        GTEST_SKIP() << "unshare is not installed";
    const QString data = runEnv.home.path() + "/data";
    ASSERT_TRUE(QDir().mkpath(data));
    runEnv.env << "XDG_DATA_HOME=" + data;
    runEnv.wrapper = {"unshare", "--mount", "--propagation", "private"};
    if (::geteuid() != 0)
        runEnv.wrapper << "--map-root-user";
    {
        QProcess probe;
        probe.start(runEnv.wrapper.first(), runEnv.wrapper.mid(1) << "true");
        if (!probe.waitForFinished(e2e::scaled(30000)) || probe.exitCode() != 0)
            GTEST_SKIP() << "cannot run here: "
                         << probe.readAllStandardError().trimmed().toStdString();
    }
    // One page, taken by the old stamp and whatever is left by a filler.
    runEnv.wrapper
        << "sh"
        << "-c"
        << "mount -t tmpfs -o size=4k tmpfs \"$0\" || "
           "{ echo \"cannot run here: no tmpfs in a mount namespace\" >&2; exit 77; }; "
           "printf '17\\r\\n' > \"$0/dpn.qcf\"; cat /dev/zero > \"$0/filler\" 2>/dev/null; "
           "exec \"$@\""
        << data;
    PageServer server(0);
    e2e::Background ldpn(runEnv, {server.url(), "0"});
    if (!ldpn.waitForShown() && !ldpn.running() && ldpn.exitCode() == 77)
        GTEST_SKIP() << ldpn.err().trimmed().toStdString();
    const auto w = window(ldpn);
    ASSERT_TRUE(w.has_value());
    ASSERT_NO_FATAL_FAILURE(waitUntilReady(ldpn, server, *w));
    clickAt(w->x + 81 + 68, w->y + 2 + 11);
    ASSERT_TRUE(ldpn.waitForLine("Disk full.")) << ldpn.err().toStdString();
    const auto box = e2e::waitForWindow(QStringLiteral("Daypane"), 20000, &ldpn);
    EXPECT_TRUE(box.has_value()) << ldpn.err().toStdString();
    EXPECT_TRUE(ldpn.running());
    EXPECT_TRUE(e2e::waitForWindow(QStringLiteral("Last Login"), 0).has_value());
    // The program's own view of its data folder, through its root.
    const QString seen = QStringLiteral("/proc/%1/root%2").arg(ldpn.pid()).arg(data);
    EXPECT_EQ(testsupport::readFile(seen + "/dpn.qcf"), QByteArray("17\r\n"));
    EXPECT_EQ(QDir(seen).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"dpn.qcf", "filler"}));
}

TEST_F(WindowEndToEnd, ExitInNormalModeLeavesTheStampAlone)
{
    testsupport::writeFile(runEnv.stampPath(), "12\r\n");
    PageServer server;
    e2e::Background ldpn(runEnv, {server.url(), "/N"});
    const auto w = window(ldpn);
    ASSERT_TRUE(w.has_value());
    ASSERT_NO_FATAL_FAILURE(waitUntilReady(ldpn, server, *w));
    clickButtonAndWaitForTheEnd(ldpn, *w, 81);
    EXPECT_EQ(testsupport::readFile(runEnv.stampPath()), QByteArray("12\r\n"));
}

TEST_F(WindowEndToEnd, OpenInFullBrowserPassesTheAddressAndEnds)
{
    PageServer server;
    e2e::Background ldpn(runEnv, {server.url(), "/N"});
    const auto w = window(ldpn);
    ASSERT_TRUE(w.has_value());
    ASSERT_NO_FATAL_FAILURE(waitUntilReady(ldpn, server, *w));
    clickButtonAndWaitForTheEnd(ldpn, *w, 353);
    // The opener runs detached; it renames its record into place when it is whole.
    ASSERT_TRUE(e2e::waitFor([&] { return QFile::exists(openedPath()); }, 10000));
    EXPECT_EQ(testsupport::readFile(openedPath()), server.url().toUtf8() + "\n");
}

TEST_F(WindowEndToEnd, AboutBoxOpensFromALampAndClosingItNavigatesAgain)
{
    PageServer server;
    e2e::Background ldpn(runEnv, {server.url(), "/N"});
    const auto w = window(ldpn);
    ASSERT_TRUE(w.has_value());
    ASSERT_NO_FATAL_FAILURE(waitUntilReady(ldpn, server, *w));
    for (int round = 1; round <= 2; ++round) {
        clickAt(w->x + 16 + 11, w->y + 2 + 11);
        const auto about = e2e::waitForWindow(QStringLiteral("About"), 10000, &ldpn);
        ASSERT_TRUE(about.has_value()) << round;
        EXPECT_EQ(about->width, 306);
        EXPECT_EQ(about->height, 226);
        // OK is the default button: Enter closes the box.
        run("xdotool", {"mousemove", QString::number(about->x + 40), QString::number(about->y + 40),
                        "key", "Return"});
        // The box goes, the window is active again and loads its page anew.
        ASSERT_TRUE(e2e::waitFor(
            [&] { return !e2e::waitForWindow(QStringLiteral("About"), 0).has_value(); }, 10000,
            [&] { return !ldpn.running(); }))
            << round;
        ASSERT_TRUE(e2e::waitFor([&] { return server.requests() == round + 1; }, 10000,
                                 [&] { return !ldpn.running(); }))
            << round;
        ASSERT_TRUE(
            e2e::waitFor([&] { return pageShown(*w); }, 30000, [&] { return !ldpn.running(); }))
            << round;
    }
}

TEST_F(WindowEndToEnd, PrintTwiceGivesTwoJobsWithoutADialog)
{
    const e2e::TestPrinter printer;
    if (!printer.available())
        GTEST_SKIP() << "runs under with_cups_printer.sh";
    runEnv.env << printer.serverVariable();
    const qsizetype before = printer.jobs();
    PageServer server;
    e2e::Background ldpn(runEnv, {server.url(), "/N"});
    const auto w = window(ldpn);
    ASSERT_TRUE(w.has_value());
    ASSERT_NO_FATAL_FAILURE(waitUntilReady(ldpn, server, *w));
    const auto ended = [&] { return !ldpn.running(); };
    clickAt(w->x + 217 + 68, w->y + 2 + 11);
    ASSERT_TRUE(e2e::waitFor([&] { return printer.jobs() == before + 1; }, 30000, ended));
    clickAt(w->x + 217 + 68, w->y + 2 + 11);
    ASSERT_TRUE(e2e::waitFor([&] { return printer.jobs() == before + 2; }, 30000, ended));
    // No dialog came up (it would have come before the job): no window is named so.
    EXPECT_FALSE(e2e::waitForWindow(QStringLiteral("Print"), 0).has_value());
    EXPECT_TRUE(ldpn.running());
}

} // namespace
