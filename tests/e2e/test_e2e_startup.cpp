#include "app/phasetwo.h"
#include "e2e.h"

#include <QFile>
#include <QLocalSocket>
#include <QMetaObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool onADisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY");
}

// A display reached over TCP that passes the first `forwarded` connections on to the test's
// own display and drops every later one: a server that goes away after the program has looked
// for it. Runs in a thread of its own, so the test may block while it answers.
class VanishingDisplay
{
public:
    explicit VanishingDisplay(int forwarded) : m_forwarded(forwarded)
    {
        m_thread.run([this] { listen(); });
    }
    ~VanishingDisplay()
    {
        m_thread.run([this] { delete m_server; });
    }
    // Empty when no port was free.
    QString name() const
    {
        return m_number < 0 ? QString() : QStringLiteral("127.0.0.1:%1").arg(m_number);
    }
    int connections() const { return m_connections.load(); }

private:
    void listen()
    {
        m_server = new QTcpServer;
        // Display N over TCP is port 6000 + N.
        for (int n = 100; n < 1000 && m_number < 0; ++n)
            if (m_server->listen(QHostAddress::LocalHost, quint16(6000 + n)))
                m_number = n;
        QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] {
            while (QTcpSocket *client = m_server->nextPendingConnection()) {
                if (++m_connections > m_forwarded)
                    client->abort();
                else
                    forward(client);
            }
        });
    }

    void forward(QTcpSocket *client)
    {
        QString display = qEnvironmentVariable("DISPLAY");
        display =
            display.mid(display.indexOf(QLatin1Char(':')) + 1).section(QLatin1Char('.'), 0, 0);
        auto *server = new QLocalSocket(client);
        server->connectToServer(QStringLiteral("/tmp/.X11-unix/X") + display);
        if (!server->waitForConnected(e2e::scaled(5000))) {
            client->abort();
            return;
        }
        QObject::connect(client, &QTcpSocket::readyRead, server,
                         [client, server] { server->write(client->readAll()); });
        QObject::connect(server, &QLocalSocket::readyRead, client,
                         [client, server] { client->write(server->readAll()); });
        QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        QObject::connect(server, &QLocalSocket::disconnected, client,
                         &QTcpSocket::disconnectFromHost);
        server->write(client->readAll());
    }

    const int m_forwarded;
    e2e::ServerThread m_thread;
    QTcpServer *m_server = nullptr;
    int m_number = -1;
    std::atomic<int> m_connections{0};
};

