#include "app/form1core.h"
#include "app/journalrecords.h"
#include "scriptedstartup.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>

using Fields = std::map<std::string, std::string>;

namespace {

// Keeps what would have gone to the system's log.
class RecordingLog : public platform::SystemLog
{
public:
    Sink write(const platform::LogRecord &record) override
    {
        records.push_back(record);
        return Sink::Journal;
    }
    std::vector<platform::LogRecord> records;
};

Fields fieldsOf(const platform::LogRecord &r)
{
    Fields f;
    for (const platform::LogField &field : r.fields)
        f.emplace(field.name.toStdString(), field.value.toStdString());
    return f;
}

class DecisionRecord : public testing::Test, public ScriptedStartup
{
protected:
    DecisionRecord()
        : ScriptedStartup({2026, 2, 9, 9, 30, 0, 0},                        // day 40
                          {platform::TIME_ZONE_ID_STANDARD, {300, 0, -60}}) // UTC-5
    {
        // The previous login: 9 February 08:00 local, 13:00 UTC.
        directory.loginUtc = dates::EncodeDate(2026, 2, 9) + 13 / 24.0;
    }

    // Runs the decision as start-up does; the one record it wrote.
    std::optional<platform::LogRecord>
    decide(const QStringList &args, directory::SourceKind source = directory::SourceKind::NetWare)
    {
        log.records.clear();
        JournalRecords records(args, source, log);
        if (!directoryProblem.isEmpty())
            records.noteDirectoryProblem(directoryProblem);
        env.arguments = args;
        env.records = &records;
        TForm1Core core(env);
        try {
            core.RunOnCreate();
        } catch (const framework::Exception &) {
        }
        if (log.records.size() != 1) {
            ADD_FAILURE() << log.records.size() << " records";
            return std::nullopt;
        }
        EXPECT_EQ(log.records.front().identifier, "ldpn");
        return log.records.front();
    }

    RecordingLog log;
    QString directoryProblem;
};

TEST_F(DecisionRecord, NotDueInNormalModeWithThePreviousLoginAndItsOffset)
{
    const auto r = decide({"http://intra/news", "/N"}, directory::SourceKind::Ldap);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->priority, platform::LogPriority::Info);
    EXPECT_EQ(r->message, "Page not due: http://intra/news");
    const Fields expected = {{"DAYPANE_URL", "http://intra/news"},
                             {"DAYPANE_MODE", "normal"},
                             {"DAYPANE_DECISION", "end"},
                             {"DAYPANE_SOURCE", "ldap"},
                             {"DAYPANE_PREVIOUS_LOGIN", "2026-02-09T08:00:00-05:00"},
                             {"DAYPANE_CURRENT_DAY", "40"},
                             {"DAYPANE_LAST_LOGIN_DAY", "40"}};
    EXPECT_EQ(fieldsOf(*r), expected);
}

