// What comes back from or goes to an LDAP server: GeneralizedTime values, filter values, DNs.
#include "directory/generalizedtime.h"
#include "directory/ldapnames.h"

#include <gtest/gtest.h>

using dates::EncodeDate;

namespace {

double at(int y, int mo, int d, double h, double mi = 0, double s = 0)
{
    return EncodeDate(y, std::uint16_t(mo), std::uint16_t(d)) + (h * 3600 + mi * 60 + s) / 86400;
}

} // namespace

TEST(GeneralizedTime, ValidValuesBecomeUtcDateTimes)
{
    struct Case
    {
        const char *text;
        double expected;
    };
    const Case cases[] = {
        {"20261207081500Z", at(2026, 12, 7, 8, 15)},
        {"20261207091500.5+0100", at(2026, 12, 7, 8, 15, 0.5)},
        {"20261207081500,25Z", at(2026, 12, 7, 8, 15, 0.25)},
        {"2026120708Z", at(2026, 12, 7, 8)},
        {"2026120708.5Z", at(2026, 12, 7, 8, 30)},
        {"202612070815Z", at(2026, 12, 7, 8, 15)},
        {"202612070815.5Z", at(2026, 12, 7, 8, 15, 30)},
        {"20261207001500+0100", at(2026, 12, 6, 23, 15)},
        {"20261231231500-0130", at(2027, 1, 1, 0, 45)},
        {"20261207081500+01", at(2026, 12, 7, 7, 15)},
        {"20261207081500-0000", at(2026, 12, 7, 8, 15)},
        {"20240229120000Z", at(2024, 2, 29, 12)},
        {"20161231235960Z", at(2017, 1, 1, 0)}, // a leap second
        {"19700101000000Z", 25569.0},
        {"20261207081500.123456789012345678901234567890Z", at(2026, 12, 7, 8, 15, 0.123456789012)},
        {"99991231235959Z", at(9999, 12, 31, 23, 59, 59)},
    };
    for (const Case &c : cases) {
        const auto v = directory::parseGeneralizedTime(c.text);
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_NEAR(*v, c.expected, 1e-9) << c.text;
    }
}

TEST(GeneralizedTime, BeforeDayZeroTheTimeOfDayIsANegativeFraction)
{
    // 06:00 on 29 December 1899 is -1.25 in the date-time encoding.
    EXPECT_NEAR(*directory::parseGeneralizedTime("18991229060000Z"), -1.25, 1e-9);
    EXPECT_NEAR(*directory::parseGeneralizedTime("18991230060000Z"), 0.25, 1e-9);
    EXPECT_NEAR(*directory::parseGeneralizedTime("18991230003000+0100"), -1.0 - 23.5 / 24, 1e-9);
}

TEST(GeneralizedTime, MalformedOrOutOfRangeValuesAreNoValue)
{
    for (const char *bad : {"",
                            "2026",
                            "202612070815",
                            "20261207081500",
                            "20261207081500z",
                            "20261207081500.Z",
                            "20261207081500.5",
                            "20261307081500Z",
                            "20260007081500Z",
                            "20260230081500Z",
                            "20250229081500Z",
                            "20261232081500Z",
                            "20261200081500Z",
                            "20261207241500Z",
                            "20261207086000Z",
                            "20261207081561Z",
                            "00001207081500Z",
                            "20261207081500+2400",
                            "20261207081500+0160",
                            "20261207081500+1",
                            "20261207081500+01:00",
                            "20261207081500Z ",
                            " 20261207081500Z",
                            "2026-12-07T08:15:00Z",
                            "20261207081500ZZ",
                            "2026120708150Z",
                            "20261207081500+",
                            "2026120708150a0Z",
                            "+0261207081500Z"})
        EXPECT_FALSE(directory::parseGeneralizedTime(bad).has_value()) << bad;
    EXPECT_FALSE(directory::parseGeneralizedTime(QByteArrayView("20261207\0"
                                                                "81500Z",
                                                                15)));
}

TEST(UnixTime, SecondsSince1970BecomeDateTimes)
{
    EXPECT_DOUBLE_EQ(directory::unixTimeToDateTime(0), 25569.0);
    EXPECT_NEAR(directory::unixTimeToDateTime(86399), 25569.999988425927, 1e-9);
    EXPECT_NEAR(directory::unixTimeToDateTime(-1), 25568.999988425927, 1e-9);
    EXPECT_NEAR(directory::unixTimeToDateTime(2147483647), 50424.13480324074, 1e-9);
    EXPECT_NEAR(directory::unixTimeToDateTime(4294967295LL), at(2106, 2, 7, 6, 28, 15), 1e-9);
    // 29 December 1899 06:00 UTC.
    EXPECT_NEAR(directory::unixTimeToDateTime(-2209161600LL - 86400 + 21600), -1.25, 1e-9);
}

