// The login records file, written as the system writes it (glibc's updwtmpx).
#include "directory/loginrecords.h"
#include "directory/loginsdirectory.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utmpx.h>

namespace {

constexpr qint64 kNow = 1784455200; // 2026-07-19 10:00:00 UTC
constexpr qint64 kDay = 86400;

struct Records
{
    QTemporaryDir dir;
    QString path = dir.path() + QStringLiteral("/wtmp");

    void add(short type, const char *user, qint64 seconds, const char *line = "tty7") const
    {
        if (!QFile::exists(path)) // the system appends only to a file that is there
            testsupport::writeFile(path, {});
        utmpx u{};
        u.ut_type = type;
        u.ut_pid = 4242;
        std::strncpy(u.ut_line, line, sizeof u.ut_line);
        std::strncpy(u.ut_user, user, sizeof u.ut_user);
        u.ut_tv.tv_sec = static_cast<decltype(u.ut_tv.tv_sec)>(seconds);
        updwtmpx(QFile::encodeName(path).constData(), &u);
    }
    void login(const char *user, qint64 seconds) const { add(USER_PROCESS, user, seconds); }
    directory::LoginSearch search(const QByteArray &user, int timeoutMs = 60000) const
    {
        return directory::searchLogins(path, user, timeoutMs);
    }
    std::optional<qint64> previous(const QByteArray &user) const
    {
        const directory::LoginSearch found = search(user);
        EXPECT_TRUE(found.reason.isEmpty()) << found.reason.toStdString();
        return found.previous;
    }
};

} // namespace

TEST(LoginRecords, TheRecordLayoutIsTheSystems)
{
    EXPECT_EQ(sizeof(utmpx), std::size_t(directory::utmp::kRecordSize));
    EXPECT_EQ(offsetof(utmpx, ut_user), std::size_t(directory::utmp::kUserOffset));
    EXPECT_EQ(offsetof(utmpx, ut_tv), std::size_t(directory::utmp::kSecondsOffset));
    EXPECT_EQ(USER_PROCESS, directory::utmp::kUserProcess);
}

TEST(LoginRecords, ThePreviousLoginIsTheOneBeforeTheNewest)
{
    Records yesterday;
    yesterday.add(BOOT_TIME, "reboot", kNow - 2 * kDay);
    yesterday.login("jdoe", kNow - kDay);
    yesterday.add(DEAD_PROCESS, "", kNow - kDay + 3600);
    yesterday.login("jdoe", kNow);
    EXPECT_EQ(yesterday.previous("jdoe"), kNow - kDay);

    Records earlierToday;
    earlierToday.login("jdoe", kNow - 3 * kDay);
    earlierToday.login("jdoe", kNow - 7200);
    earlierToday.login("jdoe", kNow);
    EXPECT_EQ(earlierToday.previous("jdoe"), kNow - 7200);
}

TEST(LoginRecords, OneRecordOrNoneOrNoFileIsNoPreviousLogin)
{
    Records only;
    only.login("jdoe", kNow);
    EXPECT_EQ(only.previous("jdoe"), std::nullopt);
    EXPECT_EQ(only.search("jdoe").logins, 1);

    Records others;
    others.login("alice", kNow - kDay);
    others.login("bob", kNow);
    EXPECT_EQ(others.previous("jdoe"), std::nullopt);
    EXPECT_EQ(others.search("jdoe").logins, 0);

    Records empty;
    testsupport::writeFile(empty.path, "");
    EXPECT_EQ(empty.previous("jdoe"), std::nullopt);
    EXPECT_EQ(others.previous(""), std::nullopt);

    Records missing;
    const directory::LoginSearch none = missing.search("jdoe");
    EXPECT_EQ(none.previous, std::nullopt);
    EXPECT_EQ(none.reason, "no such file");
}