TEST_F(DecisionRecord, EachOutcomeWithTheFieldsItReached)
{
    struct Row
    {
        const char *name;
        QStringList args;
        std::optional<QByteArray> stamp;
        testsupport::FixedTimeZone zone;
        const char *message;
        platform::LogPriority priority;
        Fields fields; // beyond the URL
    };
    using P = platform::LogPriority;
    const testsupport::FixedTimeZone daylight(platform::TIME_ZONE_ID_DAYLIGHT, {300, 0, -60});
    const testsupport::FixedTimeZone east(platform::TIME_ZONE_ID_UNKNOWN, {-330, 0, 0});
    const testsupport::FixedTimeZone unknown(platform::TIME_ZONE_ID_INVALID, {});
    const Row rows[] = {
        {"force mode shows, in daylight-saving time",
         {"http://intra/news", "/f"},
         {},
         daylight,
         "Page due: http://intra/news",
         P::Info,
         {{"DAYPANE_MODE", "force"},
          {"DAYPANE_DECISION", "show"},
          {"DAYPANE_SOURCE", "netware"},
          {"DAYPANE_PREVIOUS_LOGIN", "2026-02-09T09:00:00-04:00"},
          {"DAYPANE_CURRENT_DAY", "40"},
          {"DAYPANE_LAST_LOGIN_DAY", "40"}}},
        {"interval not run out: the stamp and today, nothing of the directory",
         {"http://intra/news", "7"},
         QByteArray("35\r\n"),
         east,
         "Page not due: http://intra/news",
         P::Info,
         {{"DAYPANE_MODE", "interval"},
          {"DAYPANE_INTERVAL", "7"},
          {"DAYPANE_DECISION", "end"},
          {"DAYPANE_SOURCE", "netware"},
          {"DAYPANE_PREVIOUS_LOGIN", ""},
          {"DAYPANE_STAMP_DAY", "35"},
          {"DAYPANE_CURRENT_DAY", "40"}}},
        {"interval run out, previous login today, east of UTC",
         {"http://intra/news", "7"},
         QByteArray("12\r\n"),
         east,
         "Page not due: http://intra/news",
         P::Info,
         {{"DAYPANE_MODE", "interval"},
          {"DAYPANE_INTERVAL", "7"},
          {"DAYPANE_DECISION", "end"},
          {"DAYPANE_SOURCE", "netware"},
          {"DAYPANE_PREVIOUS_LOGIN", "2026-02-09T18:30:00+05:30"},
          {"DAYPANE_STAMP_DAY", "12"},
          {"DAYPANE_CURRENT_DAY", "40"},
          {"DAYPANE_LAST_LOGIN_DAY", "40"}}},
        {"a mode that is no number: an error, with the mode as given",
         {"http://intra/news", "abc"},
         {},
         east,
         "No decision for http://intra/news: 'abc' is not a valid integer value",
         P::Error,
         {{"DAYPANE_MODE", "interval"},
          {"DAYPANE_INTERVAL", "abc"},
          {"DAYPANE_DECISION", "error"},
          {"DAYPANE_SOURCE", "netware"},
          {"DAYPANE_PREVIOUS_LOGIN", ""},
          {"DAYPANE_STAMP_DAY", "0"},
          {"DAYPANE_ERROR", "'abc' is not a valid integer value"}}},
        {"a stamp that is no number",
         {"http://intra/news", "3"},
         QByteArray("x1\r\n"),
         east,
         "No decision for http://intra/news: 'x1' is not a valid integer value",
         P::Error,
         {{"DAYPANE_MODE", "interval"},
          {"DAYPANE_INTERVAL", "3"},
          {"DAYPANE_DECISION", "error"},
          {"DAYPANE_SOURCE", "netware"},
          {"DAYPANE_PREVIOUS_LOGIN", ""},
          {"DAYPANE_STAMP_DAY", "x1"},
          {"DAYPANE_CURRENT_DAY", "40"},
          {"DAYPANE_ERROR", "'x1' is not a valid integer value"}}},
        {"no time zone: the previous login as read, in UTC",
         {"http://intra/news", "/N"},
         {},
         unknown,
         "No decision for http://intra/news: Error converting to UTC time. Time zone could not "
         "be determined",
         P::Error,
         {{"DAYPANE_MODE", "normal"},
          {"DAYPANE_DECISION", "error"},
          {"DAYPANE_SOURCE", "netware"},
          {"DAYPANE_PREVIOUS_LOGIN", "2026-02-09T13:00:00+00:00"},
          {"DAYPANE_ERROR", "Error converting to UTC time. Time zone could not be determined"}}},
        {"no arguments",
         {},
         {},
         east,
         "Page not due: no address given",
         P::Info,
         {{"DAYPANE_MODE", ""},
          {"DAYPANE_DECISION", "end"},
          {"DAYPANE_SOURCE", "netware"},
          {"DAYPANE_PREVIOUS_LOGIN", ""}}},
    };
    for (const Row &row : rows) {
        QFile::remove(stampFile());
        if (row.stamp)
            testsupport::writeFile(stampFile(), *row.stamp);
        zone = row.zone;
        const auto r = decide(row.args);
        ASSERT_TRUE(r) << row.name;
        EXPECT_EQ(r->message, row.message) << row.name;
        EXPECT_EQ(r->priority, row.priority) << row.name;
        Fields expected = row.fields;
        expected.emplace("DAYPANE_URL", row.args.value(0).toStdString());
        EXPECT_EQ(fieldsOf(*r), expected) << row.name;
    }
}

