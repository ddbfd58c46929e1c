#include "platform/display.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <vector>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace platform;

namespace {

// A connection that fails a given number of times, and a clock that only adds up the pauses.
struct FakeServer
{
    int failures = 0;
    int attempts = 0;
    std::vector<int> pauses;
    std::vector<int> limits; // the time each attempt was given

    DisplayProbe probe(int budgetMs = 5000, bool mayExist = true)
    {
        DisplayProbe p;
        p.connect = [this](int ms) {
            limits.push_back(ms);
            return ++attempts > failures ? DisplayAnswer::Answers : DisplayAnswer::Absent;
        };
        p.sleep = [this](int ms) { pauses.push_back(ms); };
        p.budgetMs = budgetMs;
        p.mayExist = mayExist;
        return p;
    }
    int waited() const
    {
        int sum = 0;
        for (int ms : pauses)
            sum += ms;
        return sum;
    }
};

TEST(DisplayProbe, ABusyServerIsAskedAgainWithGrowingPauses)
{
    FakeServer server;
    server.failures = 3;
    EXPECT_EQ(probeDisplay(server.probe()), DisplayAnswer::Answers);
    EXPECT_EQ(server.attempts, 4);
    ASSERT_EQ(server.pauses.size(), 3u);
    EXPECT_LT(server.pauses[0], server.pauses[1]);
    EXPECT_LT(server.pauses[1], server.pauses[2]);
}

TEST(DisplayProbe, GivesUpWhenThePausesHaveUsedTheBudget)
{
    FakeServer server;
    server.failures = 1000;
    EXPECT_EQ(probeDisplay(server.probe(5000)), DisplayAnswer::Absent);
    EXPECT_EQ(server.waited(), 5000);
    EXPECT_GT(server.attempts, 5);
    EXPECT_LE(server.attempts, 20);
    for (int ms : server.pauses)
        EXPECT_LE(ms, 1000);
    // Each attempt may only use what the pauses left of the budget (and a little at the end).
    int waited = 0;
    for (std::size_t i = 0; i < server.limits.size(); ++i) {
        EXPECT_EQ(server.limits[i], std::max(5000 - waited, 500)) << i;
        if (i < server.pauses.size())
            waited += server.pauses[i];
    }
}

TEST(DisplayProbe, AnswersAtOnceWhenTheFirstAttemptDecides)
{
    FakeServer reachable;
    EXPECT_EQ(probeDisplay(reachable.probe()), DisplayAnswer::Answers);
    EXPECT_EQ(reachable.attempts, 1);
    EXPECT_TRUE(reachable.pauses.empty());
    // A display that does not exist is not waited for.
    FakeServer absent;
    absent.failures = 1000;
    EXPECT_EQ(probeDisplay(absent.probe(5000, false)), DisplayAnswer::Absent);
    EXPECT_EQ(absent.attempts, 1);
    EXPECT_TRUE(absent.pauses.empty());
    // Nor one that took the connection and said nothing for the whole budget.
    DisplayProbe silent;
    int attempts = 0;
    silent.connect = [&attempts](int) { return ++attempts, DisplayAnswer::Silent; };
    silent.sleep = [](int) { ADD_FAILURE() << "paused after a silent server"; };
    EXPECT_EQ(probeDisplay(silent), DisplayAnswer::Silent);
    EXPECT_EQ(attempts, 1);
}

TEST(DisplayProbe, LocalDisplaysHaveASocketFile)
{
    const std::pair<const char *, const char *> rows[] = {
        {":0", "/tmp/.X11-unix/X0"},
        {":12.1", "/tmp/.X11-unix/X12"},
        {"unix:3", "/tmp/.X11-unix/X3"},
        {"host:0", ""},
        {"localhost:10.0", ""},
        {":", ""},
        {":x", ""},
        {"", ""},
    };
    for (const auto &[display, socket] : rows)
        EXPECT_EQ(xSocketPath(QString::fromLatin1(display)), QString::fromLatin1(socket))
            << display;
    EXPECT_EQ(waylandSocketPath("wayland-1", "/run/user/7"), QStringLiteral("/run/user/7/wayland-1"));
    EXPECT_EQ(waylandSocketPath("", "/run/user/7"), QStringLiteral("/run/user/7/wayland-0"));
    EXPECT_EQ(waylandSocketPath("/srv/w/sock", ""), QStringLiteral("/srv/w/sock"));
    EXPECT_EQ(waylandSocketPath("wayland-1", ""), QString());
}

// A unix socket that takes every connection and never says a word; `abstractName` binds it in
// the abstract namespace, where libxcb looks first for a local display.
class SilentServer
{
public:
    explicit SilentServer(const QByteArray &path, bool abstract = false)
    {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        const std::size_t offset = abstract ? 1 : 0;
        if (m_fd < 0 || std::size_t(path.size()) + offset >= sizeof a.sun_path)
            return;
        std::memcpy(a.sun_path + offset, path.constData(), std::size_t(path.size()));
        const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size());
        m_listening = ::bind(m_fd, reinterpret_cast<sockaddr *>(&a), length) == 0 &&
                      ::listen(m_fd, 16) == 0;
    }
    ~SilentServer()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool listening() const { return m_listening; }

private:
    int m_fd = -1;
    bool m_listening = false;
};