TEST(LoginRecords, OnlyTheUsersOwnLoginRecordsCount)
{
    Records r;
    r.login("jdoe", kNow - 5 * kDay);
    for (int i = 0; i < 700; ++i) { // more than one read chunk of other users' records
        r.login(i % 2 ? "alice" : "jdoe2", kNow - 4 * kDay + i);
        r.add(LOGIN_PROCESS, "jdoe", kNow - 4 * kDay + i);
        r.add(DEAD_PROCESS, "jdoe", kNow - 4 * kDay + i);
    }
    r.login("jdo", kNow - 60);
    r.login("jdoe", kNow);
    r.login("alice", kNow + 5);
    EXPECT_EQ(r.previous("jdoe"), kNow - 5 * kDay);
    EXPECT_EQ(r.previous("alice"), kNow - 4 * kDay + 699);
}

TEST(LoginRecords, ANameLongerThanTheFieldMatchesItsStoredPart)
{
    Records r;
    const QByteArray name(40, 'n');
    r.login(name.constData(), kNow - kDay); // stored cut to 32 bytes
    r.login(name.constData(), kNow);
    EXPECT_EQ(r.previous(name), kNow - kDay);
    EXPECT_EQ(r.previous(name.left(32)), kNow - kDay);
    EXPECT_EQ(r.previous(name.left(31)), std::nullopt);
}

TEST(LoginRecords, ATruncatedLastRecordIsSkipped)
{
    Records r;
    r.login("jdoe", kNow - 2 * kDay);
    r.login("jdoe", kNow - kDay);
    r.login("jdoe", kNow);
    QFile f(r.path);
    ASSERT_TRUE(f.resize(f.size() - 100)); // the newest record is cut short
    EXPECT_EQ(r.previous("jdoe"), kNow - 2 * kDay);

    QFile g(r.path);
    ASSERT_TRUE(g.open(QIODevice::Append));
    g.write(QByteArray(50, '\x07')); // still short of a whole record
    g.close();
    EXPECT_EQ(r.previous("jdoe"), kNow - 2 * kDay);
}

TEST(LoginRecords, AHundredMegabyteFileIsReadInBoundedChunks)
{
    Records atEnd; // a year of records before the two that count: a sparse file, made quickly
    {
        QFile f(atEnd.path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(100) * 1024 * 1024 / 384 * 384));
    }
    atEnd.login("jdoe", kNow - kDay);
    atEnd.login("jdoe", kNow);
    EXPECT_EQ(atEnd.previous("jdoe"), kNow - kDay);

    Records atStart; // the whole file must be read for the previous login
    atStart.login("jdoe", kNow - 300 * kDay);
    {
        QFile f(atStart.path);
        ASSERT_TRUE(f.resize(qint64(100) * 1024 * 1024 + 17));
    }
    atStart.login("jdoe", kNow); // the system cuts the partial record before appending
    EXPECT_EQ(atStart.previous("jdoe"), kNow - 300 * kDay);
}

TEST(LoginRecords, WhatIsNotARegularFileIsAnErrorAndNeverBlocks)
{
    Records r;
    ASSERT_EQ(mkfifo(QFile::encodeName(r.path).constData(), 0600), 0);
    EXPECT_EQ(r.search("jdoe").previous, std::nullopt);
    EXPECT_EQ(r.search("jdoe").reason, "not a regular file");
    const directory::LoginSearch folder = directory::searchLogins(r.dir.path(), "jdoe", 60000);
    EXPECT_EQ(folder.previous, std::nullopt);
    EXPECT_EQ(folder.reason, "not a regular file");
}

// The previous login at the start of four gigabytes: the search stops at its limit and says so,
// where it took eleven seconds of the login before.
TEST(LoginRecords, TheSearchStopsAtItsTimeLimit)
{
    Records huge;
    huge.login("jdoe", kNow);
    {
        QFile f(huge.path);
        ASSERT_TRUE(f.resize(qint64(4) * 1024 * 1024 * 1024 / 384 * 384));
    }
    huge.login("jdoe", kNow); // the newest login; the previous one lies at the start
    const directory::LoginSearch found = huge.search("jdoe", 100);
    EXPECT_EQ(found.previous, std::nullopt);
    EXPECT_EQ(found.logins, 1);
    EXPECT_EQ(found.reason, "not searched to the end within 0.1 s");
}