TEST(Startup, MissingArgumentsEndQuietly)
{
    e2e::Run run;
    for (const QStringList &args : {QStringList{}, QStringList{"http://intra/"}}) {
        const auto r = run.ldpn(args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_FALSE(r.crashed);
        EXPECT_EQ(r.err, QByteArray());
    }
}

TEST(Startup, IntervalNotDueEndsWithoutDisplayAndKeepsTheStamp)
{
    if (e2e::fakeTimeLibrary().isEmpty())
        GTEST_SKIP() << e2e::withoutFakeTime();
    e2e::Run run("2026-07-19 10:00:00"); // day 200
    testsupport::writeFile(run.stampPath(), "197\r\n");
    const auto r = run.ldpn({"http://intra/", "7"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, QByteArray());
    EXPECT_EQ(testsupport::readFile(run.stampPath()), QByteArray("197\r\n"));
}

TEST(Startup, BadModeReportsTheIntegerErrorAndTheMissingDisplay)
{
    e2e::Run run;
    const auto r = run.ldpn({"http://intra/", "abc"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.err, QByteArray("'abc' is not a valid integer value.\n"
                                "ldpn: cannot open a display to show the error\n"));
    EXPECT_FALSE(QFile::exists(run.stampPath()));
}

TEST(Startup, EmptyStampIsAnIntegerError)
{
    e2e::Run run;
    testsupport::writeFile(run.stampPath(), "");
    const auto r = run.ldpn({"http://intra/", "3"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("'' is not a valid integer value.\n")) << r.err.toStdString();
    EXPECT_EQ(testsupport::readFile(run.stampPath()), QByteArray());
}

TEST(Startup, APipeAsTheStampEndsAtOnceWithTheBoxText)
{
    e2e::Run run;
    testsupport::FifoWatch fifo(run.stampPath());
    ASSERT_TRUE(fifo.created());
    const auto r = run.ldpn({"http://intra/", "7"});
    EXPECT_FALSE(fifo.stop()) << "ldpn waited for a writer";
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.err, QByteArray("File access denied.\n"
                                "ldpn: cannot open a display to show the error\n"));
}

TEST(Startup, ControlBytesInTheStampAreShownEscaped)
{
    e2e::Run run;
    // A NUL, then a terminal's title and clear-screen sequences.
    testsupport::writeFile(run.stampPath(), QByteArray("1\0"
                                                       "2\x1b]0;owned\x07\x1b[2J\r\n",
                                                       17));
    const auto r = run.ldpn({"http://intra/", "7"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QByteArray("'1\\02\\x1b]0;owned\\x07\\x1b[2J' is not a valid integer value.\n"
                                "ldpn: cannot open a display to show the error\n"));
}

TEST(Startup, DuePageWithoutDisplayFailsCleanly)
{
    e2e::Run run;
    const auto r = run.ldpn({"http://intra/", "/F"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.err, e2e::kNoNetWareClient + "ldpn: cannot open a display to show the window\n");
    // An unreachable display is the same as none.
    e2e::Run unreachable;
    unreachable.env << "DISPLAY=:9999";
    const auto u = unreachable.ldpn({"http://intra/", "/F"});
    EXPECT_EQ(u.exitCode, 1);
    EXPECT_FALSE(u.crashed);
    EXPECT_EQ(u.err, e2e::kNoNetWareClient + "ldpn: cannot open a display to show the window\n");
}

// A window module left from another build is refused before anything of it runs: one line names
// the file, its interface version and the one this program needs, for the window and for the
// box of an error alike.
TEST(Startup, AWindowModuleOfAnotherVersionIsRefusedSayingWhich)
{
    e2e::ProgramCopy program;
    ASSERT_TRUE(program.made()) << program.why().toStdString();
    ASSERT_TRUE(program.replaceModule(QStringLiteral("libdaypane-gui.so"),
                                      QStringLiteral(STALE_MODULES "/libstale_window_module.so")));
    const QByteArray refused =
        QStringLiteral("ldpn: cannot load the window module: %1/libdaypane-gui.so has interface "
                       "version %2 of the window module; this program needs version %3\n")
            .arg(program.moduleFolder())
            .arg(kPhaseTwoInterface.version - 1)
            .arg(kPhaseTwoInterface.version)
            .toUtf8();
    e2e::Run window;
    window.wrapper = program.wrapper();
    const auto w = window.ldpn({"http://intra/", "/F"});
    EXPECT_EQ(w.exitCode, 1);
    EXPECT_EQ(w.err, e2e::kNoNetWareClient + refused);
    e2e::Run box;
    box.wrapper = program.wrapper();
    const auto b = box.ldpn({"http://intra/", "abc"});
    EXPECT_EQ(b.exitCode, 1);
    EXPECT_EQ(b.err, "'abc' is not a valid integer value.\n" + refused);
}

// The start-up milestones that scripts and these tests wait on: one line when the decision is
// made, naming it, and none at all unless the category is enabled.
TEST(Startup, TheDecisionIsOneMilestoneLine)
{
    struct Case
    {
        QStringList args;
        QByteArray stamp;
        QByteArray line;
    };
    for (const Case &c :
         {Case{{}, {}, "daypane.startup: decision: end\n"},
          Case{{"http://intra/", "99999"}, "1\r\n", "daypane.startup: decision: end\n"},
          Case{{"http://intra/", "/F"}, {}, "daypane.startup: decision: show\n"},
          Case{{"http://intra/", "abc"}, {}, "daypane.startup: decision: error\n"}}) {
        e2e::Run run;
        if (!c.stamp.isEmpty())
            testsupport::writeFile(run.stampPath(), c.stamp);
        e2e::Background ldpn(run, c.args);
        ASSERT_TRUE(ldpn.waitForEnd()) << c.args.join(' ').toStdString();
        // Only what the directory source says may come before it.
        QByteArray err = ldpn.err();
        if (err.startsWith(e2e::kNoNetWareClient))
            err.remove(0, e2e::kNoNetWareClient.size());
        EXPECT_TRUE(err.startsWith(c.line)) << ldpn.err().toStdString();
        EXPECT_EQ(ldpn.err().count("daypane.startup:"), 1) << ldpn.err().toStdString();
    }
}

// Qt's platform plugin ends the process with an abort when it cannot start; the program ends
// with its own line, Qt's reason and status 1 instead.
TEST(Startup, APlatformThatCannotStartEndsWithOneLineAndNoCoreDump)
{
    e2e::Run window;
    window.env << "QT_QPA_PLATFORM=daypane-no-such-platform";
    const auto w = window.ldpn({"http://intra/", "/F"});
    EXPECT_EQ(w.exitCode, 1);
    EXPECT_FALSE(w.crashed);
    EXPECT_EQ(w.err,
              e2e::kNoNetWareClient +
                  QByteArray("ldpn: cannot open a display to show the window: the Qt platform "
                             "plugin \"daypane-no-such-platform\" is not installed\n"));

    e2e::Run box;
    box.env << "QT_QPA_PLATFORM=daypane-no-such-platform";
    const auto b = box.ldpn({"http://intra/", "abc"});
    EXPECT_EQ(b.exitCode, 1);
    EXPECT_FALSE(b.crashed);
    EXPECT_EQ(b.err, QByteArray("'abc' is not a valid integer value.\n"
                                "ldpn: cannot open a display to show the error: the Qt platform "
                                "plugin \"daypane-no-such-platform\" is not installed\n"));
}

TEST(Startup, ADisplayThatGoesAwayAfterTheProbesEndsWithOneLineAndNoCoreDump)
{
    if (!onADisplay())
        GTEST_SKIP() << "needs the virtual display the test runs on";
    // The probe looks once and gets through; the connection of the window's own is dropped.
    VanishingDisplay display(1);
    ASSERT_FALSE(display.name().isEmpty()) << "no free port for the display";
    e2e::Run run;
    run.env << "DISPLAY=" + display.name();
    const auto r = run.ldpn({"http://intra/", "/F"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.crashed);
    // With Qt's reason.
    EXPECT_EQ(r.err,
              e2e::kNoNetWareClient +
                  "ldpn: cannot open a display to show the window: could not connect to display " +
                  display.name().toUtf8() + "\n");
    EXPECT_GE(display.connections(), 2); // the window's connection was tried, and dropped
}

// A local display whose server takes the connection and never answers (its socket in the
// abstract namespace, where the X library looks first): the login goes on within seconds.
TEST(Startup, ADisplayThatNeverAnswersEndsTheLoginInTime)
{
    int listener = -1;
    QByteArray display;
    for (int n = 31100; n < 31200 && display.isEmpty(); ++n) {
        if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
            continue;
        listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        const QByteArray name = "/tmp/.X11-unix/X" + QByteArray::number(n);
        std::memcpy(a.sun_path + 1, name.constData(), std::size_t(name.size()));
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        if (::bind(listener, reinterpret_cast<sockaddr *>(&a), length) == 0 &&
            ::listen(listener, 16) == 0)
            display = ":" + QByteArray::number(n);
        else
            ::close(listener);
    }
    ASSERT_FALSE(display.isEmpty()) << "no free abstract socket for a display";
    e2e::Run run;
    run.env << "DISPLAY=" + QString::fromLatin1(display);
    const auto r = run.ldpn({"http://intra/", "/F"}); // hung here for ever before
    ::close(listener);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.err, e2e::kNoNetWareClient +
                         "ldpn: cannot open a display to show the window: the X display " +
                         display + " takes connections but does not answer\n");
}

TEST(Startup, DuePageShowsTheWindowWithTheDecisionsCaption)
{
    if (!onADisplay())
        GTEST_SKIP() << "needs the virtual display the test runs on";
    e2e::Run run; // no directory client: the previous login is day 0
    run.useDisplay();
    e2e::Background ldpn(run, {"http://intra/", "/N"});
    ASSERT_TRUE(ldpn.waitForShown()) << ldpn.err().toStdString();
    const auto w = e2e::waitForWindow(QStringLiteral("Last Login"), 20000, &ldpn);
    ASSERT_TRUE(w.has_value()) << ldpn.err().toStdString();
    EXPECT_EQ(w->name, QStringLiteral("\u00B7 Last Login: 30 Dec 1899"));
    EXPECT_EQ(w->width, 600);
    EXPECT_EQ(w->height, 335);
    EXPECT_TRUE(ldpn.err().startsWith(e2e::kNoNetWareClient + "daypane.startup: decision: show\n"))
        << ldpn.err().toStdString();
}

TEST(Startup, TheEndingPathLoadsNoGuiLibrary)
{
    e2e::Run run;
    testsupport::writeFile(run.stampPath(), "1\r\n"); // not due on any day: 99999 days to go
    run.env << "LD_DEBUG=files";
    const auto r = run.ldpn({"http://intra/", "99999"});
    EXPECT_EQ(r.exitCode, 0);
    // The dynamic loader names every library it opens on standard error.
    for (const char *lib : {"libQt6Gui", "libQt6Widgets", "libQt6WebEngine", "libfontconfig",
                            "libxcb.so", "libdaypane-gui", "daypane_webview", "daypane-ldap"})
        EXPECT_FALSE(r.err.contains(lib)) << lib;
    EXPECT_TRUE(r.err.contains("libQt6Core")); // the trace itself works
}

TEST(Startup, ErrorOnADisplayShowsTheBoxAndNoWindow)
{
    if (!onADisplay())
        GTEST_SKIP() << "needs the virtual display the test runs on";
    e2e::Run run;
    run.useDisplay();
    e2e::Background ldpn(run, {"http://intra/", "abc"});
    // The line comes before the box.
    ASSERT_TRUE(ldpn.waitForLine("'abc' is not a valid integer value."))
        << ldpn.err().toStdString();
    const auto box = e2e::waitForWindow(QStringLiteral("Daypane"), 20000, &ldpn);
    ASSERT_TRUE(box.has_value()) << ldpn.err().toStdString();
    EXPECT_EQ(box->name, QStringLiteral("Daypane"));
    // An error never makes the window.
    EXPECT_FALSE(e2e::waitForWindow(QStringLiteral("Last Login"), 0).has_value());
}

} // namespace
