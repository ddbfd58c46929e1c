// The LDAP source's answers and error lines with a scripted look-up, and the choice of source.
#include "directory/ldapdirectory.h"
#include "directory/loginsdirectory.h"
#include "directory/netwaredirectory.h"
#include "directory/source.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using directory::ldapmodule::Answer;
using directory::ldapmodule::Request;

namespace {

Answer found(const char *dn, const char *value)
{
    Answer a;
    a.outcome = Answer::Outcome::Found;
    a.dn = dn;
    a.hasValue = value != nullptr;
    a.value = value ? value : "";
    return a;
}

Answer failed(const char *server, const char *reason)
{
    Answer a;
    a.server = server;
    a.reason = reason;
    return a;
}

// An LDAP source whose look-up answers as told and keeps what it was asked.
struct Scripted
{
    directory::LdapConfig config;
    Answer answer;
    std::vector<Request> requests;
    QStringList lines;

    std::unique_ptr<directory::LdapDirectory> source(const QString &login = "jdoe")
    {
        return std::make_unique<directory::LdapDirectory>(
            config, login,
            [this](const Request &rq) {
                requests.push_back(rq);
                return answer;
            },
            [this](const QString &l) { lines << l; });
    }
};

// The decision's questions, in its order: who am I, the time, who am I again for the caption.
struct Asked
{
    QString name;
    bool read = false;
    dates::TDateTime time = 0;
    QString typeless;
};

Asked ask(directory::Directory &d)
{
    Asked a;
    a.name = d.whoAmIName();
    a.read = d.readTimeAttribute("[root]", a.name, 47, a.time);
    a.typeless = d.typelessName(d.whoAmIName());
    return a;
}

} // namespace

TEST(LdapSource, FindsTheEntryOnceAndAnswersWithItsNameAndTime)
{
    Scripted s;
    s.config.uri = "ldap://dir.example";
    s.config.base = "o=Acme";
    s.config.filter = "(&(objectClass=person)(uid=%u))";
    s.config.attribute = "siteLastLogin";
    s.config.timeoutMs = 1500;
    s.answer = found("cn=jdoe,ou=Sales,o=Acme", "20260718081500Z");
    auto d = s.source("j*doe");
    const Asked a = ask(*d);
    EXPECT_EQ(a.name, "cn=jdoe,ou=Sales,o=Acme");
    EXPECT_TRUE(a.read);
    EXPECT_NEAR(a.time, dates::EncodeDate(2026, 7, 18) + (8 * 60 + 15) / 1440.0, 1e-9);
    EXPECT_EQ(a.typeless, "jdoe.Sales.Acme");
    ASSERT_EQ(s.requests.size(), 1u);
    const Request &rq = s.requests[0];
    EXPECT_EQ(rq.uri, "ldap://dir.example");
    EXPECT_EQ(rq.base, "o=Acme");
    EXPECT_EQ(rq.filter, "(&(objectClass=person)(uid=j\\2adoe))");
    EXPECT_EQ(rq.attribute, "siteLastLogin");
    EXPECT_EQ(rq.bind, directory::ldapmodule::Bind::Anonymous);
    EXPECT_EQ(rq.timeoutMs, 1500);
    EXPECT_TRUE(s.lines.isEmpty());
    // Only "Last Login Time" is read, and only for the entry found.
    dates::TDateTime other = 5;
    EXPECT_FALSE(d->readTimeAttribute("[root]", a.name, 48, other));
    EXPECT_FALSE(d->readTimeAttribute("[root]", "cn=other,o=Acme", 47, other));
    EXPECT_EQ(other, 5);
}

