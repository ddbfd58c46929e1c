// The LDAP source against a real slapd: binds, TLS, what the entries hold, and failures.
#include "directory/ldapdirectory.h"
#include "slapdserver.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <memory>

using directory::LdapBind;
using directory::LdapConfig;
using directory::LdapStartTls;

namespace {

SlapdServer *server = nullptr;

// libldap reads its settings once per process, at the first connection: the CA of the test
// server comes from LDAPTLS_CACERT, and an empty LDAPCONF keeps the machine's file out.
class LdapServer : public ::testing::Test
{
public:
    static void SetUpTestSuite()
    {
        server = new SlapdServer;
        if (!server->running())
            return;
        qputenv("LDAPCONF", QFile::encodeName(server->ldapConf()));
        qputenv("LDAPTLS_CACERT", QFile::encodeName(server->caFile()));
        qputenv("LDAPRC", "daypane-test-no-ldaprc");
        qunsetenv("LDAPNOINIT");
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }

protected:
    void SetUp() override
    {
        if (server->skipped())
            GTEST_SKIP() << server->failure().toStdString();
        ASSERT_TRUE(server->running()) << server->failure().toStdString();
    }
};

LdapConfig config(const QString &uri)
{
    LdapConfig c;
    c.uri = uri;
    c.base = QStringLiteral("o=Acme");
    c.timeoutMs = 10000;
    return c;
}

struct Result
{
    QString name;
    bool read = false;
    dates::TDateTime time = 0;
    QString typeless;
    QStringList lines;
};

Result lookUp(const LdapConfig &c, const QString &login)
{
    Result r;
    directory::LdapDirectory d(c, login, directory::moduleLookup(QStringLiteral(LDAP_MODULE)),
                               [&r](const QString &l) { r.lines << l; });
    r.name = d.whoAmIName();
    r.read = d.readTimeAttribute(QStringLiteral("[root]"), r.name, 47, r.time);
    r.typeless = d.typelessName(d.whoAmIName());
    return r;
}

double at(int y, int mo, int d, int h, int mi, double s = 0)
{
    return dates::EncodeDate(y, std::uint16_t(mo), std::uint16_t(d)) +
           (h * 3600 + mi * 60 + s) / 86400.0;
}

void expectJdoe(const Result &r, const char *how)
{
    EXPECT_TRUE(r.lines.isEmpty()) << how << ": " << r.lines.join('\n').toStdString();
    EXPECT_EQ(r.name, "cn=jdoe,ou=Sales,o=Acme") << how;
    EXPECT_EQ(r.typeless, "jdoe.Sales.Acme") << how;
    EXPECT_TRUE(r.read) << how;
    EXPECT_NEAR(r.time, at(2026, 7, 18, 8, 15), 1e-9) << how;
}

void expectNobody(const Result &r, const char *how)
{
    EXPECT_EQ(r.name, "") << how;
    EXPECT_EQ(r.typeless, "") << how;
    EXPECT_FALSE(r.read) << how;
    EXPECT_EQ(r.time, 0) << how;
}

} // namespace

TEST_F(LdapServer, EachBindFindsTheUserAndThePreviousLogin)
{
    expectJdoe(lookUp(config(server->ldapUri()), "jdoe"), "anonymous");

    QTemporaryDir dir;
    LdapConfig simple = config(server->ldapUri());
    simple.bind = LdapBind::Simple;
    simple.bindDn = "cn=reader,o=Acme";
    simple.passwordFile = dir.path() + "/secret";
    testsupport::writeFile(simple.passwordFile, "readerpw\n");
    expectJdoe(lookUp(simple, "jdoe"), "simple");

    LdapConfig external = config(server->ldapiUri());
    external.bind = LdapBind::Sasl;
    external.saslMech = "EXTERNAL";
    expectJdoe(lookUp(external, "jdoe"), "SASL EXTERNAL over ldapi");
}

TEST_F(LdapServer, TlsByStartTlsOrLdaps)
{
    LdapConfig demand = config(server->ldapUri());
    demand.startTls = LdapStartTls::Demand;
    expectJdoe(lookUp(demand, "jdoe"), "StartTLS demand");
    LdapConfig yes = config(server->ldapUri());
    yes.startTls = LdapStartTls::Yes;
    expectJdoe(lookUp(yes, "jdoe"), "StartTLS yes");
    expectJdoe(lookUp(config(server->ldapsUri()), "jdoe"), "ldaps");
}