TEST(LoginRecords, AnyBytesAreReadWithoutOverrun)
{
    QByteArray bytes(384 * 3 + 5, '\xff');
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    EXPECT_EQ(directory::previousLoginSeconds(buffer, "jdoe"), std::nullopt);
    // Records whose name field is full, without a terminator.
    QByteArray full(384 * 2, '\0');
    for (int i = 0; i < 2; ++i) {
        char *rec = full.data() + i * 384;
        const std::int16_t type = 7;
        std::memcpy(rec, &type, 2);
        std::memset(rec + 44, 'x', 32);
        const std::uint32_t sec = 100 + i;
        std::memcpy(rec + 340, &sec, 4);
    }
    QBuffer b2(&full);
    ASSERT_TRUE(b2.open(QIODevice::ReadOnly));
    EXPECT_EQ(directory::previousLoginSeconds(b2, QByteArray(32, 'x')), 100);
}

TEST(LoginsDirectory, AnswersWithTheLoginNameAndThePreviousLogin)
{
    Records r;
    r.login("jdoe", kNow - kDay);
    r.login("jdoe", kNow);
    QStringList lines;
    directory::LoginsDirectory d(r.path, "jdoe", [&](const QString &l) { lines << l; });
    EXPECT_EQ(d.whoAmIName(), "jdoe");
    EXPECT_EQ(d.typelessName(d.whoAmIName()), "jdoe");
    dates::TDateTime t = 0;
    EXPECT_TRUE(d.readTimeAttribute("[root]", "jdoe", 47, t));
    EXPECT_NEAR(t, 25569.0 + double(kNow - kDay) / kDay, 1e-9);
    dates::TDateTime untouched = 7;
    EXPECT_FALSE(d.readTimeAttribute("[root]", "jdoe", 30, untouched));
    EXPECT_FALSE(d.readTimeAttribute("[root]", "alice", 47, untouched));
    EXPECT_EQ(untouched, 7);
    EXPECT_TRUE(lines.isEmpty());

    directory::LoginsDirectory nobody(r.path, "", nullptr);
    EXPECT_EQ(nobody.whoAmIName(), "");
    EXPECT_FALSE(nobody.readTimeAttribute("[root]", "", 47, untouched));
}

TEST(LoginsDirectory, RecordsThatCannotAnswerAreReportedOnceAndHaveNoPreviousLogin)
{
    Records folder;
    QDir().mkpath(folder.path);
    Records missing;
    Records others;
    others.login("alice", kNow);
    Records unreadable;
    unreadable.login("jdoe", kNow);
    QFile::setPermissions(unreadable.path, QFileDevice::WriteOwner);
    const struct
    {
        const char *name;
        const Records &records;
        QString why;
    } rows[] = {
        {"Folder", folder, "not a regular file"},
        {"Missing", missing, "no such file"},
        {"NoLoginOfTheUser", others, "no login of jdoe recorded"},
        {"Unreadable", unreadable, "cannot be read (Permission denied)"},
    };
    for (const auto &row : rows) {
        if (std::string(row.name) == "Unreadable" && ::geteuid() == 0)
            continue; // root reads every file
        QStringList lines;
        directory::LoginsDirectory d(row.records.path, "jdoe",
                                     [&](const QString &l) { lines << l; });
        dates::TDateTime t = 0;
        EXPECT_FALSE(d.readTimeAttribute("[root]", "jdoe", 47, t)) << row.name;
        EXPECT_FALSE(d.readTimeAttribute("[root]", "jdoe", 47, t)) << row.name;
        EXPECT_EQ(lines, QStringList{"ldpn: directory " + row.records.path + ": " + row.why})
            << row.name;
        EXPECT_EQ(t, 0) << row.name;
    }

    // The user's first login on this machine: this session alone, an answer and no line.
    Records first;
    first.login("jdoe", kNow);
    QStringList lines;
    directory::LoginsDirectory d(first.path, "jdoe", [&](const QString &l) { lines << l; });
    dates::TDateTime t = 0;
    EXPECT_FALSE(d.readTimeAttribute("[root]", "jdoe", 47, t));
    EXPECT_TRUE(lines.isEmpty()) << lines.join('\n').toStdString();
}