// An entry without a time leaves the page to show at every login: one line says why.
TEST(LdapSource, AbsentEmptyOrMalformedValuesLeaveTheTimeAsItWasAndAreOneLine)
{
    const struct
    {
        const char *value;
        const char *line;
    } rows[] = {
        {nullptr, "cn=jdoe,o=Acme has no lastLoginTime that this bind may read"},
        {"", "lastLoginTime of cn=jdoe,o=Acme is not a time: \"\""},
        {"yesterday", "lastLoginTime of cn=jdoe,o=Acme is not a time: \"yesterday\""},
        {"20261307081500Z", "lastLoginTime of cn=jdoe,o=Acme is not a time: \"20261307081500Z\""},
        {"2026\x1b[2J", "lastLoginTime of cn=jdoe,o=Acme is not a time: \"2026\\x1b[2J\""},
    };
    for (const auto &row : rows) {
        const char *name = row.value ? row.value : "-";
        Scripted s;
        s.config.uri = "ldap://dir.example";
        s.answer = found("cn=jdoe,o=Acme", row.value);
        auto d = s.source();
        dates::TDateTime t = 42;
        EXPECT_EQ(d->whoAmIName(), "cn=jdoe,o=Acme");
        EXPECT_FALSE(d->readTimeAttribute("[root]", "cn=jdoe,o=Acme", 47, t)) << name;
        d->whoAmIName();
        EXPECT_EQ(t, 42);
        EXPECT_EQ(s.lines.join('|').toStdString(),
                  std::string("ldpn: directory ldap://dir.example: ") + row.line)
            << name;
    }
}

TEST(LdapSource, NoEntryOrMoreThanOneIsADirectoryThatCannotAnswerAndOneLine)
{
    const struct
    {
        const char *name;
        Answer::Outcome outcome;
        int entries;
        bool more;
        const char *base;
        const char *line;
    } rows[] = {
        {"NoEntry", Answer::Outcome::NoEntry, 0, false, "o=Acme",
         "no entry matches (uid=jdoe) under o=Acme"},
        {"NoEntryUnderTheDefaultBase", Answer::Outcome::NoEntry, 0, false, "",
         "no entry matches (uid=jdoe) under ldap.conf's BASE"},
        {"Two", Answer::Outcome::Ambiguous, 2, false, "o=Acme",
         "several entries (2) match (uid=jdoe) under o=Acme, not one"},
        {"MoreThanCounted", Answer::Outcome::Ambiguous, 100, true, "o=Acme",
         "several entries (at least 100) match (uid=jdoe) under o=Acme, not one"},
    };
    for (const auto &row : rows) {
        Scripted s;
        s.config.uri = "ldap://dir.example";
        s.config.base = row.base;
        s.answer.outcome = row.outcome;
        s.answer.entries = row.entries;
        s.answer.moreEntries = row.more;
        s.answer.dn = "cn=twin1,o=Acme";
        auto d = s.source();
        const Asked a = ask(*d);
        EXPECT_EQ(a.name, "") << row.name;
        EXPECT_FALSE(a.read) << row.name;
        EXPECT_EQ(a.time, 0) << row.name;
        EXPECT_EQ(a.typeless, "") << row.name;
        EXPECT_EQ(s.lines.join('|').toStdString(),
                  std::string("ldpn: directory ldap://dir.example: ") + row.line)
            << row.name;
    }
}

TEST(LdapSource, AFailureIsOneLineNamingTheServerAndTheReason)
{
    Scripted s;
    s.config.uri = "ldap://127.0.0.1:3890";
    s.answer = failed("ldap://127.0.0.1:3890/", "Can't contact LDAP server");
    auto d = s.source();
    const Asked a = ask(*d);
    EXPECT_EQ(a.name, "");
    EXPECT_FALSE(a.read);
    EXPECT_EQ(a.typeless, "");
    EXPECT_EQ(s.lines,
              QStringList{"ldpn: directory ldap://127.0.0.1:3890/: Can't contact LDAP server"});
    EXPECT_EQ(s.requests.size(), 1u);

    // Bytes from the server reach the log escaped.
    Scripted noisy;
    noisy.answer = failed("ldap://x/", "bind: Invalid credentials (\x1b]0;owned\x07)");
    ask(*noisy.source());
    EXPECT_EQ(noisy.lines, QStringList{"ldpn: directory ldap://x/: bind: Invalid credentials "
                                       "(\\x1b]0;owned\\x07)"});
}

TEST(LdapSource, WithoutALoginNameNothingIsLookedUp)
{
    Scripted s;
    s.answer = found("cn=jdoe,o=Acme", "20260718081500Z");
    const Asked a = ask(*s.source(""));
    EXPECT_EQ(a.name, "");
    EXPECT_TRUE(s.requests.empty());
    EXPECT_TRUE(s.lines.isEmpty());
}

