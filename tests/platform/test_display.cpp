#include "platform/display.h"

#include <gtest/gtest.h>
#include <vector>

using namespace platform;

namespace {

// A connection that fails a given number of times, and a clock that only adds up the pauses.
struct FakeServer
{
    int failures = 0;
    int attempts = 0;
    std::vector<int> pauses;

    DisplayProbe probe(int budgetMs = 5000, bool mayExist = true)
    {
        DisplayProbe p;
        p.connect = [this] { return ++attempts > failures; };
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
    EXPECT_TRUE(probeDisplay(server.probe()));
    EXPECT_EQ(server.attempts, 4);
    ASSERT_EQ(server.pauses.size(), 3u);
    EXPECT_LT(server.pauses[0], server.pauses[1]);
    EXPECT_LT(server.pauses[1], server.pauses[2]);
}

TEST(DisplayProbe, GivesUpWhenThePausesHaveUsedTheBudget)
{
    FakeServer server;
    server.failures = 1000;
    EXPECT_FALSE(probeDisplay(server.probe(5000)));
    EXPECT_EQ(server.waited(), 5000);
    EXPECT_GT(server.attempts, 5);
    EXPECT_LE(server.attempts, 20);
    for (int ms : server.pauses)
        EXPECT_LE(ms, 1000);
}

TEST(DisplayProbe, AnswersAtOnceWhenTheFirstAttemptDecides)
{
    FakeServer reachable;
    EXPECT_TRUE(probeDisplay(reachable.probe()));
    EXPECT_EQ(reachable.attempts, 1);
    EXPECT_TRUE(reachable.pauses.empty());
    // A display that does not exist is not waited for.
    FakeServer absent;
    absent.failures = 1000;
    EXPECT_FALSE(probeDisplay(absent.probe(5000, false)));
    EXPECT_EQ(absent.attempts, 1);
    EXPECT_TRUE(absent.pauses.empty());
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
}

} // namespace
