// Pure helpers of the directory layer: no client is loaded.
#include "clientlibrary.h"
#include "netware/Nwtools.h"
#include "netware/nwNDS.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace nw;

struct TimeCase
{
    const char *name;
    std::uint32_t seconds;
    double expected;
};

class TimeToDateTime : public ::testing::TestWithParam<TimeCase>
{
};

TEST_P(TimeToDateTime, ConvertsSecondsSince1970)
{
    EXPECT_NEAR(NDSTimeToDateTime(GetParam().seconds), GetParam().expected, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Nwtools, TimeToDateTime,
    ::testing::Values(TimeCase{"epoch", 0, 25569.0},
                      TimeCase{"lastSecondOfFirstDay", 86399, 25569.999988425927},
                      TimeCase{"lastSignedSecond", 2147483647, 50424.13480324074},
                      // The count is unsigned: 2038 goes on to 2106 instead of wrapping to 1901.
                      TimeCase{"twoToThe31st", 0x80000000u, 50424.13481481482},
                      TimeCase{"largestValue", 0xFFFFFFFFu, 75279.26961805555}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Nwtools, TrimBlanksRemovesTrailingControlsAndBlanksThenLeadingBlanks)
{
    EXPECT_EQ(TrimBlanks(QStringLiteral("  Sales.Acme  ")), QStringLiteral("Sales.Acme"));
    EXPECT_EQ(TrimBlanks(QString::fromLatin1("Acme\x01\x02 \0", 8)), QStringLiteral("Acme"));
    EXPECT_EQ(TrimBlanks(QStringLiteral("    ")), QString());
    // A tab is not a blank here: only codes 0, 1, 2 and 32 go at the end, spaces at the start.
    EXPECT_EQ(TrimBlanks(QStringLiteral("\tAcme\t")), QStringLiteral("\tAcme\t"));
    EXPECT_EQ(TrimBlanks(QString::fromLatin1("\x01 Acme", 6)), QString::fromLatin1("\x01 Acme", 6));
}

TEST(Nwtools, ErrorTextIsUpperHexWithAtLeastFourDigits)
{
    EXPECT_EQ(ErrorText(0), QStringLiteral("0000"));
    EXPECT_EQ(ErrorText(0xFFFF), QStringLiteral("FFFF"));
    EXPECT_EQ(ErrorText(0x89fc), QStringLiteral("89FC"));
    EXPECT_EQ(ErrorText(0xFFFFFFFF), QStringLiteral("FFFFFFFF"));
    EXPECT_EQ(ErrorText(0x12345), QStringLiteral("12345"));
}

TEST(Nwtools, FixedBuffersAreCutAndTerminated)
{
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    PutText(buffer, sizeof buffer, QStringLiteral("abcdefghij"));
    EXPECT_STREQ(buffer, "abcdefg");

    // A client that filled every byte: the text ends at the last one.
    char full[8];
    std::memset(full, 'y', sizeof full);
    EXPECT_EQ(TakeText(full, sizeof full), QStringLiteral("yyyyyyy"));
    EXPECT_EQ(full[7], '\0');
}

TEST(Nwtools, AttributeNameTable)
{
    EXPECT_EQ(NDSAttributeName(0), QStringLiteral("Account Balance"));
    EXPECT_EQ(NDSAttributeName(15), QStringLiteral("Object Class"));
    EXPECT_EQ(NDSAttributeName(81), QStringLiteral("Object Class"));
    EXPECT_EQ(NDSAttributeName(23), QStringLiteral("Revision"));
    EXPECT_EQ(NDSAttributeName(117), QStringLiteral("Revision"));
    EXPECT_EQ(NDSAttributeName(30), QStringLiteral("Full Name"));
    EXPECT_EQ(NDSAttributeName(47), QStringLiteral("Last Login Time"));
    EXPECT_EQ(NDSAttributeName(144), QStringLiteral("App:Associations"));
    EXPECT_EQ(NDSAttributeName(160), QStringLiteral("T"));
    EXPECT_EQ(NDSAttributeName(161), QString());
    EXPECT_EQ(NDSAttributeName(255), QString());
    // Every name fits the client's 34-byte name buffer with its terminator.
    for (int i = 0; i < kAttributeCount; ++i)
        EXPECT_LE(NDSAttributeName(std::uint8_t(i)).size(), 31) << i;
}

TEST(ClientLibraries, AreNamedTheWindowsWayAndFoundAsSharedObjects)
{
    EXPECT_EQ(libraryFileName("CALWIN32.DLL"), "libcalwin32.so");
    EXPECT_EQ(libraryFileName("LocWin32.dll"), "liblocwin32.so");
    QString why;
    EXPECT_EQ(LoadLibraryA("NOSUCHCLIENT.DLL", &why), nullptr);
    EXPECT_EQ(why, "libnosuchclient.so: cannot open shared object file: No such file or directory");
    EXPECT_EQ(LoadLibraryA("", &why), nullptr);
    EXPECT_EQ(why, "no library name");
    EXPECT_EQ(GetProcAddress(nullptr, "x"), nullptr);
}
