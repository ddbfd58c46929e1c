#include "app/phasetwo.h"
#include "e2e.h"

#include <QDir>
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

// What a case that reads and dismisses a box needs besides the display; empty when all is there.
std::string missingBoxTools()
{
    if (!e2e::haveCommand(QStringLiteral("xdotool")))
        return "xdotool is not installed (package xdotool)";
    if (!e2e::haveCommand(QStringLiteral("xclip")))
        return "xclip is not installed (package xclip)";
    return {};
}

// The lines of standard error that name `file`.
QList<QByteArray> linesNaming(const QByteArray &err, const QByteArray &file)
{
    QList<QByteArray> named;
    for (const QByteArray &line : err.split('\n'))
        if (line.contains(file))
            named << line;
    return named;
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

// A decision error on a display: the line on standard error, then the box with the program's
// title and the same text, which waits for the user; Enter dismisses it and the program ends
// with status 1, never having made the window.
TEST(Startup, ADecisionErrorOnADisplayIsABoxThatEnterDismissesWithStatusOne)
{
    if (!onADisplay())
        GTEST_SKIP() << "needs the virtual display the test runs on";
    if (const std::string missing = missingBoxTools(); !missing.empty())
        GTEST_SKIP() << missing;
    e2e::Run run;
    run.useDisplay();
    e2e::Background ldpn(run, {"http://intra/", "abc"});
    const QByteArray line = "'abc' is not a valid integer value.";
    // The line comes before the box.
    ASSERT_TRUE(ldpn.waitForLine(line)) << ldpn.err().toStdString();
    const auto box = e2e::waitForWindow(QStringLiteral("Daypane"), 20000, &ldpn);
    ASSERT_TRUE(box.has_value()) << ldpn.err().toStdString();
    EXPECT_EQ(box->name, QStringLiteral("Daypane"));
    EXPECT_EQ(e2e::boxText(*box, &ldpn).toStdString(), line.toStdString());
    EXPECT_TRUE(ldpn.running()) << "the box did not wait for the user";
    // An error never makes the window.
    EXPECT_FALSE(e2e::waitForWindow(QStringLiteral("Last Login"), 0).has_value());

    e2e::pressKey(*box, QStringLiteral("Return"));
    ASSERT_TRUE(ldpn.waitForEnd()) << "Enter did not dismiss the box";
    EXPECT_EQ(ldpn.exitCode(), 1);
    EXPECT_FALSE(ldpn.crashed());
    EXPECT_EQ(ldpn.err().count(line + '\n'), 1) << ldpn.err().toStdString();
    EXPECT_FALSE(ldpn.err().contains("window shown")) << ldpn.err().toStdString();
}

// A package that lost its window module: a login that would show the window or an error box
// ends with one line naming the file and status 1, without a crash and without a window; a
// decision error still says what it was first.
TEST(Startup, WithoutTheWindowModuleALoginThatWouldShowSomethingEndsNamingTheFile)
{
    const e2e::ProgramTree tree({QStringLiteral("libdaypane-gui.so")});
    ASSERT_TRUE(tree.made());
    const struct
    {
        const char *name;
        QStringList args;
        bool display;
        QByteArray firstLine; // what comes before the module's line, besides the directory's
    } cases[] = {
        {"a due page on a display", {"http://intra/", "/F"}, true, {}},
        {"a decision error on a display",
         {"http://intra/", "abc"},
         true,
         "'abc' is not a valid integer value.\n"},
        {"a due page without a display", {"http://intra/", "/F"}, false, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        e2e::Run run;
        run.program = tree.ldpn();
        if (c.display && onADisplay())
            run.useDisplay();
        e2e::Background ldpn(run, c.args);
        ASSERT_TRUE(ldpn.waitForEnd()) << ldpn.err().toStdString();
        EXPECT_EQ(ldpn.exitCode(), 1);
        EXPECT_FALSE(ldpn.crashed());
        QByteArray err = ldpn.err();
        const QList<QByteArray> named = linesNaming(err, "libdaypane-gui.so");
        ASSERT_EQ(named.size(), 1) << err.toStdString();
        EXPECT_TRUE(named.first().startsWith("ldpn: ")) << err.toStdString();
        if (err.startsWith(e2e::kNoNetWareClient))
            err.remove(0, e2e::kNoNetWareClient.size());
        err.remove(0, err.indexOf('\n') + 1); // the decision's milestone
        EXPECT_TRUE(err.startsWith(c.firstLine + named.first() + '\n')) << err.toStdString();
        EXPECT_FALSE(err.contains("window shown")) << err.toStdString();
    }
}

// A package that lost its web view plugin: the page is due, the box on the display names the
// missing file (and standard error has the same line), and once dismissed the program ends
// with status 1; the window never appears.
TEST(Startup, WithoutTheWebViewPluginTheBoxNamesItAndTheProgramEndsWithStatusOne)
{
    if (!onADisplay())
        GTEST_SKIP() << "needs the virtual display the test runs on";
    if (const std::string missing = missingBoxTools(); !missing.empty())
        GTEST_SKIP() << missing;
    const e2e::ProgramTree tree({QStringLiteral("libdaypane_webview.so")});
    ASSERT_TRUE(tree.made());
    e2e::Run run;
    run.program = tree.ldpn();
    run.useDisplay();
    e2e::Background ldpn(run, {"http://intra/", "/F"});
    const auto box = e2e::waitForWindow(QStringLiteral("Daypane"), 30000, &ldpn);
    ASSERT_TRUE(box.has_value()) << ldpn.err().toStdString();
    const QString text = e2e::boxText(*box, &ldpn);
    EXPECT_TRUE(text.contains(QDir(tree.libraries()).filePath("libdaypane_webview.so")))
        << text.toStdString();
    EXPECT_TRUE(ldpn.err().contains('\n' + text.toUtf8() + '\n')) << ldpn.err().toStdString();
    EXPECT_FALSE(e2e::waitForWindow(QStringLiteral("Last Login"), 0).has_value());

    e2e::pressKey(*box, QStringLiteral("Return"));
    ASSERT_TRUE(ldpn.waitForEnd()) << "Enter did not dismiss the box";
    EXPECT_EQ(ldpn.exitCode(), 1);
    EXPECT_FALSE(ldpn.crashed());
    EXPECT_FALSE(ldpn.err().contains("window shown")) << ldpn.err().toStdString();
}

} // namespace
