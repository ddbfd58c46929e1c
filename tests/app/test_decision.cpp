#include "app/einouterror.h"
#include "app/form1core.h"
#include "app/programvalues.h"
#include "components/AboutSystem.h"
#include "platform/textfile.h"
#include "scriptedstartup.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <ctime>
#include <gtest/gtest.h>

using Outcome = TForm1Core::Outcome;

namespace {

class Decision : public testing::Test, public ScriptedStartup
{
protected:
    Decision()
        : ScriptedStartup({2026, 2, 9, 9, 30, 0, 0}, // day 40
                          {platform::TIME_ZONE_ID_STANDARD, {300, 0, -60}})
    {
    }

    Outcome decide(QStringList args)
    {
        env.arguments = args;
        core = std::make_unique<TForm1Core>(env);
        return core->FormCreate();
    }

    // A login at the given local day of 2026 and hour, as the directory keeps it (UTC).
    void lastLoginOn(int month, int day, int hour)
    {
        directory.loginUtc = dates::EncodeDate(2026, month, day) + hour / 24.0 + 300 / 1440.0;
    }
    void today(int month, int day) { clock.set({2026, month, day, 9, 30, 0, 0}); }
    void writeStamp(const QByteArray &bytes) { testsupport::writeFile(stampFile(), bytes); }

