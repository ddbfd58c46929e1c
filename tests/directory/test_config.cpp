// The configuration file: where it is looked for, what it says, and how errors fall back.
#include "directory/config.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using directory::DirectoryConfig;
using directory::LdapBind;
using directory::LdapStartTls;
using directory::SourceKind;

namespace {

const QString kPath = QStringLiteral("/etc/xdg/daypane/daypane.conf");

DirectoryConfig parse(const QByteArray &text)
{
    return directory::parseDirectoryConfig(text, kPath);
}

// Config folders under a temporary root: writes daypane/daypane.conf into the named ones.
struct Folders
{
    QTemporaryDir root;
    QString folder(const QString &name) const { return root.path() + QLatin1Char('/') + name; }
    void write(const QString &name, const QByteArray &text) const
    {
        QDir().mkpath(folder(name) + QStringLiteral("/daypane"));
        testsupport::writeFile(folder(name) + QStringLiteral("/daypane/daypane.conf"), text);
    }
};

} // namespace

TEST(ConfigFolders, FollowTheXdgOrderAndIgnoreRelativeOrEmptyValues)
{
    struct Case
    {
        const char *name, *configHome, *home, *configDirs;
        QStringList expected;
    };
    const Case cases[] = {
        {"defaults", "", "/home/u", "", {"/home/u/.config", "/etc/xdg"}},
        {"config home set", "/cfg", "/home/u", "", {"/cfg", "/etc/xdg"}},
        {"relative config home", "cfg", "/home/u", "", {"/home/u/.config", "/etc/xdg"}},
        {"no home", "", "", "", {"/etc/xdg"}},
        {"relative home", "", "home", "", {"/etc/xdg"}},
        {"dirs in order", "", "/h", "/a:/b", {"/h/.config", "/a", "/b"}},
        {"relative and empty dirs", "", "/h", "rel::/b:", {"/h/.config", "/b"}},
        {"only relative dirs", "", "/h", "rel", {"/h/.config", "/etc/xdg"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(directory::configFolders(c.configHome, c.home, c.configDirs), c.expected)
            << c.name;
}

TEST(ConfigFile, TheFirstFileFoundWinsAndNoFileIsNetWareWithoutError)
{
    Folders f;
    const QStringList folders{f.folder("home"), f.folder("site"), f.folder("vendor")};

    DirectoryConfig none = directory::readDirectoryConfig(folders);
    EXPECT_EQ(none.source, SourceKind::NetWare);
    EXPECT_TRUE(none.errors.isEmpty());
    EXPECT_TRUE(none.path.isEmpty());

    f.write("vendor", "[directory]\nsource = ldap\n");
    f.write("site", "[directory]\nsource = logins\n");
    DirectoryConfig site = directory::readDirectoryConfig(folders);
    EXPECT_EQ(site.source, SourceKind::Logins);
    EXPECT_EQ(site.path, f.folder("site") + "/daypane/daypane.conf");

    // A file in the first folder wins even when it names no source: NetWare, no error.
    f.write("home", "[logins]\nfile = /tmp/w\n");
    DirectoryConfig home = directory::readDirectoryConfig(folders);
    EXPECT_EQ(home.source, SourceKind::NetWare);
    EXPECT_TRUE(home.errors.isEmpty());
    EXPECT_EQ(home.path, f.folder("home") + "/daypane/daypane.conf");
}

TEST(ConfigFile, AFileThatCannotBeReadIsOneErrorAndNetWare)
{
    Folders f;
    const QString dir = f.folder("cfg") + "/daypane";
    QDir().mkpath(dir);
    const QString path = dir + "/daypane.conf";
    // Reading /proc/self/mem at its start fails with an I/O error, even for root.
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), path));
    DirectoryConfig c = directory::readDirectoryConfig({f.folder("cfg")});
    EXPECT_EQ(c.source, SourceKind::NetWare);
    ASSERT_EQ(c.errors.size(), 1);
    EXPECT_TRUE(c.errors[0].startsWith("ldpn: configuration " + path + ": cannot be read ("))
        << c.errors[0].toStdString();
    EXPECT_TRUE(c.errors[0].endsWith("; using the NetWare client")) << c.errors[0].toStdString();

    if (geteuid() != 0) {
        QFile::remove(path);
        testsupport::writeFile(path, "[directory]\nsource = ldap\n");
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        c = directory::readDirectoryConfig({f.folder("cfg")});
        EXPECT_EQ(c.source, SourceKind::NetWare);
        ASSERT_EQ(c.errors.size(), 1);
        EXPECT_TRUE(c.errors[0].contains("cannot be read")) << c.errors[0].toStdString();
    }
}

