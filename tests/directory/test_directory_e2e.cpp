// The real ldpn with each directory source, started as a login script would, on a fixed day
// (2026-07-19 10:00 UTC through libfaketime): the previous logins in the test directory are
// 2026-07-18 08:15 (jdoe) and 2026-07-19 06:00 (jtoday).
#include "../e2e/e2e.h"
#include "directory/ldapmodule.h"
#include "slapdserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <utmpx.h>

namespace {

constexpr const char *kNoDisplay = "ldpn: cannot open a display to show the window\n";
constexpr const char *kUrl = "https://intranet.example/news";
constexpr qint64 kNow = 1784455200; // 2026-07-19 10:00:00 UTC, the faked time

SlapdServer *server = nullptr;

class DirectoryEndToEnd : public ::testing::Test
{
public:
    static void SetUpTestSuite() { server = new SlapdServer; }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }

protected:
    void SetUp() override
    {
        if (e2e::fakeTimeLibrary().isEmpty())
            GTEST_SKIP() << e2e::withoutFakeTime();
        if (server->skipped())
            GTEST_SKIP() << server->failure().toStdString();
        ASSERT_TRUE(server->running()) << server->failure().toStdString();
    }
};

// ldpn with a configuration folder of its own and the test server's CA.
struct SourceRun : e2e::Run
{
    explicit SourceRun(const char *login = "jdoe", const char *fakeTime = "2026-07-19 10:00:00")
        : e2e::Run(fakeTime)
    {
        env << "XDG_CONFIG_HOME=" + home.path() + "/config"
            << "XDG_CONFIG_DIRS=" + home.path() + "/xdg" << QStringLiteral("LOGNAME=") + login
            << "LD_LIBRARY_PATH=" NWSIM_NONE_DIR;
        if (server != nullptr && server->running())
            env << "LDAPCONF=" + server->ldapConf() << "LDAPTLS_CACERT=" + server->caFile()
                << "LDAPRC=daypane-test-no-ldaprc";
    }
    QString configPath() const { return home.path() + "/config/daypane/daypane.conf"; }
    void configure(const QByteArray &text) const
    {
        QDir().mkpath(home.path() + "/config/daypane");
        testsupport::writeFile(configPath(), text);
    }
    void useLdap(const QString &uri, QByteArray more = {}) const
    {
        // A look-up that should succeed gets all the time a busy machine may need.
        if (!more.contains("timeout"))
            more +=
                "timeout = " + QByteArray::number(std::min(600, e2e::scaled(60000) / 1000)) + "\n";
        configure("[directory]\nsource = ldap\n[ldap]\nuri = " + uri.toUtf8() +
                  "\nbase = o=Acme\n" + more);
    }
    testsupport::RunResult normalMode(const char *mode = "/N") const { return ldpn({kUrl, mode}); }
};

void addLogin(const QString &path, const char *user, qint64 seconds)
{
    if (!QFile::exists(path))
        testsupport::writeFile(path, {});
    utmpx u{};
    u.ut_type = USER_PROCESS;
    std::strncpy(u.ut_user, user, sizeof u.ut_user);
    std::strncpy(u.ut_line, "tty7", sizeof u.ut_line);
    u.ut_tv.tv_sec = static_cast<decltype(u.ut_tv.tv_sec)>(seconds);
    updwtmpx(QFile::encodeName(path).constData(), &u);
}

