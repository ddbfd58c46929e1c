// The LDAP source against a real slapd: binds, TLS, what the entries hold, and failures.
#include "directory/ldapdirectory.h"
#include "slapdserver.h"
#include "testsupport.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

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
    EXPECT_EQ(absent.lines, QStringList{"ldpn: directory " + server->ldapUri() +
                                        ": cn=jnone,ou=Sales,o=Acme has no lastLoginTime that "
                                        "this bind may read"});

    LdapConfig text = config(server->ldapUri());
    text.attribute = "lastLoginText"; // holds "2026-07-18 08:15"
    const Result malformed = lookUp(text, "jbad");
    EXPECT_EQ(malformed.typeless, "jbad.Sales.Acme");
    EXPECT_FALSE(malformed.read);
    EXPECT_EQ(malformed.lines,
              QStringList{"ldpn: directory " + server->ldapUri() +
                          ": lastLoginText of cn=jbad,ou=Sales,o=Acme is not a time: "
                          "\"2026-07-18 08:15\""});
}

TEST_F(LdapServer, FilterValuesAreEscapedAndOnlyOneEntryCounts)
{
    const struct
    {
        const char *login;
        const char *filter; // as the server was asked
    } rows[] = {{"*", "(uid=\\2a)"},
                {")(uid=*", "(uid=\\29\\28uid=\\2a)"},
                {"jdoe)(uid=*", "(uid=jdoe\\29\\28uid=\\2a)"},
                {"nobody", "(uid=nobody)"},
                {"j*", "(uid=j\\2a)"}};
    for (const auto &row : rows) {
        const Result r = lookUp(config(server->ldapUri()), row.login);
        expectNobody(r, row.login);
        EXPECT_EQ(r.lines, QStringList{"ldpn: directory " + server->ldapUri() +
                                       ": no entry matches " + row.filter + " under o=Acme"})
            << row.login;
    }
    const Result twins = lookUp(config(server->ldapUri()), "twin");
    expectNobody(twins, "two entries");
    EXPECT_EQ(twins.lines, QStringList{"ldpn: directory " + server->ldapUri() +
                                       ": several entries (2) match (uid=twin) under o=Acme, "
                                       "not one"});
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

namespace {

// A server on loopback that answers the first request with the start of one message of
// `announced` bytes, and then waits for the client to go.
class OversizedAnswer
{
public:
    explicit OversizedAnswer(std::uint32_t announced)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&a), len) != 0 ||
            ::listen(m_listener, 1) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&a), &len) != 0)
            return;
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this, announced] { serve(announced); });
    }
    ~OversizedAnswer()
    {
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_listener);
    }
    QString uri() const { return QStringLiteral("ldap://127.0.0.1:%1").arg(m_port); }
    int port() const { return m_port; }

private:
    static bool readable(int fd)
    {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, 60000) > 0;
    }
    void serve(std::uint32_t announced)
    {
        if (!readable(m_listener))
            return;
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        char request[4096];
        if (readable(client) && ::recv(client, request, sizeof request, 0) > 0) {
            // SEQUENCE with a four-byte length, then the message ID: an LDAPMessage to come.
            std::string head = {'\x30',
                                '\x84',
                                char(announced >> 24),
                                char(announced >> 16),
                                char(announced >> 8),
                                char(announced),
                                '\x02',
                                '\x01',
                                '\x01'};
            head.append(1000, '\0');
            if (::send(client, head.data(), head.size(), MSG_NOSIGNAL) > 0)
                while (readable(client) && ::recv(client, request, sizeof request, 0) > 0) {
                }
        }
        ::close(client);
    }

    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
};

} // namespace

// A server may announce a message of any size: more than a mebibyte ends the look-up at once,
// with one line, instead of the program taking it into memory.
TEST_F(LdapServer, AnAnswerOverAMebibyteEndsTheLookUpWithOneLine)
{
    OversizedAnswer oversized(2 * 1024 * 1024);
    ASSERT_GT(oversized.port(), 0);
    const Result r = lookUp(config(oversized.uri()), "jdoe");
    expectNobody(r, "oversized");
    EXPECT_EQ(r.lines, QStringList{"ldpn: directory " + oversized.uri() +
                                   ": search: the server's answer is larger than 1 MiB"});
}