TEST(ConfigFile, SomethingOtherThanARegularFileIsAnErrorAndNeverBlocks)
{
    Folders f;
    const QString dir = f.folder("cfg") + "/daypane";
    QDir().mkpath(dir + "/daypane.conf"); // a folder in its place
    DirectoryConfig c = directory::readDirectoryConfig({f.folder("cfg"), f.folder("other")});
    EXPECT_EQ(c.source, SourceKind::NetWare);
    ASSERT_EQ(c.errors.size(), 1);
    EXPECT_EQ(c.errors[0], "ldpn: configuration " + dir +
                               "/daypane.conf: not a regular file; using the NetWare client");

    QDir(dir).rmdir("daypane.conf");
    ASSERT_EQ(mkfifo(QFile::encodeName(dir + "/daypane.conf").constData(), 0600), 0);
    c = directory::readDirectoryConfig({f.folder("cfg")});
    EXPECT_EQ(c.source, SourceKind::NetWare);
    EXPECT_EQ(c.errors.size(), 1);

    // A dangling link is there but cannot be read.
    QFile::remove(dir + "/daypane.conf");
    ASSERT_TRUE(QFile::link(dir + "/missing", dir + "/daypane.conf"));
    c = directory::readDirectoryConfig({f.folder("cfg"), f.folder("other")});
    EXPECT_EQ(c.errors.size(), 1);
}

TEST(ConfigParse, ReadsEveryKeyWithCommentsCaseAndLineEnds)
{
    const DirectoryConfig c = parse("\xEF\xBB\xBF# site configuration\r\n"
                                    "[Directory]\r\n"
                                    "Source = LDAP   # the site's directory\r\n"
                                    "colour = blue\r\n"
                                    "[ldap]\n"
                                    "uri = ldap://dir1.example:389 ldaps://dir2.example\n"
                                    "base = o=Acme\n"
                                    "filter = (&(objectClass=person)(uid=%u))\n"
                                    "attribute = siteLastLogin\n"
                                    "; another comment\n"
                                    "bind = simple\n"
                                    "binddn = cn=reader,o=Acme\n"
                                    "password_file = /etc/daypane/ldap.secret\n"
                                    "starttls = Demand\n"
                                    "timeout = 2.5\n"
                                    "unknown_key = x\n"
                                    "[logins]\n"
                                    "file=/var/log/wtmp.1\n"
                                    "timeout = 0.5\n");
    EXPECT_TRUE(c.errors.isEmpty()) << c.errors.join('\n').toStdString();
    EXPECT_EQ(c.source, SourceKind::Ldap);
    EXPECT_EQ(c.ldap.uri, "ldap://dir1.example:389 ldaps://dir2.example");
    EXPECT_EQ(c.ldap.base, "o=Acme");
    EXPECT_EQ(c.ldap.filter, "(&(objectClass=person)(uid=%u))");
    EXPECT_EQ(c.ldap.attribute, "siteLastLogin");
    EXPECT_EQ(c.ldap.bind, LdapBind::Simple);
    EXPECT_EQ(c.ldap.bindDn, "cn=reader,o=Acme");
    EXPECT_EQ(c.ldap.passwordFile, "/etc/daypane/ldap.secret");
    EXPECT_EQ(c.ldap.startTls, LdapStartTls::Demand);
    EXPECT_EQ(c.ldap.timeoutMs, 2500);
    EXPECT_EQ(c.logins.file, "/var/log/wtmp.1");
    EXPECT_EQ(c.logins.timeoutMs, 500);
}

TEST(ConfigParse, DefaultsAndKeysOutsideTheirSection)
{
    const DirectoryConfig c = parse("source = logins\n[ldap]\nsource = logins\n"
                                    "[directory\nsource = logins\n"
                                    "[directory]\nsource = ldap\n");
    EXPECT_TRUE(c.errors.isEmpty());
    EXPECT_EQ(c.source, SourceKind::Ldap);
    EXPECT_EQ(c.ldap.uri, "");
    EXPECT_EQ(c.ldap.filter, "(uid=%u)");
    EXPECT_EQ(c.ldap.attribute, "lastLoginTime");
    EXPECT_EQ(c.ldap.bind, LdapBind::Anonymous);
    EXPECT_EQ(c.ldap.startTls, LdapStartTls::No);
    EXPECT_EQ(c.ldap.timeoutMs, 3000);
    EXPECT_EQ(c.logins.file, "/var/log/wtmp");
    EXPECT_EQ(c.logins.timeoutMs, 3000);
    // A value may hold '#' where no blank stands before it.
    EXPECT_EQ(parse("[directory]\nsource=ldap\n[ldap]\nbase = cn=a#b,o=Acme\n").ldap.base,
              "cn=a#b,o=Acme");
    EXPECT_EQ(parse("[directory]\nsource = netware\n").source, SourceKind::NetWare);
    EXPECT_EQ(parse("[directory]\nsource =\n").source, SourceKind::NetWare);
}