TEST(LdapSource, SimpleBindTakesTheFirstLineOfThePasswordFile)
{
    QTemporaryDir dir;
    Scripted s;
    s.config.uri = "ldap://dir.example";
    s.config.bind = directory::LdapBind::Simple;
    s.config.bindDn = "cn=reader,o=Acme";
    s.config.passwordFile = dir.path() + "/secret";
    s.answer = found("cn=jdoe,o=Acme", nullptr);
    testsupport::writeFile(s.config.passwordFile, "s3cret pass\r\nsecond line\n");
    ask(*s.source());
    ASSERT_EQ(s.requests.size(), 1u);
    EXPECT_EQ(s.requests[0].bind, directory::ldapmodule::Bind::Simple);
    EXPECT_EQ(s.requests[0].bindDn, "cn=reader,o=Acme");
    EXPECT_EQ(s.requests[0].password, "s3cret pass");
}

TEST(LdapSource, APasswordFileThatCannotBeUsedIsOneLineAndNoLookUp)
{
    QTemporaryDir dir;
    struct Case
    {
        const char *content; // null: no file
        const char *reason;
    };
    for (const Case &c : {Case{nullptr, "No such file or directory"},
                          Case{"\nsecond", "the first line is empty"}}) {
        Scripted s;
        s.config.uri = "ldap://dir.example";
        s.config.bind = directory::LdapBind::Simple;
        s.config.bindDn = "cn=reader,o=Acme";
        s.config.passwordFile = dir.path() + "/secret";
        QFile::remove(s.config.passwordFile);
        if (c.content)
            testsupport::writeFile(s.config.passwordFile, c.content);
        const Asked a = ask(*s.source());
        EXPECT_EQ(a.name, "");
        EXPECT_TRUE(s.requests.empty());
        EXPECT_EQ(s.lines, QStringList{QStringLiteral("ldpn: directory ldap://dir.example: "
                                                      "password file %1: %2")
                                           .arg(s.config.passwordFile, c.reason)});
    }
}

TEST(LdapSource, AModuleThatCannotBeLoadedSaysWhy)
{
    const auto lookup = directory::moduleLookup("/nonexistent/libdaypane-ldap.so");
    Request rq;
    rq.uri = "ldap://dir.example";
    const Answer a = lookup(rq);
    EXPECT_EQ(a.outcome, Answer::Outcome::Failed);
    EXPECT_EQ(a.server, "ldap://dir.example");
    EXPECT_EQ(a.reason.rfind("cannot load the LDAP module: ", 0), 0u) << a.reason;
}

TEST(SourceChoice, TheConfigurationPicksTheSource)
{
    directory::DirectoryConfig c;
    directory::DirectorySource netware = directory::chooseDirectory(c, "jdoe", "/x.so", nullptr);
    EXPECT_NE(dynamic_cast<directory::NetWareDirectory *>(netware.directory), nullptr);
    EXPECT_EQ(netware.directory, netware.owned.get());

    c.source = directory::SourceKind::Ldap;
    directory::DirectorySource ldap = directory::chooseDirectory(c, "jdoe", "/x.so", nullptr);
    EXPECT_NE(dynamic_cast<directory::LdapDirectory *>(ldap.directory), nullptr);
    EXPECT_EQ(ldap.directory, ldap.owned.get());

    c.source = directory::SourceKind::Logins;
    directory::DirectorySource logins = directory::chooseDirectory(c, "jdoe", "/x.so", nullptr);
    ASSERT_NE(dynamic_cast<directory::LoginsDirectory *>(logins.directory), nullptr);
    EXPECT_EQ(logins.directory->whoAmIName(), "jdoe");
}

TEST(SourceChoice, TheLoginNameIsLognameOrThePasswordName)
{
    EXPECT_EQ(directory::loginName("jdoe", "root"), "jdoe");
    EXPECT_EQ(directory::loginName("", "root"), "root");
    EXPECT_EQ(directory::loginName("", ""), "");
}
