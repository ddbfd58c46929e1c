// The records of the real program in the system's log: a journald of the test's own, started in
// the private mount namespace that with_private_log.sh makes, read back with journalctl; and the
// syslog line where no journal listens.
#include "e2e.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QString kJournald = QStringLiteral("/lib/systemd/systemd-journald");

// A datagram socket of the test's own at `path`.
class DatagramSocket
{
public:
    explicit DatagramSocket(const QString &path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        const QByteArray p = QFile::encodeName(path);
        if (p.size() < qsizetype(sizeof(a.sun_path)))
            std::memcpy(a.sun_path, p.constData(), size_t(p.size()));
        ok = m_fd >= 0 && p.size() < qsizetype(sizeof(a.sun_path)) &&
             ::bind(m_fd, reinterpret_cast<sockaddr *>(&a), sizeof(a)) == 0;
    }
    ~DatagramSocket() { ::close(m_fd); }
    DatagramSocket(const DatagramSocket &) = delete;
    DatagramSocket &operator=(const DatagramSocket &) = delete;

    // The next datagram, waiting at most `timeoutMs` (scaled) and giving up when `ended` holds.
    std::optional<QByteArray> receive(int timeoutMs, const std::function<bool()> &ended = {})
    {
        const QDeadlineTimer deadline(e2e::scaled(timeoutMs));
        for (;;) {
            pollfd p{m_fd, POLLIN, 0};
            // A short poll, so that a peer that ended is noticed at once.
            if (::poll(&p, 1, 100) > 0) {
                QByteArray buffer(1 << 16, '\0');
                const ssize_t n = ::recv(m_fd, buffer.data(), size_t(buffer.size()), 0);
                if (n >= 0)
                    return buffer.left(n);
            }
            if (deadline.hasExpired() || (ended && ended()))
                return std::nullopt;
        }
    }
    // What has arrived already, without waiting.
    std::optional<QByteArray> pending()
    {
        QByteArray buffer(1 << 16, '\0');
        const ssize_t n = ::recv(m_fd, buffer.data(), size_t(buffer.size()), MSG_DONTWAIT);
        return n >= 0 ? std::optional(buffer.left(n)) : std::nullopt;
    }
    bool ok = false;

private:
    int m_fd = -1;
};

QString field(const QJsonObject &record, const char *name)
{
    return record.value(QLatin1String(name)).toString();
}

QStringList actionsOf(const QList<QJsonObject> &records)
{
    QStringList actions;
    for (const QJsonObject &r : records)
        actions << (r.contains("DAYPANE_DECISION") ? "decision " + field(r, "DAYPANE_DECISION")
                                                   : field(r, "DAYPANE_ACTION"));
    return actions;
}

std::string shown(const QList<QJsonObject> &records)
{
    QByteArray all;
    for (const QJsonObject &r : records)
        all += QJsonDocument(r).toJson(QJsonDocument::Compact) + '\n';
    return all.toStdString();
}

void clickAt(int x, int y)
{
    e2e::commandOutput("xdotool",
                       {"mousemove", QString::number(x), QString::number(y), "click", "1"});
}

// A page of the test's own, from a file: nothing to serve, nothing to wait on but the engine.
QString writePage(const QTemporaryDir &dir)
{
    const QString path = dir.filePath("news.html");
    testsupport::writeFile(path, "<html><body><h1>News</h1></body></html>");
    return QUrl::fromLocalFile(path).toString();
}