TEST(ConfigParse, AnUnknownSourceIsOneErrorNamingFileAndKey)
{
    const DirectoryConfig c = parse("[directory]\nsource = ldpa\x1b[31m\n");
    EXPECT_EQ(c.source, SourceKind::NetWare);
    ASSERT_EQ(c.errors.size(), 1);
    EXPECT_EQ(c.errors[0], "ldpn: configuration " + kPath +
                               ": [directory] source: unknown value \"ldpa\\x1b[31m\" (netware, "
                               "ldap or logins); using the NetWare client");
}

TEST(ConfigParse, BadTimeoutsKeepTheSourceWithTheDefault)
{
    for (const char *bad :
         {"0", "-1", "abc", "3s", "", "601", "0.05", "1e3", "1.", ".", ".5", " 2x", "1.2.3"}) {
        const DirectoryConfig c =
            parse(QByteArray("[directory]\nsource = ldap\n[ldap]\ntimeout = ") + bad + "\n");
        EXPECT_EQ(c.source, SourceKind::Ldap) << bad;
        EXPECT_EQ(c.ldap.timeoutMs, 3000) << bad;
        ASSERT_EQ(c.errors.size(), 1) << bad;
        EXPECT_TRUE(c.errors[0].startsWith("ldpn: configuration " + kPath + ": [ldap] timeout: "))
            << c.errors[0].toStdString();
        EXPECT_TRUE(c.errors[0].endsWith("is not a number of seconds from 0.1 to 600; using 3"));
        const DirectoryConfig l =
            parse(QByteArray("[directory]\nsource = logins\n[logins]\ntimeout = ") + bad + "\n");
        EXPECT_EQ(l.source, SourceKind::Logins) << bad;
        EXPECT_EQ(l.logins.timeoutMs, 3000) << bad;
        ASSERT_EQ(l.errors.size(), 1) << bad;
        EXPECT_TRUE(l.errors[0].startsWith("ldpn: configuration " + kPath + ": [logins] timeout: "))
            << l.errors[0].toStdString();
    }
    struct Good
    {
        const char *text;
        int ms;
    };
    for (const Good g : {Good{"1", 1000}, Good{"0.1", 100}, Good{"2.5", 2500}, Good{"600", 600000},
                         Good{"007", 7000}}) {
        const DirectoryConfig c =
            parse(QByteArray("[directory]\nsource = ldap\n[ldap]\ntimeout = ") + g.text + "\n");
        EXPECT_TRUE(c.errors.isEmpty()) << g.text;
        EXPECT_EQ(c.ldap.timeoutMs, g.ms) << g.text;
    }
}

TEST(ConfigParse, LdapSettingsThatCannotBeUsedFallBackToNetWare)
{
    struct Case
    {
        const char *ldap;
        const char *key;
    };
    for (const Case &c :
         {Case{"bind = kerberos", "bind"}, Case{"starttls = demnad", "starttls"},
          Case{"bind = simple\npassword_file = /p", "binddn"},
          Case{"bind = simple\nbinddn = cn=r,o=A", "password_file"},
          Case{"bind = sasl", "sasl_mech"}, Case{"bind = sasl\nsasl_mech = PLAIN", "sasl_mech"}}) {
        const DirectoryConfig d =
            parse(QByteArray("[directory]\nsource = ldap\n[ldap]\n") + c.ldap + "\n");
        EXPECT_EQ(d.source, SourceKind::NetWare) << c.ldap;
        ASSERT_EQ(d.errors.size(), 1) << c.ldap;
        EXPECT_TRUE(d.errors[0].startsWith(
            QStringLiteral("ldpn: configuration %1: [ldap] %2: ").arg(kPath, c.key)))
            << d.errors[0].toStdString();
        EXPECT_TRUE(d.errors[0].endsWith("; using the NetWare client"));
    }
    const DirectoryConfig sasl =
        parse("[directory]\nsource = ldap\n[ldap]\nbind = SASL\nsasl_mech = external\n");
    EXPECT_TRUE(sasl.errors.isEmpty());
    EXPECT_EQ(sasl.ldap.bind, LdapBind::Sasl);
    EXPECT_EQ(sasl.ldap.saslMech, "EXTERNAL");
    // The LDAP keys are not checked for another source.
    const DirectoryConfig logins = parse("[directory]\nsource = logins\n[ldap]\nbind = kerberos\n");
    EXPECT_EQ(logins.source, SourceKind::Logins);
    EXPECT_TRUE(logins.errors.isEmpty());
}

