#include "platform/dynlib.h"
#include "platform/systeminfo.h"
#include "testsupport.h"

#include <gtest/gtest.h>

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
    char buf[2] = {};
    std::uint32_t size = sizeof buf;
    EXPECT_FALSE(systemQueries().GetUserNameA(buf, &size) && size > sizeof buf);
    char big[256] = {};
    std::uint32_t bigSize = sizeof big;
    EXPECT_TRUE(systemQueries().GetComputerNameA(big, &bigSize));
    EXPECT_EQ(std::strlen(big), bigSize);
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

TEST(DynamicLibraries, ClientNamesMapToSharedObjects)
{
    EXPECT_EQ(libraryFileName("CALWIN32.DLL"), "libcalwin32.so");
    EXPECT_EQ(libraryFileName("LocWin32.dll"), "liblocwin32.so");
    EXPECT_EQ(LoadLibraryA("NOSUCHCLIENT.DLL"), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "x"), nullptr);
}

} // namespace