// ldpn run to its end while a listener takes connections and never answers them.
testsupport::RunResult runAgainstSilentListener(const SourceRun &run, QTcpServer &listener)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &kv : run.env) {
        const qsizetype eq = kv.indexOf(QLatin1Char('='));
        if (eq < 0)
            env.remove(kv);
        else
            env.insert(kv.left(eq), kv.mid(eq + 1));
    }
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LDPN_PATH), {kUrl, "/N"});
    std::vector<std::unique_ptr<QTcpSocket>> taken;
    QElapsedTimer limit;
    limit.start();
    testsupport::RunResult r;
    // Generous: the configured timeout is one second.
    while (!p.waitForFinished(20) && limit.elapsed() < 30000) {
        if (listener.waitForNewConnection(20))
            while (QTcpSocket *s = listener.nextPendingConnection())
                taken.emplace_back(s);
    }
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
        r.exitCode = -2;
    } else {
        r.exitCode = p.exitCode();
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

TEST_F(DirectoryEndToEnd, LdapNormalModeIsDueOnlyAfterALoginOnAnotherDay)
{
    for (const QByteArray &tls : {QByteArray(), QByteArray("starttls = demand\n")}) {
        SourceRun yesterday("jdoe");
        yesterday.useLdap(server->ldapUri(), tls);
        const auto due = yesterday.normalMode();
        EXPECT_EQ(due.exitCode, 1);
        EXPECT_EQ(due.err, kNoDisplay);

        SourceRun today("jtoday");
        today.useLdap(server->ldapUri(), tls);
        const auto notDue = today.normalMode();
        EXPECT_EQ(notDue.exitCode, 0);
        EXPECT_EQ(notDue.err, "");
        const auto forced = today.normalMode("/F");
        EXPECT_EQ(forced.exitCode, 1);
        EXPECT_EQ(forced.err, kNoDisplay);
    }
    SourceRun external("jtoday");
    external.useLdap(server->ldapiUri(), "bind = sasl\nsasl_mech = EXTERNAL\nfilter = (uid=%u)\n");
    const auto r = external.normalMode();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
}

TEST_F(DirectoryEndToEnd, LoginRecordsNormalMode)
{
    struct Case
    {
        const char *name;
        std::vector<qint64> logins;
        bool due;
    };
    for (const Case &c : {Case{"yesterday", {kNow - 86400, kNow - 1}, true},
                          Case{"earlier today", {kNow - 86400, kNow - 7200, kNow - 1}, false},
                          Case{"only the current login", {kNow - 1}, true}}) {
        SourceRun run("jdoe");
        const QString wtmp = run.home.path() + "/wtmp";
        addLogin(wtmp, "alice", kNow - 3600);
        for (const qint64 t : c.logins)
            addLogin(wtmp, "jdoe", t);
        run.configure("[directory]\nsource = logins\n[logins]\nfile = " + wtmp.toUtf8() + "\n");
        const auto r = run.normalMode();
        EXPECT_EQ(r.exitCode, c.due ? 1 : 0) << c.name;
        EXPECT_EQ(r.err, c.due ? QByteArray(kNoDisplay) : QByteArray()) << c.name;
    }
}

// An answer that cannot decide leaves the page due at every login: one line each says what
// happened and where, and the decision goes on as before.
TEST_F(DirectoryEndToEnd, AnswersThatCannotDecideAreOneLineEachAndThePageIsDue)
{
    struct Case
    {
        const char *name;
        const char *login;
        const char *source; // "ldap", "logins" (records of others only) or "missing"
        QByteArray line;
    };
    const QByteArray ldap = "ldpn: directory " + server->ldapUri().toUtf8() + ": ";
    for (const Case &c :
         {Case{"no entry", "nobody", "ldap", ldap + "no entry matches (uid=nobody) under o=Acme"},
          Case{"two entries", "twin", "ldap",
               ldap + "several entries (2) match (uid=twin) under o=Acme, not one"},
          Case{"no attribute", "jnone", "ldap",
               ldap + "cn=jnone,ou=Sales,o=Acme has no lastLoginTime that this bind may read"},
          Case{"no login recorded", "jdoe", "logins", "no login of jdoe recorded"},
          Case{"no records file", "jdoe", "missing", "no such file"}}) {
        SourceRun run(c.login);
        const QString wtmp = run.home.path() + "/wtmp";
        if (QByteArray(c.source) == "ldap") {
            run.useLdap(server->ldapUri());
        } else {
            if (QByteArray(c.source) == "logins")
                addLogin(wtmp, "alice", kNow - 3600);
            run.configure("[directory]\nsource = logins\n[logins]\nfile = " + wtmp.toUtf8() + "\n");
        }
        const QByteArray line = QByteArray(c.source) == "ldap"
                                    ? c.line
                                    : "ldpn: directory " + wtmp.toUtf8() + ": " + c.line;
        const auto r = run.normalMode();
        EXPECT_EQ(r.exitCode, 1) << c.name;
        EXPECT_EQ(r.err, line + "\n" + kNoDisplay) << c.name;
    }
}

// An LDAP module left from another build is refused before anything of it runs: the one line of
// a directory that cannot answer names the file, its interface version and the one needed.
TEST(DirectoryModules, AnLdapModuleOfAnotherVersionIsRefusedSayingWhich)
{
    e2e::ProgramCopy program;
    ASSERT_TRUE(program.made()) << program.why().toStdString();
    ASSERT_TRUE(program.replaceModule(QStringLiteral("libdaypane-ldap.so"),
                                      QStringLiteral(STALE_LDAP_MODULE)));
    SourceRun run;
    run.wrapper = program.wrapper();
    run.useLdap(QStringLiteral("ldap://127.0.0.1:9"));
    const auto r = run.normalMode();
    const auto &ldap = directory::ldapmodule::kInterface;
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("ldpn: directory ldap://127.0.0.1:9: cannot load the LDAP "
                                    "module: %1/libdaypane-ldap.so has interface version %2 of "
                                    "the LDAP module; this program needs version %3\n")
                             .arg(program.moduleFolder())
                             .arg(ldap.version - 1)
                             .arg(ldap.version)
                             .toUtf8() +
                         kNoDisplay);
}

