#include "platform/systeminfo.h"
#include "testsupport.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace platform;

namespace {

TEST(SystemQueries, EnvironmentVariableRespectsTheBuffer)
{
    testsupport::ScopedEnv v("DAYPANE_TEST_VAR", "abcdef");
    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(systemQueries().GetEnvironmentVariableA("DAYPANE_TEST_VAR", buf, sizeof buf), 6u);
    EXPECT_STREQ(buf, "abcdef");

    char small[6];
    std::memset(small, 'x', sizeof small);
    // Too small: the size needed, terminator included, and nothing written past the buffer.
    EXPECT_EQ(systemQueries().GetEnvironmentVariableA("DAYPANE_TEST_VAR", small, sizeof small), 7u);
    EXPECT_EQ(systemQueries().GetEnvironmentVariableA("DAYPANE_UNSET_VAR", buf, sizeof buf), 0u);
}

TEST(SystemQueries, TempPathEndsWithSeparator)
{
    char buf[260] = {};
    {
        testsupport::ScopedEnv t("TMPDIR", "/var/tmp");
        systemQueries().GetTempPathA(sizeof buf, buf);
        EXPECT_STREQ(buf, "/var/tmp/");
    }
    testsupport::ScopedEnv t("TMPDIR", nullptr);
    systemQueries().GetTempPathA(sizeof buf, buf);
    EXPECT_STREQ(buf, "/tmp/");
}

TEST(SystemQueries, NamesFailWhenTheyDoNotFit)
{
    // The names as they are, from buffers large enough.
    char user[256] = {};
    std::uint32_t userSize = sizeof user;
    ASSERT_TRUE(systemQueries().GetUserNameA(user, &userSize));
    const std::uint32_t userLength = std::uint32_t(std::strlen(user));
    ASSERT_GT(userLength, 0u);
    EXPECT_EQ(userSize, userLength + 1); // with the terminator
    char host[256] = {};
    std::uint32_t hostSize = sizeof host;
    ASSERT_TRUE(systemQueries().GetComputerNameA(host, &hostSize));
    const std::uint32_t hostLength = std::uint32_t(std::strlen(host));
    ASSERT_GT(hostLength, 0u);
    EXPECT_EQ(hostSize, hostLength); // without it

    // One byte short of the terminator: failure, the size needed, nothing written past it.
    const auto tooSmall = [](auto query, std::uint32_t length) {
        std::vector<char> buffer(length + 8, '#');
        std::uint32_t size = length;
        EXPECT_FALSE(query(buffer.data(), &size));
        EXPECT_EQ(size, length + 1);
        for (std::size_t i = length; i < buffer.size(); ++i)
            EXPECT_EQ(buffer[i], '#') << "written past the buffer at " << i;
    };
    tooSmall([](char *b, std::uint32_t *n) { return systemQueries().GetUserNameA(b, n); },
             userLength);
    tooSmall([](char *b, std::uint32_t *n) { return systemQueries().GetComputerNameA(b, n); },
             hostLength);

    // Exactly large enough: success.
    std::vector<char> exact(userLength + 1, '#');
    std::uint32_t exactSize = userLength + 1;
    EXPECT_TRUE(systemQueries().GetUserNameA(exact.data(), &exactSize));
    EXPECT_STREQ(exact.data(), user);
}

TEST(SystemQueries, VersionNamesTheSystem)
{
    OSVersionInfoA info;
    ASSERT_TRUE(systemQueries().GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_POSIX);
    EXPECT_EQ(systemQueries().platformName(), "Linux");
    OSVersionInfoA wrongSize;
    wrongSize.dwOSVersionInfoSize = 20;
    EXPECT_FALSE(systemQueries().GetVersionExA(&wrongSize));
}

} // namespace
