// The real binary with the stand-in client: the show decision asks the directory.
#include "../e2e/e2e.h"

#include <gtest/gtest.h>

namespace {

QByteArray tree(const char *lastLogin)
{
    return QByteArray("server FS1 1\nuser CN=jdoe.OU=Sales.O=Acme\n"
                      "object CN=jdoe.OU=Sales.O=Acme\n"
                      "  attribute Last Login Time = time ") +
           lastLogin + "\n";
}

// The moment the runs take place (Tokyo time), fixed through libfaketime: the program and the
// stand-in inside it both see it, so "today" and "yesterday" mean the same to both.
constexpr const char *kNow = "2026-07-19 10:00:00";

// ldpn with the full stand-in serving a directory whose previous login is given, in a zone
// far from UTC so that a missing conversion would show.
struct LoginRun : e2e::Run
{
    explicit LoginRun(const char *lastLogin, const char *now = kNow) : e2e::Run(now)
    {
        testsupport::writeFile(home.path() + "/directory.tree", tree(lastLogin));
        env << "LD_LIBRARY_PATH=" NWSIM_FULL_DIR
            << "NWSIM_DIRECTORY=" + home.path() + "/directory.tree"
            << "TZ=Asia/Tokyo";
    }
};

constexpr const char *kNoDisplay = "ldpn: cannot open a display to show the window";

// Relative login times are relative to the day the program sees: without a fixed one, these
// runs would depend on the real date and fail around midnight.
class LoginEndToEnd : public testing::Test
{
protected:
    void SetUp() override
    {
        if (e2e::fakeTimeLibrary().isEmpty())
            GTEST_SKIP() << e2e::withoutFakeTime();
    }
};

} // namespace

TEST_F(LoginEndToEnd, NormalModeEndsSilentlyWhenThePreviousLoginWasToday)
{
    LoginRun run("today 00:00:01");
    const auto r = run.ldpn({"https://intranet.example/news", "/N"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
}

// The client's time is an unsigned count of seconds: past January 2038 a login of today is
// still today, not a day of 1901 that would make the page due at every login.
TEST_F(LoginEndToEnd, After2038ALoginOfTodayIsStillToday)
{
    LoginRun run("today 00:00:01", "2040-03-01 10:00:00");
    const auto r = run.ldpn({"https://intranet.example/news", "/N"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
}

TEST_F(LoginEndToEnd, ThePageIsDueAfterYesterdaysLoginAndAlwaysInForceMode)
{
    struct Case
    {
        const char *lastLogin;
        const char *mode;
    };
    for (const Case &c : {Case{"yesterday 08:15", "/N"}, Case{"yesterday 08:15", "/F"},
                          Case{"today 00:00:01", "/F"}}) {
        LoginRun run(c.lastLogin);
        const auto r = run.ldpn({"https://intranet.example/news", c.mode});
        EXPECT_EQ(r.exitCode, 1) << c.lastLogin << " " << c.mode;
        EXPECT_TRUE(r.err.contains(kNoDisplay)) << r.err.constData();
    }
}

TEST_F(LoginEndToEnd, TheCaptionNamesTheUserAndThePreviousLoginInLocalTime)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs the virtual display the test runs on";
    LoginRun run("yesterday 08:15");
    run.useDisplay();
    e2e::Background ldpn(run, {"https://intranet.example/news", "/N"});
    ASSERT_TRUE(ldpn.waitForShown()) << ldpn.err().constData();
    const auto window = e2e::waitForWindow(QStringLiteral("jdoe.Sales.Acme"), 20000, &ldpn);
    ASSERT_TRUE(window.has_value()) << ldpn.err().constData();
    // The caption phase one made, whole: the typeless name, then the previous login in Tokyo.
    EXPECT_EQ(window->name,
              QStringLiteral("jdoe.Sales.Acme  \u00B7 Last Login: 18 Jul 2026 08:15:00"));
}

// A logout with the window up: the display closes the connection under it. The program ends
// with one line of its own and status 1, and nothing crashes on the way out (the directory's
// contexts are not freed through a client library whose state is gone).
TEST_F(LoginEndToEnd, TheDisplayGoingAwayUnderTheWindowEndsWithOneLineAndStatusOne)
{
    e2e::OwnDisplay display;
    if (display.name().isEmpty())
        GTEST_SKIP() << display.why().toStdString();
    LoginRun run("yesterday 08:15");
    run.env << "DISPLAY=" + display.name();
    e2e::Background ldpn(run, {"https://intranet.example/news", "/F"});
    ASSERT_TRUE(ldpn.waitForShown()) << ldpn.err().constData();
    display.end();
    ASSERT_TRUE(ldpn.waitForEnd()) << ldpn.err().constData();
    EXPECT_FALSE(ldpn.crashed()) << ldpn.err().constData();
    EXPECT_EQ(ldpn.exitCode(), 1) << ldpn.err().constData();
    const QByteArray err = ldpn.err();
    const QByteArray line = "ldpn: the display closed its connection while the window was shown\n";
    EXPECT_TRUE(err.endsWith(line)) << err.constData();
    EXPECT_EQ(err.count(line), 1) << err.constData();
    EXPECT_FALSE(err.contains("X11")) << err.constData();
}
