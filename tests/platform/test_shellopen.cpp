#include "platform/shellopen.h"
#include "testsupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

// A stand-in for xdg-open, first on PATH: it writes its arguments, one a line, and the folder
// it ran in, to `log` (through a temporary name, so the file is whole once it is there).
class FakeOpener
{
public:
    FakeOpener()
    {
        const QString bin = m_dir.filePath("bin");
        QDir().mkpath(bin);
        testsupport::writeFile(
            bin + "/xdg-open",
            ("#!/bin/sh\n{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > " + log() +
             ".tmp && mv " + log() + ".tmp " + log() + "\n")
                .toUtf8());
        QFile::setPermissions(bin + "/xdg-open", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        m_path = std::make_unique<testsupport::ScopedEnv>("PATH",
                                                          (bin + ":" + qgetenv("PATH")).toUtf8());
    }
    QString log() const { return m_dir.filePath("opened.txt"); }
    // What the opener was given, once it has run; empty when it never did.
    QByteArray waitForLog() const
    {
        // The log's arrival (renamed into the folder) is an event of the folder: waited for.
        const int fd = ::inotify_init1(IN_CLOEXEC);
        ::inotify_add_watch(fd, QFile::encodeName(m_dir.path()).constData(), IN_MOVED_TO);
        QDeadlineTimer deadline(20000);
        while (!QFile::exists(log()) && !deadline.hasExpired()) {
            pollfd p{fd, POLLIN, 0};
            char events[4096];
            if (::poll(&p, 1, int(deadline.remainingTime())) > 0 &&
                ::read(fd, events, sizeof events) < 0)
                break;
        }
        ::close(fd);
        return testsupport::readFile(log());
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<testsupport::ScopedEnv> m_path;
};

TEST(ShellOpen, HandsTheAddressAsOneArgumentInTheWorkingFolderWhenItExists)
{
    FakeOpener opener;
    QTemporaryDir work;
    const QString url = QStringLiteral("http://intra/a b?x=$(touch y)&z=`id`");
    ASSERT_TRUE(shellOpen(url, work.path(), SW_SHOWNORMAL));
    EXPECT_EQ(opener.waitForLog(), (work.path() + "\n" + url + "\n").toUtf8());

    QFile::remove(opener.log());
    ASSERT_TRUE(shellOpen(url, work.filePath("missing"), SW_SHOWNORMAL));
    EXPECT_EQ(opener.waitForLog(), (QDir::currentPath() + "\n" + url + "\n").toUtf8());
    EXPECT_FALSE(QFile::exists(QDir::current().filePath("y")));
}

TEST(ShellOpen, FalseWhenThereIsNoOpener)
{
    QTemporaryDir empty;
    testsupport::ScopedEnv path("PATH", empty.path().toUtf8());
    const ShellOpenResult r = shellOpen(QStringLiteral("http://intra/"), QString(), SW_SHOWNORMAL);
    EXPECT_FALSE(r);
    EXPECT_EQ(r.reason, "xdg-open is not installed");
}

// An opener of the test's own first on PATH, running `body`.
class ScriptedOpener
{
public:
    explicit ScriptedOpener(const QByteArray &body)
    {
        testsupport::writeFile(m_dir.filePath("xdg-open"), body);
        QFile::setPermissions(m_dir.filePath("xdg-open"),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        m_path = std::make_unique<testsupport::ScopedEnv>(
            "PATH", (m_dir.path() + ":" + qgetenv("PATH")).toUtf8());
    }
    QString file(const char *name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<testsupport::ScopedEnv> m_path;
};

TEST(ShellOpen, AnOpenerThatCannotStartOrFailsIsReportedWithItsReason)
{
    const struct
    {
        const char *name;
        QByteArray script;
        const char *reason;
    } rows[] = {
        {"NoBrowser", "#!/bin/sh\nexit 3\n", "xdg-open found no browser (status 3)"},
        {"ActionFailed", "#!/bin/sh\nexit 4\n", "xdg-open could not open it (status 4)"},
        {"OtherStatus", "#!/bin/sh\nexit 9\n", "xdg-open failed (status 9)"},
        {"Killed", "#!/bin/sh\nkill -9 $$\n", "xdg-open ended with signal 9"},
        {"BadInterpreter", "#!/nonexistent/sh\n",
         "xdg-open cannot be started (No such file or directory)"},
    };
    for (const auto &row : rows) {
        ScriptedOpener opener(row.script);
        const ShellOpenResult r =
            shellOpen(QStringLiteral("http://intra/"), QString(), SW_SHOWNORMAL);
        EXPECT_FALSE(r) << row.name;
        EXPECT_EQ(r.reason, row.reason) << row.name;
    }
}

// A browser started in the foreground keeps the opener running: after the short wait it is
// taken as opened and left running, in a session of its own.
TEST(ShellOpen, AnOpenerStillRunningAfterTheWaitCountsAsOpenedAndIsLeftToRun)
{
    ScriptedOpener opener("#!/bin/sh\necho $$ > \"$(dirname \"$0\")/pid.part\"\n"
                          "mv \"$(dirname \"$0\")/pid.part\" \"$(dirname \"$0\")/pid\"\n"
                          "exec sleep 600\n");
    const ShellOpenResult r = shellOpen(QStringLiteral("http://intra/"), QString(), SW_SHOWNORMAL);
    EXPECT_TRUE(r) << r.reason.toStdString();
    const pid_t pid = pid_t(testsupport::readFile(opener.file("pid")).trimmed().toInt());
    ASSERT_GT(pid, 0);
    EXPECT_EQ(::kill(pid, 0), 0) << "the opener is no longer running";
    EXPECT_EQ(::getsid(pid), pid);
    ::kill(pid, SIGKILL);
}

// A session may ignore SIGCHLD, and then no child can be waited for: the hand-over must
// still end. It runs in a child process that the test can end should it spin.
TEST(ShellOpen, EndsWhenTheSessionIgnoresChildSignals)
{
    FakeOpener opener;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGCHLD, SIG_IGN);
        const bool started =
            bool(shellOpen(QStringLiteral("http://intra/"), QString(), SW_SHOWNORMAL));
        ::_exit(started ? 0 : 3);
    }
    int status = 0;
    // The child's end, waited for through a process descriptor with a generous limit.
    const int pidfd = int(::syscall(SYS_pidfd_open, child, 0));
    pollfd p{pidfd, POLLIN, 0};
    const bool ended = pidfd >= 0 && ::poll(&p, 1, 30000) > 0;
    if (pidfd >= 0)
        ::close(pidfd);
    if (ended)
        ::waitpid(child, &status, 0);
    else {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "the hand-over did not end";
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(opener.waitForLog(), QByteArray(QDir::currentPath().toUtf8() + "\nhttp://intra/\n"));
}

} // namespace