// A local X display number nobody uses, held by a silent server on its abstract socket.
struct SilentX
{
    std::unique_ptr<SilentServer> server;
    QByteArray display;
    SilentX()
    {
        for (int n = 31000; n < 31100 && display.isEmpty(); ++n) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
                continue;
            auto s = std::make_unique<SilentServer>("/tmp/.X11-unix/X" + QByteArray::number(n), true);
            if (s->listening()) {
                server = std::move(s);
                display = ":" + QByteArray::number(n);
            }
        }
    }
};

TEST(DisplayConnection, AServerThatTakesTheConnectionAndNeverAnswersIsLeftInTime)
{
    SilentX x;
    ASSERT_FALSE(x.display.isEmpty()) << "no free abstract socket for a display";
    // Before, the X attempt waited for ever; each now ends with the time it was given.
    EXPECT_EQ(connectX11(x.display, 300), DisplayAnswer::Silent);
    DisplayProbe probe;
    probe.connect = [&x](int ms) { return connectX11(x.display, ms); };
    probe.budgetMs = 300;
    EXPECT_EQ(probeDisplay(probe), DisplayAnswer::Silent);

    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("wayland-silent")));
    SilentServer wayland(path);
    ASSERT_TRUE(wayland.listening());
    EXPECT_EQ(connectWayland(QFile::decodeName(path), 300), DisplayAnswer::Silent);
    // Nothing listening at all is absent, not silent.
    EXPECT_EQ(connectWayland(dir.filePath(QStringLiteral("none")), 300), DisplayAnswer::Absent);
}