class Records : public testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsSet("DAYPANE_TEST_NO_PRIVATE_LOG"))
            GTEST_SKIP() << "cannot run here: "
                         << qEnvironmentVariable("DAYPANE_TEST_NO_PRIVATE_LOG").toStdString();
        if (qEnvironmentVariable("DAYPANE_TEST_PRIVATE_LOG") != "1")
            GTEST_SKIP() << "runs under tests/e2e/with_private_log.sh only, which keeps the "
                            "machine's own log out of reach";
        clearLog();
    }

    void TearDown() override
    {
        stopJournal();
        if (qEnvironmentVariable("DAYPANE_TEST_PRIVATE_LOG") == "1")
            clearLog();
    }

    void stopJournal()
    {
        if (m_journald.state() != QProcess::NotRunning) {
            m_journald.terminate();
            if (!m_journald.waitForFinished(e2e::scaled(10000))) {
                m_journald.kill();
                m_journald.waitForFinished();
            }
        }
    }

    // The namespace's log folders, emptied: no journal and no syslog socket listen.
    static void clearLog()
    {
        for (const char *dir : {"/run/systemd", "/run/log"})
            for (const QString &entry :
                 QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
                QDir(QString::fromLatin1(dir) + '/' + entry).removeRecursively() ||
                    QFile::remove(QString::fromLatin1(dir) + '/' + entry);
        QFile::remove("/dev/log");
    }

    // Starts journald and waits until it says it is ready.
    bool startJournal()
    {
        if (!QFileInfo(kJournald).isExecutable()) {
            m_why = "systemd-journald is not installed (package systemd)";
            return false;
        }
        const QString notify = m_files.filePath("notify");
        DatagramSocket ready(notify);
        if (!ready.ok) {
            m_why = "cannot make the readiness socket";
            return false;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NOTIFY_SOCKET", notify);
        m_journald.setProcessEnvironment(env);
        m_journald.setStandardInputFile(QProcess::nullDevice());
        m_journald.setStandardOutputFile(m_files.filePath("journald.out"));
        m_journald.setStandardErrorFile(m_files.filePath("journald.err"));
        m_journald.start(kJournald, {});
        for (;;) {
            const auto message = ready.receive(30000, [this] { return !journaldRunning(); });
            if (!message) {
                m_why = "journald did not get ready: " +
                        testsupport::readFile(m_files.filePath("journald.err")).toStdString();
                return false;
            }
            if (message->split('\n').contains("READY=1"))
                return true;
        }
    }

    // A journal started afresh, holding nothing.
    bool restartJournal()
    {
        stopJournal();
        clearLog();
        return startJournal();
    }

    bool journaldRunning()
    {
        return m_journald.state() != QProcess::NotRunning && !m_journald.waitForFinished(0);
    }

    // The program's records so far, oldest first, once the journal has taken in all it was sent.
    QList<QJsonObject> records()
    {
        QProcess sync;
        sync.start("journalctl", {"--sync"});
        if (!sync.waitForFinished(e2e::scaled(30000)) || sync.exitCode() != 0)
            ADD_FAILURE() << "journalctl --sync: " << sync.readAllStandardError().toStdString();
        const QByteArray json =
            e2e::commandOutput("journalctl", {"-q", "--no-pager", "-o", "json", "-t", "ldpn"});
        QList<QJsonObject> list;
        for (const QByteArray &line : json.split('\n'))
            if (!line.isEmpty())
                list << QJsonDocument::fromJson(line).object();
        return list;
    }

    // Waits until the records hold `count` of `action`, or the program ends.
    bool waitForAction(const QString &action, int count, e2e::Background &ldpn)
    {
        return e2e::waitFor([&] { return actionsOf(records()).count(action) >= count; }, 30000,
                            [&] { return !ldpn.running(); });
    }

    // The window of a started ldpn, once its page has loaded.
    std::optional<e2e::Window> windowWithPage(e2e::Background &ldpn)
    {
        if (!ldpn.waitForShown() || !ldpn.waitForPage()) {
            ADD_FAILURE() << "no page on the screen: " << ldpn.err().toStdString();
            return std::nullopt;
        }
        return e2e::waitForWindow(QStringLiteral("Last Login"), 20000, &ldpn);
    }

    void expectEveryRecordNames(const QList<QJsonObject> &list, const QString &url,
                                const char *mode)
    {
        for (const QJsonObject &r : list) {
            EXPECT_EQ(field(r, "SYSLOG_IDENTIFIER"), "ldpn");
            EXPECT_EQ(field(r, "DAYPANE_URL"), url);
            EXPECT_EQ(field(r, "DAYPANE_MODE"), mode);
            // Who and where the journal adds itself.
            EXPECT_FALSE(field(r, "_UID").isEmpty());
            EXPECT_FALSE(field(r, "_HOSTNAME").isEmpty());
        }
    }

    QTemporaryDir m_files;
    QProcess m_journald;
    std::string m_why;
};

TEST_F(Records, ANotDueEndingRecordsEveryFieldOfTheDecision)
{
    ASSERT_TRUE(startJournal()) << m_why;
    // Today as the program sees it (TZ=UTC), without libfaketime, which the sanitizer pass
    // leaves out: a run that crosses midnight is run again.
    e2e::Run run(nullptr);
    // The previous login at the first second of today, from the stand-in directory client.
    testsupport::writeFile(run.home.path() + "/directory.tree",
                           "tree ACME\nuser CN=jdoe.O=Acme\nobject CN=jdoe.O=Acme\n"
                           "  attribute Last Login Time = time today 00:00:01\n");
    run.env << "LD_LIBRARY_PATH=" NWSIM_FULL_DIR
            << "NWSIM_DIRECTORY=" + run.home.path() + "/directory.tree";
    testsupport::writeFile(run.stampPath(), "0\r\n"); // an interval of one day has run out
    QDate today;
    for (int attempt = 0; attempt < 2; ++attempt) {
        today = QDateTime::currentDateTimeUtc().date();
        const auto r = run.ldpn({"http://intra/news", "1"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        if (QDateTime::currentDateTimeUtc().date() == today)
            break;
        ASSERT_EQ(attempt, 0) << "midnight twice";
        ASSERT_TRUE(restartJournal()) << m_why;
    }

    const QList<QJsonObject> list = records();
    ASSERT_EQ(list.size(), 1) << shown(list);
    const QJsonObject &d = list.front();
    EXPECT_EQ(field(d, "MESSAGE"), "Page not due: http://intra/news");
    EXPECT_EQ(field(d, "PRIORITY"), "6");
    EXPECT_EQ(field(d, "DAYPANE_INTERVAL"), "1");
    EXPECT_EQ(field(d, "DAYPANE_DECISION"), "end");
    EXPECT_EQ(field(d, "DAYPANE_SOURCE"), "netware");
    EXPECT_EQ(field(d, "DAYPANE_PREVIOUS_LOGIN"), today.toString(Qt::ISODate) + "T00:00:01+00:00");
    EXPECT_EQ(field(d, "DAYPANE_CURRENT_DAY"), QString::number(today.dayOfYear()));
    EXPECT_EQ(field(d, "DAYPANE_LAST_LOGIN_DAY"), QString::number(today.dayOfYear()));
    EXPECT_EQ(field(d, "DAYPANE_STAMP_DAY"), "0");
    EXPECT_FALSE(d.contains("DAYPANE_ERROR"));
    EXPECT_FALSE(d.contains("DAYPANE_ACTION"));
    expectEveryRecordNames(list, "http://intra/news", "interval");
}

TEST_F(Records, AShownPagePrintedAndLeftByExitAndTheManualsQueries)
{
    const e2e::TestPrinter printer;
    if (!printer.available() || qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "runs under with_cups_printer.sh and with-xvfb.sh";
    ASSERT_TRUE(startJournal()) << m_why;
    e2e::Run run;
    run.useDisplay();
    run.env << printer.serverVariable();
    const QString url = writePage(m_files);
    e2e::Background ldpn(run, {url, "/N"});
    const auto w = windowWithPage(ldpn);
    ASSERT_TRUE(w.has_value());

    const qsizetype before = printer.jobs();
    clickAt(w->x + 217 + 68, w->y + 2 + 11);
    // The engine makes the document first: slow on a busy machine.
    ASSERT_TRUE(e2e::waitFor([&] { return printer.jobs() == before + 1; }, 60000,
                             [&] { return !ldpn.running(); }))
        << shown(records()) << ldpn.err().toStdString();
    // Printed once the print server says the job is done.
    ASSERT_TRUE(waitForAction("printed", 1, ldpn)) << shown(records()) << ldpn.err().toStdString();
    clickAt(w->x + 81 + 68, w->y + 2 + 11);
    ASSERT_TRUE(ldpn.waitForEnd()) << ldpn.err().toStdString();
    EXPECT_EQ(ldpn.exitCode(), 0);

    const QList<QJsonObject> list = records();
    // No directory client: the page is due, and the decision is a warning.
    EXPECT_EQ(actionsOf(list), (QStringList{"decision show", "shown", "loaded", "printed", "exit"}))
        << shown(list);
    expectEveryRecordNames(list, url, "normal");
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(field(list[0], "PRIORITY"), "4");
    EXPECT_EQ(field(list[0], "DAYPANE_PREVIOUS_LOGIN"), "");
    EXPECT_EQ(field(list[0], "DAYPANE_LAST_LOGIN_DAY"), "364");
    for (const QJsonObject &r : list.mid(1))
        EXPECT_EQ(field(r, "PRIORITY"), "6") << shown({r});
    EXPECT_EQ(field(list[1], "MESSAGE"), "Page shown: " + url);
    // The print server's printer and job, as lpstat names them.
    const QString printedOn = field(list[3], "DAYPANE_PRINTER");
    EXPECT_FALSE(printedOn.isEmpty()) << shown({list[3]});
    EXPECT_TRUE(QRegularExpression("^" + QRegularExpression::escape(printedOn) + "-[0-9]+$")
                    .match(field(list[3], "DAYPANE_PRINT_JOB"))
                    .hasMatch())
        << shown({list[3]});
    EXPECT_EQ(field(list[3], "MESSAGE"), "Page printed: " + url + " on " + printedOn);
    EXPECT_EQ(field(list[4], "MESSAGE"), "Page left by Exit: " + url);

    // The queries of the README and the manual, as they are printed there.
    QStringList queries;
    for (const char *doc : {"README.md", "docs/ldpn.1"}) {
        QStringList found;
        const QString text =
            QString::fromUtf8(testsupport::readFile(QStringLiteral(DAYPANE_SOURCE_DIR "/") + doc));
        for (QString line : text.split('\n')) {
            line = line.trimmed()
                       .replace("\\-", "-")
                       .replace("\\(aq", "'")
                       .replace("\\(dq", "\"")
                       .replace("\\e", "\\")
                       .replace("\\&", "");
            if (line.startsWith("journalctl ") && !line.contains(" -f"))
                found << line;
        }
        EXPECT_GE(found.size(), 3) << doc;
        if (!queries.isEmpty()) {
            EXPECT_EQ(found, queries) << "the README and the manual show the same queries";
        }
        queries = found;
    }
    for (const QString &query : queries) {
        QProcess sh;
        sh.start("sh", {"-c", query});
        ASSERT_TRUE(sh.waitForFinished(e2e::scaled(30000))) << query.toStdString();
        const QByteArray out = sh.readAllStandardOutput();
        EXPECT_EQ(sh.exitCode(), 0)
            << query.toStdString() << sh.readAllStandardError().toStdString();
        if (query.contains("DAYPANE_ACTION=printed")) {
            EXPECT_TRUE(out.contains("ldpn[") && out.contains("Page printed: "))
                << out.toStdString();
        } else if (query.contains("wc -l")) {
            EXPECT_EQ(out.trimmed(), "1") << query.toStdString();
        } else {
            EXPECT_FALSE(out.trimmed().isEmpty()) << query.toStdString();
        }
    }
}

// The printer takes the job and then gives it up: after Print was accepted, the box says so with
// the printer's reason, the record is an error that carries it, and the window stays.
TEST_F(Records, AJobThePrinterGivesUpIsNotPrintedABoxAnErrorRecordAndTheWindowStays)
{
    const QString failing = qEnvironmentVariable("DAYPANE_TEST_FAILING_PRINTER");
    if (failing.isEmpty() || qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "runs under with_cups_printer.sh and with-xvfb.sh";
    for (const char *tool : {"xdotool", "xclip"})
        if (!e2e::haveCommand(QLatin1String(tool)))
            GTEST_SKIP() << tool << " is not installed (package " << tool << ")";
    ASSERT_TRUE(startJournal()) << m_why;
    e2e::Run run;
    run.useDisplay();
    // The user's default printer, as CUPS takes it from the environment.
    run.env << e2e::TestPrinter().serverVariable() << "PRINTER=" + failing;
    const QString url = writePage(m_files);
    e2e::Background ldpn(run, {url, "/N"});
    const auto w = windowWithPage(ldpn);
    ASSERT_TRUE(w.has_value());

    clickAt(w->x + 217 + 68, w->y + 2 + 11);
    const QString reason =
        "The page could not be printed on " + failing + ": the paper tray is on fire";
    // The engine makes the document first, and the printer tries it: slow on a busy machine.
    ASSERT_TRUE(ldpn.waitForLine((reason + '.').toUtf8(), 90000))
        << shown(records()) << ldpn.err().toStdString();
    const auto box = e2e::waitForWindow(QStringLiteral("Daypane"), 20000, &ldpn);
    ASSERT_TRUE(box.has_value()) << ldpn.err().toStdString();
    EXPECT_EQ(e2e::boxText(*box, &ldpn).toStdString(), (reason + '.').toStdString());
    e2e::pressKey(*box, QStringLiteral("Return"));
    ASSERT_TRUE(e2e::waitFor([] { return !e2e::waitForWindow(QStringLiteral("Daypane"), 0); },
                             20000, [&] { return !ldpn.running(); }))
        << "Enter did not dismiss the box";
    EXPECT_TRUE(ldpn.running()) << "the window did not stay: " << ldpn.err().toStdString();
    EXPECT_TRUE(e2e::waitForWindow(QStringLiteral("Last Login"), 0).has_value());

    const QList<QJsonObject> list = records();
    EXPECT_EQ(actionsOf(list), (QStringList{"decision show", "shown", "loaded", "print-failed"}))
        << shown(list);
    expectEveryRecordNames(list, url, "normal");
    const QJsonObject failed = list.value(3);
    EXPECT_EQ(field(failed, "PRIORITY"), "3") << shown({failed});
    EXPECT_EQ(field(failed, "MESSAGE"), "Page not printed: " + url + ": " + reason);
    EXPECT_EQ(field(failed, "DAYPANE_ERROR"), reason);
}

TEST_F(Records, TheAboutBoxAndOpenInFullBrowser)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "runs under with-xvfb.sh";
    ASSERT_TRUE(startJournal()) << m_why;
    e2e::Run run;
    run.useDisplay();
    const QString opened = run.home.path() + "/opened.txt";
    e2e::installRecordingOpener(run, opened);
    const QString url = writePage(m_files);
    e2e::Background ldpn(run, {url, "/F"});
    const auto w = windowWithPage(ldpn);
    ASSERT_TRUE(w.has_value());

    clickAt(w->x + 16 + 11, w->y + 2 + 11);
    const auto about = e2e::waitForWindow(QStringLiteral("About"), 10000, &ldpn);
    ASSERT_TRUE(about.has_value());
    // The box has the keyboard once it has the focus; OK is its default button.
    e2e::commandOutput("xdotool", {"windowfocus", "--sync", about->id, "key", "Return"});
    // Closing the box loads the page anew.
    ASSERT_TRUE(waitForAction("loaded", 2, ldpn)) << shown(records());
    clickAt(w->x + 353 + 68, w->y + 2 + 11);
    ASSERT_TRUE(ldpn.waitForEnd()) << ldpn.err().toStdString();
    ASSERT_TRUE(e2e::waitFor([&] { return QFile::exists(opened); }, 10000));

    const QList<QJsonObject> list = records();
    EXPECT_EQ(actionsOf(list),
              (QStringList{"decision show", "shown", "loaded", "about", "loaded", "browser"}))
        << shown(list);
    expectEveryRecordNames(list, url, "force");
    EXPECT_EQ(field(list.value(0), "PRIORITY"), "4");
    EXPECT_EQ(field(list.value(5), "MESSAGE"), "Page handed to the default browser: " + url);
}

TEST_F(Records, AnErrorBoxIsTheDecisionsErrorRecord)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "runs under with-xvfb.sh";
    ASSERT_TRUE(startJournal()) << m_why;
    e2e::Run run;
    run.useDisplay();
    e2e::Background ldpn(run, {"http://intra/news", "abc"});
    const auto box = e2e::waitForWindow(QStringLiteral("Daypane"), 20000, &ldpn);
    ASSERT_TRUE(box.has_value()) << ldpn.err().toStdString();

    const QList<QJsonObject> list = records();
    ASSERT_EQ(list.size(), 1) << shown(list);
    const QJsonObject &d = list.front();
    EXPECT_EQ(field(d, "PRIORITY"), "3");
    EXPECT_EQ(field(d, "DAYPANE_DECISION"), "error");
    EXPECT_EQ(field(d, "DAYPANE_ERROR"), "'abc' is not a valid integer value");
    EXPECT_EQ(field(d, "DAYPANE_INTERVAL"), "abc");
    EXPECT_EQ(field(d, "MESSAGE"),
              "No decision for http://intra/news: 'abc' is not a valid integer value");
    expectEveryRecordNames(list, "http://intra/news", "interval");
}

TEST_F(Records, ADuePageWithoutADisplayIsAnError)
{
    ASSERT_TRUE(startJournal()) << m_why;
    e2e::Run run; // no display
    const auto r = run.ldpn({"http://intra/news", "/F"});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    const QList<QJsonObject> list = records();
    EXPECT_EQ(actionsOf(list), (QStringList{"decision show", "error"})) << shown(list);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(field(list[1], "PRIORITY"), "3");
    EXPECT_EQ(field(list[1], "DAYPANE_ERROR"), "cannot open a display to show the window");
    expectEveryRecordNames(list, "http://intra/news", "force");
}

TEST_F(Records, SwitchedOffInTheConfigurationNothingIsRecorded)
{
    ASSERT_TRUE(startJournal()) << m_why;
    e2e::Run run;
    QDir().mkpath(run.home.path() + "/.config/daypane");
    testsupport::writeFile(run.home.path() + "/.config/daypane/daypane.conf",
                           "[journal]\nrecords = off\n");
    testsupport::writeFile(run.stampPath(), "0\r\n");
    const auto r = run.ldpn({"http://intra/news", "100000"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QByteArray());
    EXPECT_EQ(records().size(), 0);
}

TEST_F(Records, WithoutAJournalOneSyslogLineWhoseValuesForgeNothing)
{
    DatagramSocket syslog("/dev/log");
    ASSERT_TRUE(syslog.ok);
    e2e::Run run;
    testsupport::writeFile(run.stampPath(), "0\r\n");
    const QString url = "http://intra/\"x\ny DAYPANE_ACTION=\"printed\"";
    const auto r = run.ldpn({url, "100000"}); // never due
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QByteArray());
    const auto line = syslog.pending();
    ASSERT_TRUE(line.has_value()) << "no line on /dev/log";
    const QRegularExpression format(
        R"re(^<14>[A-Z][a-z]{2} [ 1-3]\d \d\d:\d\d:\d\d ldpn\[\d+\]: Page not due: (.*) )re"
        R"re(DAYPANE_URL="(.*)" DAYPANE_MODE="interval" DAYPANE_INTERVAL="100000" )re"
        R"re(DAYPANE_DECISION="end" DAYPANE_SOURCE="netware" DAYPANE_PREVIOUS_LOGIN="" )re"
        R"re(DAYPANE_CURRENT_DAY="\d+" DAYPANE_STAMP_DAY="0"$)re");
    const auto m = format.match(QString::fromUtf8(*line));
    ASSERT_TRUE(m.hasMatch()) << line->toStdString();
    const QString escaped = R"re(http://intra/\"x\x0ay DAYPANE_ACTION=\"printed\")re";
    EXPECT_EQ(m.captured(1), escaped);
    EXPECT_EQ(m.captured(2), escaped);
    EXPECT_FALSE(syslog.pending().has_value()) << "one record, one line";
}

TEST_F(Records, WhereNothingListensTheLoginGoesOn)
{
    e2e::Run run;
    testsupport::writeFile(run.stampPath(), "0\r\n");
    const auto r = run.ldpn({"http://intra/news", "100000"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.err, QByteArray());
}

} // namespace