TEST_F(DecisionRecord, ADirectoryWithoutAnswerIsAWarningWithWhatItReported)
{
    directory.haveTime = false;
    directoryProblem = "ldpn: directory ldap://dir1.example: Can't contact LDAP server";
    const auto r = decide({"http://intra/news", "/N"}, directory::SourceKind::Ldap);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->priority, platform::LogPriority::Warning);
    EXPECT_EQ(r->message, "Page due: http://intra/news (no previous login from the directory)");
    const Fields expected = {{"DAYPANE_URL", "http://intra/news"},
                             {"DAYPANE_MODE", "normal"},
                             {"DAYPANE_DECISION", "show"},
                             {"DAYPANE_SOURCE", "ldap"},
                             {"DAYPANE_PREVIOUS_LOGIN", ""},
                             {"DAYPANE_CURRENT_DAY", "40"},
                             {"DAYPANE_LAST_LOGIN_DAY", "364"},
                             {"DAYPANE_ERROR", "directory ldap://dir1.example: Can't contact "
                                               "LDAP server"}};
    EXPECT_EQ(fieldsOf(*r), expected);
}

TEST(ActionRecords, EachActionWithItsFieldsAndPriority)
{
    using A = Records::Action;
    using P = platform::LogPriority;
    struct Row
    {
        A action;
        Records::Details details;
        const char *message;
        P priority;
        Fields fields; // beyond URL, mode and interval
    };
    const Row rows[] = {
        {A::Shown, {}, "Page shown: http://intra/news", P::Info, {{"DAYPANE_ACTION", "shown"}}},
        {A::Loaded, {}, "Page loaded: http://intra/news", P::Info, {{"DAYPANE_ACTION", "loaded"}}},
        {A::LoadFailed,
         {"Host not found", {}, {}},
         "Page not loaded: http://intra/news: Host not found",
         P::Error,
         {{"DAYPANE_ACTION", "load-failed"}, {"DAYPANE_ERROR", "Host not found"}}},
        {A::Printed,
         {},
         "Page printed: http://intra/news",
         P::Info,
         {{"DAYPANE_ACTION", "printed"}}},
        {A::Printed,
         {{}, "Office-2", "Office-2-17"},
         "Page printed: http://intra/news on Office-2",
         P::Info,
         {{"DAYPANE_ACTION", "printed"},
          {"DAYPANE_PRINTER", "Office-2"},
          {"DAYPANE_PRINT_JOB", "Office-2-17"}}},
        {A::PrintFailed,
         {"No default printer is set up", {}, {}},
         "Page not printed: http://intra/news: No default printer is set up",
         P::Error,
         {{"DAYPANE_ACTION", "print-failed"}, {"DAYPANE_ERROR", "No default printer is set up"}}},
        {A::Browser,
         {},
         "Page handed to the default browser: http://intra/news",
         P::Info,
         {{"DAYPANE_ACTION", "browser"}}},
        {A::Exit,
         {},
         "Page left by Exit: http://intra/news",
         P::Info,
         {{"DAYPANE_ACTION", "exit"}}},
        {A::Exit,
         {"the window was closed", {}, {}},
         "Page left: http://intra/news: the window was closed",
         P::Info,
         {{"DAYPANE_ACTION", "exit"}}},
        {A::About,
         {},
         "About box opened: http://intra/news",
         P::Info,
         {{"DAYPANE_ACTION", "about"}}},
        {A::Error,
         {"ldpn: cannot open a display to show the window", {}, {}},
         "Error: cannot open a display to show the window (http://intra/news)",
         P::Error,
         {{"DAYPANE_ACTION", "error"},
          {"DAYPANE_ERROR", "cannot open a display to show the window"}}},
    };
    RecordingLog log;
    JournalRecords records({"http://intra/news", "14", "/FULL"}, directory::SourceKind::Logins,
                           log);
    for (const Row &row : rows) {
        log.records.clear();
        records.action(row.action, row.details);
        ASSERT_EQ(log.records.size(), 1u) << row.message;
        const platform::LogRecord &r = log.records.front();
        EXPECT_EQ(r.message, row.message);
        EXPECT_EQ(r.priority, row.priority) << row.message;
        Fields expected = row.fields;
        expected.emplace("DAYPANE_URL", "http://intra/news");
        expected.emplace("DAYPANE_MODE", "interval");
        expected.emplace("DAYPANE_INTERVAL", "14");
        EXPECT_EQ(fieldsOf(r), expected) << row.message;
    }
}

} // namespace