// The platform chosen for each kind of session, with stand-ins for the servers: the X display
// ":1" and the Wayland display "wayland-1" (or Qt's default "wayland-0") answer as each row says.
TEST(PlatformChoice, FollowsTheSessionAndObeysTheUser)
{
    struct Row
    {
        const char *name;
        QByteArray qpa, display, wayland;
        DisplayAnswer x, w;
        PlatformChoice::Kind kind;
        QByteArray platform;
        const char *why = ""; // the reason given with None, when there is more to say
        QByteArray runtime = "/run/user/7";
    };
    using A = DisplayAnswer;
    using K = PlatformChoice;
    const char *silentX = "the X display :1 takes connections but does not answer";
    const char *silentWayland = "the Wayland display wayland-1 takes connections but does not answer";
    const Row rows[] = {
        {"X11 alone", "", ":1", "", A::Answers, A::Absent, K::X11, "xcb"},
        {"Xwayland beside Wayland: X11, where the window stays on top", "", ":1", "wayland-1",
         A::Answers, A::Answers, K::X11, "xcb"},
        {"Wayland alone", "", "", "wayland-1", A::Absent, A::Answers, K::Wayland, "wayland"},
        {"a dead X server beside a live Wayland one", "", ":1", "wayland-1", A::Absent,
         A::Answers, K::Wayland, "wayland"},
        {"a silent X server beside a live Wayland one", "", ":1", "wayland-1", A::Silent,
         A::Answers, K::Wayland, "wayland"},
        {"nothing at all", "", "", "", A::Absent, A::Absent, K::None, ""},
        {"a dead X server alone", "", ":1", "", A::Absent, A::Absent, K::None, ""},
        {"a silent X server alone", "", ":1", "", A::Silent, A::Absent, K::None, "", silentX},
        {"a silent compositor alone", "", "", "wayland-1", A::Absent, A::Silent, K::None, "",
         silentWayland},
        {"a silent X server beside a silent compositor: X is named", "", ":1", "wayland-1",
         A::Silent, A::Silent, K::None, "", silentX},
        {"a dead X server beside a silent compositor: the compositor is named", "", ":1",
         "wayland-1", A::Absent, A::Silent, K::None, "", silentWayland},
        {"a compositor's socket without WAYLAND_DISPLAY is no Wayland session", "", "", "",
         A::Absent, A::Answers, K::None, ""},
        {"WAYLAND_DISPLAY as a path needs no runtime folder", "", "", "/run/user/7/wayland-1",
         A::Absent, A::Answers, K::Wayland, "wayland", "", ""},
        {"a Wayland name without a runtime folder cannot be found", "", "", "wayland-1",
         A::Absent, A::Answers, K::None, "", "", ""},
        {"an empty QT_QPA_PLATFORM is unset", " ", "", "wayland-1", A::Absent, A::Answers,
         K::Wayland, "wayland"},
        {"xcb;wayland with no DISPLAY: Qt goes on to Wayland", "xcb;wayland", "", "wayland-1",
         A::Absent, A::Answers, K::AsGiven, ""},
        {"xcb;wayland with a dead X server", "xcb;wayland", ":1", "wayland-1", A::Absent,
         A::Answers, K::AsGiven, ""},
        {"xcb given, a silent X server would hang Qt", "xcb", ":1", "", A::Silent, A::Absent,
         K::None, "", silentX},
        {"xcb given with a display of its own: DISPLAY is not looked at", "xcb:displayname=:5",
         ":1", "", A::Silent, A::Absent, K::AsGiven, ""},
        {"wayland given without WAYLAND_DISPLAY: Qt's wayland-0, silent, would hang Qt",
         "wayland", "", "", A::Absent, A::Silent, K::None, "",
         "the Wayland display wayland-0 takes connections but does not answer"},
        {"wayland given beside X11", "wayland", ":1", "wayland-1", A::Answers, A::Answers,
         K::AsGiven, ""},
        {"wayland given where no socket can be found: Qt says why", "wayland", "", "wayland-1",
         A::Absent, A::Silent, K::AsGiven, "", "", ""},
        {"a platform without a server", "offscreen", "", "", A::Absent, A::Absent, K::AsGiven,
         ""},
        {"given names that nothing answers: Qt says why", "wayland;xcb", "", "", A::Absent,
         A::Absent, K::AsGiven, ""},
    };
    for (const Row &row : rows) {
        SessionDisplays session;
        session.platform = row.qpa;
        session.x11Display = row.display;
        session.waylandDisplay = row.wayland;
        session.runtimeDir = row.runtime;
        DisplayProbes probes;
        probes.x11 = [&row](const QByteArray &d) {
            EXPECT_EQ(d, row.display) << row.name;
            return row.x;
        };
        probes.wayland = [&row](const QString &socket) {
            const bool known = socket == QLatin1String("/run/user/7/wayland-1") ||
                               socket == QLatin1String("/run/user/7/wayland-0");
            return known ? row.w : DisplayAnswer::Absent;
        };
        const PlatformChoice c = choosePlatform(session, probes);
        EXPECT_EQ(c.kind, row.kind) << row.name;
        EXPECT_EQ(c.platform, row.platform) << row.name;
        EXPECT_EQ(c.reason, QLatin1String(row.why)) << row.name << ": " << c.reason.toStdString();
    }
}

} // namespace
