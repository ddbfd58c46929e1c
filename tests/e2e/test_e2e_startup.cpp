#include "e2e.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

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
        GTEST_SKIP() << "libfaketime is not installed";
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
    EXPECT_EQ(r.err, QByteArray("ldpn: cannot open a display to show the window\n"));
    // An unreachable display is the same as none.
    e2e::Run unreachable;
    unreachable.env << "DISPLAY=:9999";
    const auto u = unreachable.ldpn({"http://intra/", "/F"});
    EXPECT_EQ(u.exitCode, 1);
    EXPECT_FALSE(u.crashed);
}

TEST(Startup, DuePageShowsTheWindowWithTheDecisionsCaption)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs the virtual display the test runs on";
    e2e::Run run; // no directory client: the previous login is day 0
    run.useDisplay();
    e2e::Background ldpn(run, {"http://intra/", "/N"});
    const auto w = e2e::waitForWindow(QStringLiteral("Last Login"));
    ASSERT_TRUE(w.has_value());
    EXPECT_EQ(w->name, QStringLiteral("  \u00B7 Last Login: 30 Dec 1899"));
    EXPECT_EQ(w->width, 600);
    EXPECT_EQ(w->height, 335);
}

TEST(Startup, TheEndingPathLoadsNoGuiLibrary)
{
    if (e2e::fakeTimeLibrary().isEmpty())
        GTEST_SKIP() << "libfaketime is not installed";
    e2e::Run run("2026-07-19 10:00:00");
    testsupport::writeFile(run.stampPath(), "200\r\n");
    run.env << "LD_DEBUG=files";
    const auto r = run.ldpn({"http://intra/", "7"});
    EXPECT_EQ(r.exitCode, 0);
    // The dynamic loader names every library it opens on standard error.
    for (const char *lib : {"libQt6Gui", "libQt6Widgets", "libQt6WebEngine", "libfontconfig",
                            "libxcb.so", "daypane-gui", "daypane_webview", "daypane-ldap"})
        EXPECT_FALSE(r.err.contains(lib)) << lib;
    EXPECT_TRUE(r.err.contains("libQt6Core")); // the trace itself works
}

TEST(Startup, ErrorOnADisplayShowsTheBoxAndNoWindow)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs the virtual display the test runs on";
    e2e::Run run;
    run.useDisplay();
    e2e::Background ldpn(run, {"http://intra/", "abc"});
    const auto box = e2e::waitForWindow(QStringLiteral("Daypane"));
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->name, QStringLiteral("Daypane"));
    EXPECT_FALSE(e2e::waitForWindow(QStringLiteral("Last Login"), 500).has_value());
    ldpn.process().waitForReadyRead(2000);
    EXPECT_TRUE(
        ldpn.process().readAllStandardError().contains("'abc' is not a valid integer value.\n"));
}

} // namespace