TEST(FilterValue, SpecialBytesAreEscapedSoNoNameWidensTheFilter)
{
    struct Case
    {
        QByteArray in, out;
    };
    const Case cases[] = {
        {"jdoe", "jdoe"},
        {"*", "\\2a"},
        {")(uid=*", "\\29\\28uid=\\2a"},
        {"a\\b", "a\\5cb"},
        {QByteArray("a\0b", 3), "a\\00b"},
        {"tab\there\n", "tab\\09here\\0a"},
        {"J\xC3\xB6rg", "J\xC3\xB6rg"},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(directory::escapeFilterValue(c.in), c.out) << c.in.toStdString();
}

TEST(FilterValue, EveryPlaceholderTakesTheEscapedName)
{
    EXPECT_EQ(directory::expandFilter("(uid=%u)", "*"), "(uid=\\2a)");
    EXPECT_EQ(directory::expandFilter("(|(uid=%u)(mail=%u@acme.example))", "j(d)"),
              "(|(uid=j\\28d\\29)(mail=j\\28d\\29@acme.example))");
    EXPECT_EQ(directory::expandFilter("(objectClass=person)", "jdoe"), "(objectClass=person)");
    EXPECT_EQ(directory::expandFilter("(uid=%u)", QString::fromUtf8("J\xC3\xB6rg")),
              "(uid=J\xC3\xB6rg)");
}

TEST(TypelessName, RdnValuesFromTheLeafUpJoinedByDots)
{
    struct Case
    {
        const char *dn, *typeless;
    };
    const Case cases[] = {
        {"cn=jdoe,ou=Sales,o=Acme", "jdoe.Sales.Acme"},
        {"CN=jdoe,OU=Sales,O=Acme", "jdoe.Sales.Acme"},
        {"cn=jdoe, ou=Sales , o=Acme", "jdoe.Sales.Acme"},
        {"cn=jdoe;ou=Sales;o=Acme", "jdoe.Sales.Acme"},
        {"cn=Doe\\, Jane,ou=Sales,o=Acme", "Doe, Jane.Sales.Acme"},
        {"cn=Doe\\2C Jane,ou=Sales,o=Acme", "Doe, Jane.Sales.Acme"},
        {"cn=J\\C3\\B6rg,o=Acme", "J\xC3\xB6rg.Acme"},
        {"cn=J\xC3\xB6rg,o=Acme", "J\xC3\xB6rg.Acme"},
        {"cn=J.Doe,o=Acme", "J\\.Doe.Acme"},
        {"cn=a\\+b,o=Acme", "a\\+b.Acme"},
        {"cn=a\\\\b,o=Acme", "a\\\\b.Acme"},
        {"cn=a=b,o=Acme", "a=b.Acme"},
        {"cn=jdoe+uid=42,ou=Sales,o=Acme", "jdoe+42.Sales.Acme"},
        {"cn=jdoe\\ ,o=Acme", "jdoe .Acme"},
        {"cn=\\ jdoe,o=Acme", " jdoe.Acme"},
        {"cn=#04024869,o=Acme", "#04024869.Acme"},
        {"2.5.4.3=jdoe,o=Acme", "jdoe.Acme"},
        {"cn=,o=Acme", ".Acme"},
        {"o=Acme", "Acme"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(directory::typelessNameFromDn(QString::fromUtf8(c.dn)),
                  QString::fromUtf8(c.typeless))
            << c.dn;
}

TEST(TypelessName, AMalformedDnHasNone)
{
    for (const char *bad : {"", " ", "jdoe", "cn=jdoe,", "cn=jdoe,,o=Acme", "=jdoe", "c n=jdoe",
                            "cn=jdoe\\", "cn=jd\\4", "cn=jd\\4g", "cn=a<b", "cn=a\"b", "cn=#0",
                            "cn=#zz", "cn=#", "cn=jdoe+", "cn_x=jdoe", "cn=jdoe,o"})
        EXPECT_EQ(directory::typelessNameFromDn(QString::fromUtf8(bad)), QString()) << bad;
}
