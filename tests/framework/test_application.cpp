#include "framework/application.h"
#include "framework/strtoint.h"
#include "framework/usertext.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(ErrorText, FullStopOnlyAfterCharactersThatSortAfterIt)
{
    const std::pair<const char *, const char *> rows[] = {
        {"File not found", "File not found."},
        {"Time zone could not be determined", "Time zone could not be determined."},
        {"'abc' is not a valid integer value", "'abc' is not a valid integer value."},
        {"Ends with a stop.", "Ends with a stop."},
        {"Ends with a quote'", "Ends with a quote'"}, // ' sorts before .
        {"Ends with a digit 5", "Ends with a digit 5."},
        {"Ends in a bracket)", "Ends in a bracket)"},
        {"", ""},
    };
    for (const auto &[in, out] : rows)
        EXPECT_EQ(framework::messageWithFullStop(QString::fromUtf8(in)), QString::fromUtf8(out));
}

TEST(StrToInt, DecimalWithSignInTheSigned32BitRange)
{
    const std::pair<const char *, int> good[] = {{"0", 0},
                                                 {"7", 7},
                                                 {"+7", 7},
                                                 {"-7", -7},
                                                 {"  12", 12},
                                                 {"007", 7},
                                                 {"2147483647", std::numeric_limits<int>::max()},
                                                 {"-2147483648", std::numeric_limits<int>::min()}};
    for (const auto &[text, value] : good)
        EXPECT_EQ(framework::StrToInt(QString::fromLatin1(text)), value) << text;
    for (const char *bad : {"", " ", "+", "-", "abc", "1x", "12 ", "2147483648", "-2147483649",
                            "99999999999999999999", "1.5", "0x10"}) {
        try {
            framework::StrToInt(QString::fromLatin1(bad));
            ADD_FAILURE() << "accepted " << bad;
        } catch (const framework::EConvertError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(bad));
        }
    }
}

TEST(EchoUserText, ControlsAreEscapedLongTextsCutTheRestKept)
{
    const struct
    {
        const char *name;
        QString in;
        QString out;
    } rows[] = {
        {"Plain", "abc", "abc"},
        {"Empty", "", ""},
        {"Nul",
         QString::fromUtf8("1\0"
                           "2",
                           3),
         "1\\02"},
        {"LineEndsAndTab", "a\r\nb\tc", "a\\r\\nb\\tc"},
        {"Escape", "\x1b[31mred", "\\x1b[31mred"},
        {"Delete", QString::fromUtf8("a\x7f"), "a\\x7f"},
        {"C1Control", QString(QChar(0x9b)) + "2J", "\\x9b2J"},
        {"BidiOverride", QString::fromUtf8("a\u202eb"), "a\\u202eb"},
        {"LineSeparator", QString::fromUtf8("a\u2028b"), "a\\u2028b"},
        {"LoneSurrogate", QString(QChar(0xd800)) + "x", "\\ud800x"},
        {"LettersAndSigns", QString::fromUtf8("Stra\u00dfe \U0001F600 C:\\dir"),
         QString::fromUtf8("Stra\u00dfe \U0001F600 C:\\dir")},
        {"SixtyFour", QString(64, 'x'), QString(64, 'x')},
        {"SixtyFive", QString(65, 'x'), QString(64, 'x') + "..."},
        {"CutCountsCharacters", QString(70, QChar(0x07)),
         QStringLiteral("\\x07").repeated(64) + "..."},
    };
    for (const auto &row : rows)
        EXPECT_EQ(framework::echoUserText(row.in), row.out) << row.name;
}

TEST(StrToInt, TheMessageEchoesTheTextEscapedAndCut)
{
    try {
        framework::StrToInt(QString(131072, '9') + "\x1b");
        FAIL();
    } catch (const framework::EConvertError &e) {
        EXPECT_EQ(e.message(), "'" + QString(64, '9') + "...' is not a valid integer value");
    }
}

} // namespace