TEST(ConfigParse, ErrorLinesShowControlBytesEscapedAndLongValuesCut)
{
    const QString shown = directory::printable(QByteArray("a\nb\tc") + QByteArray(200, 'x'));
    EXPECT_TRUE(shown.startsWith("a\\x0ab\\x09c"));
    EXPECT_TRUE(shown.endsWith("..."));
    EXPECT_LE(shown.size(), 100);
}

TEST(BrowserConfig, TheProfileIsKeptOnlyWhenTheFileSaysSo)
{
    struct Case
    {
        const char *name;
        QByteArray text;
        bool keep;
        const char *errorKey; // the key an error line names, or null for none
    };
    const Case cases[] = {
        {"no section", "[directory]\nsource = netware\n", false, nullptr},
        {"keep", "[browser]\nprofile = keep\n", true, nullptr},
        {"keep in capitals", "[browser]\nprofile = KEEP\n", true, nullptr},
        {"discard", "[browser]\nprofile = discard\n", false, nullptr},
        {"empty", "[browser]\nprofile =\n", false, nullptr},
        {"unknown value keeps nothing", "[browser]\nprofile = always\n", false, "profile"},
        {"key of another section", "[directory]\nprofile = keep\n", false, nullptr},
        {"older name keeps", "[browser]\ncookies = keep\n", true, nullptr},
        {"older name, unknown value", "[browser]\ncookies = always\n", false, "cookies"},
        {"the newer name wins", "[browser]\ncookies = keep\nprofile = discard\n", false, nullptr},
        {"the newer name wins, keeping", "[browser]\ncookies = discard\nprofile = keep\n", true,
         nullptr},
    };
    for (const Case &c : cases) {
        const DirectoryConfig config = parse(c.text);
        EXPECT_EQ(config.browser.keepProfile, c.keep) << c.name;
        ASSERT_EQ(config.errors.size(), c.errorKey ? 1 : 0) << c.name;
        if (c.errorKey) {
            EXPECT_TRUE(config.errors.front().contains(
                QStringLiteral("[browser] %1").arg(QLatin1String(c.errorKey))))
                << c.name;
        }
        EXPECT_EQ(config.source, SourceKind::NetWare) << c.name;
    }
}

TEST(BrowserConfig, NegotiateListsHostNamesOnly)
{
    struct Case
    {
        const char *name;
        QByteArray text;
        const char *servers;
        int errors;
    };
    const Case cases[] = {
        {"none", "[browser]\n", "", 0},
        {"one wildcard", "[browser]\nnegotiate = *.acme.example\n", "*.acme.example", 0},
        {"a list, blanks and capitals", "[browser]\nnegotiate = *.Acme.example , intra.example\n",
         "*.acme.example,intra.example", 0},
        {"empty", "[browser]\nnegotiate =\n", "", 0},
        {"another switch smuggled in", "[browser]\nnegotiate = a.example --no-sandbox\n", "", 1},
        {"an empty entry", "[browser]\nnegotiate = a.example,,b.example\n", "", 1},
        {"a control byte", "[browser]\nnegotiate = a\x01.example\n", "", 1},
    };
    for (const Case &c : cases) {
        const DirectoryConfig config = parse(c.text);
        EXPECT_EQ(config.browser.negotiate, QLatin1String(c.servers)) << c.name;
        ASSERT_EQ(config.errors.size(), c.errors) << c.name;
        if (c.errors) {
            EXPECT_TRUE(config.errors.front().contains("[browser] negotiate")) << c.name;
            EXPECT_FALSE(config.errors.front().contains(QLatin1Char('\x01'))) << c.name;
        }
    }
}

TEST(JournalConfig, RecordsAreWrittenUnlessTheFileSwitchesThemOff)
{
    struct Case
    {
        const char *name;
        QByteArray text;
        bool records;
        int errors;
    };
    const Case cases[] = {
        {"no section", "[directory]\nsource = logins\n", true, 0},
        {"off", "[journal]\nrecords = off\n", false, 0},
        {"off in capitals, with a comment", "[Journal]\nRecords = OFF  # not here\n", false, 0},
        {"on", "[journal]\nrecords = on\n", true, 0},
        {"empty", "[journal]\nrecords =\n", true, 0},
        {"unknown value keeps the records", "[journal]\nrecords = of\n", true, 1},
        {"key of another section", "[browser]\nrecords = off\n", true, 0},
    };
    for (const Case &c : cases) {
        const DirectoryConfig config = parse(c.text);
        EXPECT_EQ(config.journal.records, c.records) << c.name;
        ASSERT_EQ(config.errors.size(), c.errors) << c.name;
        if (c.errors) {
            EXPECT_EQ(config.errors.front(),
                      "ldpn: configuration /etc/xdg/daypane/daypane.conf: [journal] records: "
                      "unknown value \"of\" (on or off), so the records are written")
                << c.name;
        }
    }
}
