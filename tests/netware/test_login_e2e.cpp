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

// The day the runs take place, far from midnight in any zone: the program and the stand-in
// inside it both see it, so "today" and "yesterday" mean the same to both.
constexpr const char *kToday = "2026-07-19 10:00:00";

// ldpn with the full stand-in serving a directory whose previous login is given, in a zone
// far from UTC so that a missing conversion would show.
struct LoginRun : e2e::Run
{
    explicit LoginRun(const char *lastLogin) : e2e::Run(kToday)
    {
        testsupport::writeFile(home.path() + "/directory.tree", tree(lastLogin));
        env << "LD_LIBRARY_PATH=" NWSIM_FULL_DIR
            << "NWSIM_DIRECTORY=" + home.path() + "/directory.tree"
            << "TZ=Asia/Tokyo";
    }
};

constexpr const char *kNoDisplay = "ldpn: cannot open a display to show the window";

} // namespace

TEST(LoginEndToEnd, NormalModeEndsSilentlyWhenThePreviousLoginWasToday)
{
    LoginRun run("today 00:00:01");
    const auto r = run.ldpn({"https://intranet.example/news", "/N"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
}

TEST(LoginEndToEnd, ThePageIsDueAfterYesterdaysLoginAndAlwaysInForceMode)
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

TEST(LoginEndToEnd, TheCaptionNamesTheUserAndThePreviousLoginInLocalTime)
{
    LoginRun run("yesterday 08:15");
    run.useDisplay();
    e2e::Background ldpn(run, {"https://intranet.example/news", "/N"});
    const auto window = e2e::waitForWindow(QStringLiteral("jdoe.Sales.Acme"));
    ASSERT_TRUE(window.has_value()) << ldpn.process().readAllStandardError().constData();
    const QString prefix = QStringLiteral("jdoe.Sales.Acme  \u00B7 Last Login: ");
    EXPECT_TRUE(window->name.startsWith(prefix)) << window->name.toStdString();
    EXPECT_TRUE(window->name.endsWith(QStringLiteral("08:15:00"))) << window->name.toStdString();
    if (!e2e::fakeTimeLibrary().isEmpty()) {
        EXPECT_EQ(window->name, prefix + QStringLiteral("18 Jul 2026 08:15:00"));
    }
}
