#include "framework/application.h"
#include "framework/exception.h"

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

} // namespace