    std::unique_ptr<TForm1Core> core;
};

TEST_F(Decision, MissingAddressOrModeEndsBeforeAnythingIsAsked)
{
    EXPECT_EQ(decide({}), Outcome::End);
    EXPECT_EQ(decide({"http://intra/news"}), Outcome::End);
    EXPECT_EQ(decide({"", "/F"}), Outcome::End);
    EXPECT_EQ(directory.reads, 0);
    EXPECT_FALSE(programValues().IntervalMode);
}

TEST_F(Decision, NormalAndForceModeByPreviousLogin)
{
    const struct
    {
        const char *mode;
        int loginDay; // of February; today is 9 February
        Outcome outcome;
    } rows[] = {
        {"/N", 8, Outcome::Show}, {"/N", 9, Outcome::End},    {"/n", 9, Outcome::End},
        {"/X", 8, Outcome::Show}, {"/F", 9, Outcome::Show},   {"/f", 9, Outcome::Show},
        {"/F5", 9, Outcome::End}, {"/FULL", 9, Outcome::End}, {"x/", 9, Outcome::End},
    };
    for (const auto &row : rows) {
        lastLoginOn(2, row.loginDay, 8);
        EXPECT_EQ(decide({"http://intra/", row.mode}), row.outcome) << row.mode << row.loginDay;
        EXPECT_FALSE(programValues().IntervalMode);
    }
    EXPECT_EQ(directory.lastContext, "[root]");
    EXPECT_EQ(directory.lastIndex, 47);
}

TEST_F(Decision, CaptionNamesTheTypelessUserAndTheLocalLoginTime)
{
    lastLoginOn(2, 8, 8); // 08:00 local, 13:00 UTC
    ASSERT_EQ(decide({"http://intra/", "/N"}), Outcome::Show);
    const QString expected = QStringLiteral("jdoe.Sales.Acme  \u00B7 Last Login: ") +
                             dates::DateTimeToText(dates::EncodeDate(2026, 2, 8) + 8 / 24.0);
    EXPECT_EQ(core->caption(), expected);
    EXPECT_TRUE(core->caption().endsWith("08:00:00")) << core->caption().toStdString();
    EXPECT_EQ(programValues().CurrentDay, "40");
    EXPECT_EQ(programValues().LastLoginDay, "39");
}

TEST_F(Decision, UnreachableDirectoryKeepsDayZero)
{
    directory.haveTime = false;
    directory.name.clear();
    EXPECT_EQ(decide({"http://intra/", "/N"}), Outcome::Show);
    EXPECT_EQ(programValues().LastLoginDay, "364");
    // No name: the caption starts at the middle dot, not with blanks.
    EXPECT_EQ(core->caption(), QStringLiteral("\u00B7 Last Login: 30 Dec 1899 05:00:00"));
    // On the 364th day of the year the same login ends.
    today(12, 30);
    programValues() = {};
    EXPECT_EQ(decide({"http://intra/", "/N"}), Outcome::End);
}

TEST_F(Decision, IntervalModeTable)
{
    const struct
    {
        const char *name;
        int month, day; // today
        const char *mode;
        std::optional<QByteArray> stamp;
        Outcome outcome;
    } rows[] = {
        {"NoFilePasses", 2, 9, "7", std::nullopt, Outcome::Show},
        {"OneDayShort", 2, 10, "7", QByteArray("35\r\n"), Outcome::End},
        {"ExactlyDue", 2, 11, "7", QByteArray("35\r\n"), Outcome::Show},
        {"ZeroSameDay", 2, 9, "0", QByteArray("40\r\n"), Outcome::Show},
        {"NoLineEnd", 2, 11, "7", QByteArray("35"), Outcome::Show},
        {"OnlyFirstLine", 2, 10, "7", QByteArray("35\r\n1\r\n"), Outcome::End},
        {"SignedInterval", 2, 9, "+7", QByteArray("33\r\n"), Outcome::Show},
        {"NegativeInterval", 2, 9, "-3", QByteArray("40\r\n"), Outcome::Show},
        // A late-December stamp read in January is from last year.
        {"LastYearDue", 1, 5, "7", QByteArray("360\r\n"), Outcome::Show},
        {"LastYearNotYet", 1, 1, "7", QByteArray("360\r\n"), Outcome::End},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(stampFile());
        if (row.stamp)
            writeStamp(*row.stamp);
        today(row.month, row.day);
        lastLoginOn(1, 1, 0);
        programValues() = {};
        EXPECT_EQ(decide({"http://intra/", row.mode}), row.outcome);
        EXPECT_TRUE(programValues().IntervalMode);
    }
}

TEST_F(Decision, IntervalDueButSameDayLoginEnds)
{
    lastLoginOn(2, 9, 7);
    EXPECT_EQ(decide({"http://intra/", "7"}), Outcome::End);
}

TEST_F(Decision, IntervalNotDueAsksNoDirectory)
{
    writeStamp("40\r\n");
    EXPECT_EQ(decide({"http://intra/", "7"}), Outcome::End);
    EXPECT_EQ(directory.reads, 0);
}

TEST_F(Decision, BadNumbersRaiseTheIntegerError)
{
    const struct
    {
        const char *mode;
        std::optional<QByteArray> stamp;
        const char *message;
    } rows[] = {
        {"abc", std::nullopt, "'abc' is not a valid integer value"},
        {"7", QByteArray(""), "'' is not a valid integer value"},
        {"7", QByteArray("12x\r\n"), "'12x' is not a valid integer value"},
        {"99999999999", std::nullopt, "'99999999999' is not a valid integer value"},
    };
    for (const auto &row : rows) {
        QFile::remove(stampFile());
        if (row.stamp)
            writeStamp(*row.stamp);
        try {
            decide({"http://intra/", row.mode});
            ADD_FAILURE() << "no error for " << row.mode;
        } catch (const framework::Exception &e) {
            EXPECT_EQ(e.message(), row.message);
        }
        EXPECT_EQ(directory.reads, 0);
    }
}

TEST_F(Decision, AbsurdlyLongStampFailsAsAnIntegerWithoutReadingItAll)
{
    writeStamp(QByteArray(8 << 20, '1'));
    try {
        decide({"http://intra/", "7"});
        FAIL();
    } catch (const framework::EConvertError &e) {
        EXPECT_LT(e.message().size(), 200);
        EXPECT_TRUE(e.message().endsWith("is not a valid integer value"));
    }
}

TEST_F(Decision, EchoedTextsAreEscapedAndCutButTheStampIsComparedAsRead)
{
    const struct
    {
        const char *name;
        QByteArray mode;
        std::optional<QByteArray> stamp;
        QString message;
    } rows[] = {
        {"NulInTheStamp", "7",
         QByteArray("1\0"
                    "2\r\n",
                    5),
         "'1\\02' is not a valid integer value"},
        {"EscapeInTheStamp", "7", QByteArray("\x1b]0;owned\x07\x1b[2J\r\n"),
         "'\\x1b]0;owned\\x07\\x1b[2J' is not a valid integer value"},
        {"LineEndsInTheMode", "7\n8\t9", std::nullopt, "'7\\n8\\t9' is not a valid integer value"},
        {"HugeMode", QByteArray(131072, '9'), std::nullopt,
         "'" + QString(64, QLatin1Char('9')) + "...' is not a valid integer value"},
        {"BidiOverrideInTheMode",
         "1\xe2\x80\xae"
         "2",
         std::nullopt, "'1\\u202e2' is not a valid integer value"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(stampFile());
        if (row.stamp)
            writeStamp(*row.stamp);
        try {
            decide({"http://intra/", QString::fromUtf8(row.mode)});
            ADD_FAILURE() << "no error";
        } catch (const framework::EConvertError &e) {
            EXPECT_EQ(e.message(), row.message);
        }
    }
    // Only the message is escaped: the stamp itself is the file's line.
    writeStamp(QByteArray("3\x1b\r\n"));
    EXPECT_THROW(decide({"http://intra/", "7"}), framework::EConvertError);
    EXPECT_EQ(programValues().DayStamp, QStringLiteral("3\x1b"));
}

TEST_F(Decision, AStampThatIsNoRegularFileIsAnErrorAtOnce)
{
    const QString fifo = stampFile();
    testsupport::FifoWatch watch(fifo);
    ASSERT_TRUE(watch.created());
    try {
        decide({"http://intra/", "7"});
        ADD_FAILURE() << "no error";
    } catch (const EInOutError &e) {
        EXPECT_EQ(e.message(), "File access denied");
    }
    EXPECT_FALSE(watch.stop()) << "the decision waited for a writer";
    EXPECT_EQ(directory.reads, 0);
}

TEST_F(Decision, UndeterminedTimeZoneStopsTheDecision)
{
    testsupport::FixedTimeZone broken(platform::TIME_ZONE_ID_INVALID, {});
    env.timeZone = &broken;
    try {
        decide({"http://intra/", "/F"});
        FAIL();
    } catch (const dates::EDateTimeError &e) {
        EXPECT_EQ(e.message(), "Error converting to UTC time. Time zone could not be determined");
    }
    EXPECT_EQ(core->caption(), "Daypane");
}

TEST_F(Decision, ZoneWithoutDaylightSavingConverts)
{
    testsupport::FixedTimeZone tokyo(platform::TIME_ZONE_ID_UNKNOWN, {-540, 0, 0});
    env.timeZone = &tokyo;
    directory.loginUtc = dates::EncodeDate(2026, 2, 8) + 20 / 24.0; // 05:00 on the 9th in Tokyo
    EXPECT_EQ(decide({"http://intra/", "/N"}), Outcome::End);
    EXPECT_EQ(programValues().LastLoginDay, "40");
}

// The previous login late on the evening before a daylight-saving change, or just after
// midnight on the day of it, judged the next morning: its day is the one it had then.
TEST_F(Decision, ThePreviousLoginKeepsItsDayAcrossADaylightSavingChange)
{
    const struct
    {
        const char *name;
        const char *tz;
        int month, day;     // today, at 09:30 local
        std::int64_t now;   // that moment in seconds since 1970 UTC
        std::int64_t login; // the previous login
        Outcome outcome;
        const char *caption; // the end of the caption: the login in local time
    } rows[] = {
        {"BerlinEveningBeforeSummerTime", "Europe/Berlin", 3, 29, 1774769400, 1774737000,
         Outcome::Show, "28 Mar 2026 23:30:00"},
        {"LordHoweAfterMidnightBeforeStandardTime", "Australia/Lord_Howe", 4, 5, 1775343600,
         1775308500, Outcome::End, "5 Apr 2026 00:15:00"},
        {"LordHoweEveningBeforeSummerTime", "Australia/Lord_Howe", 10, 4, 1791066600, 1791032400,
         Outcome::Show, "3 Oct 2026 23:30:00"},
    };
    for (const auto &row : rows) {
        testsupport::ScopedEnv tz("TZ", row.tz);
        tzset();
        const testsupport::SystemZoneAt zone(row.now);
        env.timeZone = &zone;
        today(row.month, row.day);
        directory.loginUtc = 25569.0 + double(row.login) / 86400.0;
        EXPECT_EQ(decide({"http://intra/", "/N"}), row.outcome) << row.name;
        EXPECT_TRUE(core->caption().endsWith(QLatin1String(row.caption)))
            << row.name << ": " << core->caption().toStdString();
    }
    tzset();
}

class DayStamp : public Decision
{
};

TEST_F(DayStamp, WriteStoresTheStartDayWithCrLf)
{
    today(7, 19);
    lastLoginOn(7, 1, 8);
    ASSERT_EQ(decide({"http://intra/", "0"}), Outcome::Show);
    EXPECT_EQ(programValues().CurrentDay, "200");
    today(7, 20); // the window stayed open past midnight
    core->WriteDayStamp();
    EXPECT_EQ(testsupport::readFile(stampFile()), QByteArray("200\r\n"));
}

TEST_F(DayStamp, AMissingDataFolderIsCreatedPrivateOnWriting)
{
    // A fresh account: not even the folder above the data folder is there yet.
    const QString data = dir.filePath("home/.local/share");
    store.setValue(platform::RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey,
                   "Local AppData", data);
    today(7, 19);
    ASSERT_EQ(decide({"http://intra/", "0"}), Outcome::Show);
    EXPECT_EQ(programValues().DayStamp, "0");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("home"))); // reading creates nothing
    core->WriteDayStamp();
    EXPECT_EQ(testsupport::readFile(data + "/dpn.qcf"), QByteArray("200\r\n"));
    // Only the user may enter: no bits for the group or others.
    for (const QString &folder : {dir.filePath("home"), dir.filePath("home/.local"), data})
        EXPECT_EQ(QFileInfo(folder).permissions().toInt() & 0x0777, 0x0700) << folder.toStdString();
}