TEST_F(DirectoryEndToEnd, NetWareStaysTheDefault)
{
    const auto tree = [](const SourceRun &run, const char *lastLogin) {
        testsupport::writeFile(run.home.path() + "/directory.tree",
                               QByteArray("server FS1 1\nuser CN=jdoe.OU=Sales.O=Acme\n"
                                          "object CN=jdoe.OU=Sales.O=Acme\n"
                                          "  attribute Last Login Time = time ") +
                                   lastLogin + "\n");
    };
    for (const QByteArray &config : {QByteArray(), QByteArray("[directory]\nsource = netware\n"),
                                     QByteArray("[ldap]\nuri = ldap://unused\n")}) {
        SourceRun today("jdoe"); // the stand-in's "today" is the faked one too
        today.env << "LD_LIBRARY_PATH=" NWSIM_FULL_DIR
                  << "NWSIM_DIRECTORY=" + today.home.path() + "/directory.tree";
        if (!config.isEmpty())
            today.configure(config);
        tree(today, "today 00:00:01");
        const auto notDue = today.normalMode();
        EXPECT_EQ(notDue.exitCode, 0) << config.constData();
        EXPECT_EQ(notDue.err, "") << config.constData();
        tree(today, "yesterday 08:15");
        const auto due = today.normalMode();
        EXPECT_EQ(due.exitCode, 1) << config.constData();
        EXPECT_EQ(due.err, kNoDisplay) << config.constData();
    }
}

TEST_F(DirectoryEndToEnd, AConfigurationErrorIsOneLineAndTheNetWareBinding)
{
    SourceRun run("jdoe");
    run.env << "LD_LIBRARY_PATH=" NWSIM_FULL_DIR
            << "NWSIM_DIRECTORY=" + run.home.path() + "/directory.tree";
    testsupport::writeFile(run.home.path() + "/directory.tree",
                           "server FS1 1\nuser CN=jdoe.O=Acme\nobject CN=jdoe.O=Acme\n"
                           "  attribute Last Login Time = time today 00:00:01\n");
    QDir().mkpath(run.home.path() + "/config/daypane");
    // Unreadable even for root: reading /proc/self/mem at its start fails.
    ASSERT_TRUE(QFile::link("/proc/self/mem", run.configPath()));
    auto r = run.normalMode();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "ldpn: configuration " + run.configPath().toUtf8() +
                         ": cannot be read (Input/output error); using the NetWare client\n");

    QFile::remove(run.configPath());
    run.configure("[directory]\nsource = LDAP3\n");
    r = run.normalMode();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "ldpn: configuration " + run.configPath().toUtf8() +
                         ": [directory] source: unknown value \"LDAP3\" (netware, ldap or "
                         "logins); using the NetWare client\n");
}

TEST_F(DirectoryEndToEnd, AServerThatCannotBeReachedIsOneLineAndThePageIsDue)
{
    const QString closed = QStringLiteral("ldap://127.0.0.1:%1").arg(closedLoopbackPort());
    SourceRun run("jtoday");
    run.useLdap(closed, "timeout = 1\n");
    auto r = run.normalMode();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "ldpn: directory " + closed.toUtf8() + ": Can't contact LDAP server\n" + kNoDisplay);

    SourceRun wrongCa("jtoday");
    wrongCa.useLdap(server->ldapsUri());
    wrongCa.env << "LDAPTLS_CACERT=" + server->otherCaFile();
    r = wrongCa.normalMode();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "ldpn: directory " + server->ldapsUri().toUtf8() +
                         ": Can't contact LDAP server (TLS handshake failed: is the server's "
                         "certificate trusted and issued for this name?)\n" +
                         kNoDisplay);

    SourceRun startTls("jtoday");
    startTls.useLdap(server->ldapUri(), "starttls = demand\n");
    startTls.env << "LDAPTLS_CACERT=" + server->otherCaFile();
    r = startTls.normalMode();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("ldpn: directory " + server->ldapUri().toUtf8() + ": StartTLS: "))
        << r.err.constData();
    EXPECT_TRUE(r.err.endsWith(kNoDisplay));
}