TEST_F(LdapServer, ACertificateForAnotherNameFailsTheLookUp)
{
    const Result r = lookUp(config(server->ldapsWrongHostUri()), "jdoe");
    expectNobody(r, "wrong host");
    EXPECT_EQ(r.lines, QStringList{"ldpn: directory " + server->ldapsWrongHostUri() +
                                   ": Can't contact LDAP server (TLS handshake failed: is the "
                                   "server's certificate trusted and issued for this name?)"});
}

TEST_F(LdapServer, TheEntriesPreviousLoginAsStored)
{
    const Result today = lookUp(config(server->ldapUri()), "jtoday");
    EXPECT_EQ(today.typeless, "jtoday.Sales.Acme");
    EXPECT_TRUE(today.read);
    EXPECT_NEAR(today.time, at(2026, 7, 19, 6, 0), 1e-9);

    const Result offset = lookUp(config(server->ldapUri()), "joff");
    EXPECT_TRUE(offset.read);
    EXPECT_NEAR(offset.time, at(2026, 7, 18, 8, 15, 0.5), 1e-9);

    const Result absent = lookUp(config(server->ldapUri()), "jnone");
    EXPECT_EQ(absent.typeless, "jnone.Sales.Acme");
    EXPECT_FALSE(absent.read);
    EXPECT_EQ(absent.time, 0);
    EXPECT_TRUE(absent.lines.isEmpty());

    LdapConfig text = config(server->ldapUri());
    text.attribute = "lastLoginText"; // holds "2026-07-18 08:15"
    const Result malformed = lookUp(text, "jbad");
    EXPECT_EQ(malformed.typeless, "jbad.Sales.Acme");
    EXPECT_FALSE(malformed.read);
    EXPECT_TRUE(malformed.lines.isEmpty());
}

TEST_F(LdapServer, FilterValuesAreEscapedAndOnlyOneEntryCounts)
{
    for (const char *login : {"*", ")(uid=*", "jdoe)(uid=*", "nobody", "j*"}) {
        const Result r = lookUp(config(server->ldapUri()), login);
        expectNobody(r, login);
        EXPECT_TRUE(r.lines.isEmpty()) << login;
    }
    expectNobody(lookUp(config(server->ldapUri()), "twin"), "two entries");
    // Unescaped, "(uid=*)" would have matched every user: more than one, so nobody as well;
    // a filter that names one user without %u still finds it.
    LdapConfig fixed = config(server->ldapUri());
    fixed.filter = "(cn=jdoe)";
    expectJdoe(lookUp(fixed, "anyone"), "fixed filter");
}

TEST_F(LdapServer, FailuresAreOneLineNamingTheServer)
{
    QTemporaryDir dir;
    LdapConfig wrong = config(server->ldapUri());
    wrong.bind = LdapBind::Simple;
    wrong.bindDn = "cn=reader,o=Acme";
    wrong.passwordFile = dir.path() + "/secret";
    testsupport::writeFile(wrong.passwordFile, "wrong\n");
    Result r = lookUp(wrong, "jdoe");
    expectNobody(r, "wrong password");
    EXPECT_EQ(r.lines,
              QStringList{"ldpn: directory " + server->ldapUri() + ": bind: Invalid credentials"});

    LdapConfig noBase = config(server->ldapUri());
    noBase.base = "o=Elsewhere";
    r = lookUp(noBase, "jdoe");
    expectNobody(r, "no such base");
    EXPECT_EQ(r.lines,
              QStringList{"ldpn: directory " + server->ldapUri() + ": search: No such object"});

    LdapConfig badFilter = config(server->ldapUri());
    badFilter.filter = "(uid=%u";
    r = lookUp(badFilter, "jdoe");
    ASSERT_EQ(r.lines.size(), 1);
    EXPECT_EQ(r.lines[0], "ldpn: directory " + server->ldapUri() + ": search: Bad search filter");

    const QString closed = QStringLiteral("ldap://127.0.0.1:%1").arg(closedLoopbackPort());
    r = lookUp(config(closed), "jdoe");
    expectNobody(r, "closed port");
    EXPECT_EQ(r.lines, QStringList{"ldpn: directory " + closed + ": Can't contact LDAP server"});
}

TEST_F(LdapServer, TheServersOfAListAreTriedInOrder)
{
    const QString closed = QStringLiteral("ldap://127.0.0.1:%1").arg(closedLoopbackPort());
    expectJdoe(lookUp(config(closed + " " + server->ldapUri()), "jdoe"), "second of two");
}