TEST_F(DayStamp, WithoutAFolderOfItsOwnThereIsNoStamp)
{
    // Not the root folder, not the folder the program runs in.
    const bool rootHadOne = QFileInfo::exists("/dpn.qcf");
    for (const char *folder : {"", "relative/share"}) {
        SCOPED_TRACE(folder);
        store.setValue(platform::RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey,
                       "Local AppData", folder);
        ASSERT_EQ(decide({"http://intra/", "0"}), Outcome::Show);
        EXPECT_EQ(programValues().DayStamp, "0");
        try {
            core->WriteDayStamp();
            ADD_FAILURE() << "written";
        } catch (const EInOutError &e) {
            EXPECT_EQ(e.message(), "Invalid filename");
        }
    }
    if (!rootHadOne) {
        EXPECT_FALSE(QFileInfo::exists("/dpn.qcf"));
    }
    EXPECT_FALSE(QFileInfo::exists("relative"));
}

TEST_F(DayStamp, ReadAndWriteErrorsCarryTheirMessages)
{
    // A folder that cannot be made, below a file: reading finds no file, writing fails.
    testsupport::writeFile(dir.filePath("file"), "x");
    store.setValue(platform::RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey,
                   "Local AppData", dir.filePath("file/share"));
    ASSERT_EQ(decide({"http://intra/", "0"}), Outcome::Show);
    EXPECT_EQ(programValues().DayStamp, "0");
    try {
        core->WriteDayStamp();
        FAIL();
    } catch (const EInOutError &e) {
        EXPECT_EQ(e.message(), "Invalid filename");
    }
    // A folder even root cannot write to.
    store.setValue(platform::RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey,
                   "Local AppData", "/sys");
    decide({"http://intra/", "/F"});
    EXPECT_THROW(core->WriteDayStamp(), EInOutError);
    // The stamp path names a folder: no regular file is a stamp, so it cannot be read.
    QDir(dir.path()).mkdir("dpn.qcf");
    store.setValue(platform::RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey,
                   "Local AppData", dir.path());
    try {
        decide({"http://intra/", "0"});
        FAIL();
    } catch (const EInOutError &e) {
        EXPECT_EQ(e.message(), "File access denied");
    }
    EXPECT_THROW(core->WriteDayStamp(), EInOutError);
    EXPECT_TRUE(QFileInfo(stampFile()).isDir());
}