TEST_F(DirectoryEndToEnd, AListenerThatNeverAnswersEndsWithinTheTimeout)
{
    struct Case
    {
        const char *scheme;
        QByteArray settings;
        bool accept;
    };
    for (const Case &c : {Case{"ldap", "", false}, Case{"ldap", "", true},
                          Case{"ldap", "starttls = demand\n", true},
                          Case{"ldap", "bind = simple\nbinddn = cn=reader,o=Acme\n", true},
                          Case{"ldaps", "", true}}) {
        QTcpServer listener;
        ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
        if (!c.accept)
            listener.pauseAccepting(); // connections stay in the kernel's queue
        const QString uri =
            QStringLiteral("%1://127.0.0.1:%2").arg(c.scheme).arg(listener.serverPort());
        SourceRun run("jtoday");
        QByteArray settings = c.settings;
        if (settings.contains("simple")) {
            testsupport::writeFile(run.home.path() + "/secret", "pw\n");
            settings += "password_file = " + run.home.path().toUtf8() + "/secret\n";
        }
        run.useLdap(uri, "timeout = 1\n" + settings);
        const auto r = runAgainstSilentListener(run, listener);
        const std::string what = uri.toStdString() + " " + c.settings.toStdString();
        EXPECT_EQ(r.exitCode, 1) << what << r.err.constData();
        EXPECT_FALSE(r.crashed) << what;
        EXPECT_TRUE(r.err.startsWith("ldpn: directory " + uri.toUtf8() + ": "))
            << r.err.constData();
        EXPECT_TRUE(r.err.contains("Timed out (no answer within 1 s)\n")) << r.err.constData();
        EXPECT_TRUE(r.err.endsWith(kNoDisplay)) << r.err.constData();
        EXPECT_EQ(r.err.count('\n'), 2) << r.err.constData();
    }
}

TEST_F(DirectoryEndToEnd, OnlyTheLdapSourceMapsLibldapAndOnlyWhenItIsAsked)
{
    struct Case
    {
        const char *name;
        QByteArray config;
        const char *mode;
        bool mapped;
    };
    const QByteArray ldap =
        "[directory]\nsource = ldap\n[ldap]\nuri = " + server->ldapUri().toUtf8() +
        "\nbase = o=Acme\n";
    for (const Case &c : {Case{"ldap, normal mode", ldap, "/N", true},
                          Case{"ldap, interval not due", ldap, "7", false},
                          Case{"logins", "[directory]\nsource = logins\n", "/N", false},
                          Case{"netware", "", "/N", false}}) {
        SourceRun run("jtoday");
        testsupport::writeFile(run.stampPath(), "200\r\n"); // day 200: 7 days have not passed
        if (!c.config.isEmpty())
            run.configure(c.config);
        run.env << "LD_DEBUG=files"; // the dynamic loader names every library it opens
        const auto r = run.normalMode(c.mode);
        EXPECT_EQ(r.err.contains("libldap"), c.mapped) << c.name;
        EXPECT_EQ(r.err.contains("libdaypane-ldap"), c.mapped) << c.name;
        // An anonymous or simple bind needs no SASL plugin.
        EXPECT_FALSE(r.err.contains("/sasl2/lib")) << c.name;
        EXPECT_TRUE(r.err.contains("libQt6Core")) << c.name;
    }
}

TEST_F(DirectoryEndToEnd, TheCaptionNamesTheEntryAndItsPreviousLogin)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs the virtual display the test runs on";
    SourceRun run("jdoe");
    run.useLdap(server->ldapUri());
    run.useDisplay();
    run.env << "TZ=Asia/Tokyo"; // nine hours from UTC, so that a missing conversion would show
    e2e::Background ldpn(run, {kUrl, "/N"});
    ASSERT_TRUE(ldpn.waitForShown()) << ldpn.err().constData();
    const auto window = e2e::waitForWindow(QStringLiteral("Last Login"), 20000, &ldpn);
    ASSERT_TRUE(window.has_value()) << ldpn.err().constData();
    EXPECT_EQ(window->name,
              QStringLiteral("jdoe.Sales.Acme  \u00B7 Last Login: 18 Jul 2026 17:15:00"));
}