TEST(InOutError, MessagesByCode)
{
    const std::pair<int, const char *> rows[] = {{2, "File not found"},
                                                 {3, "Invalid filename"},
                                                 {4, "Too many open files"},
                                                 {5, "File access denied"},
                                                 {100, "Read beyond end of file"},
                                                 {101, "Disk full"},
                                                 {106, "Invalid numeric input"},
                                                 {32, "I/O error 32"}};
    for (const auto &[code, text] : rows)
        EXPECT_EQ(EInOutError(code).message(), text);
    // System error numbers that no code stands for are named as they are, even where they
    // equal a code of the table (EIO 5, EINTR 4, ENETDOWN 100).
    const std::pair<int, const char *> system[] = {
        {5, "I/O error 5"}, {4, "I/O error 4"}, {100, "I/O error 100"}, {2, "I/O error 2"}};
    for (const auto &[err, text] : system)
        EXPECT_EQ(EInOutError(platform::kIoSystemError + err).message(), text);
}

TEST(CommandLine, OnlyTheFirstThreeArgumentsCount)
{
    const char *argv[] = {"ldpn", "http://a b", "/N", "/FULL", "extra"};
    EXPECT_EQ(commandLineArguments(5, argv), (QStringList{"http://a b", "/N", "/FULL"}));
    EXPECT_EQ(upperAscii(QStringLiteral("/full\u00e9")), QStringLiteral("/FULL\u00e9"));
}

} // namespace
