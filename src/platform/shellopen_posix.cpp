#include "platform/shellopen.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace platform {
namespace {

// What the watching process reports about the opener.
struct Report
{
    enum Kind : int { NotStarted, Exited, Signalled, Running };
    int kind = NotStarted;
    int value = 0; // errno, exit status or signal
};

void writeReport(int fd, Report r)
{
    while (::write(fd, &r, sizeof r) < 0 && errno == EINTR) {
    }
}

// Waits up to `ms` for the child to end; true with its status when it did.
bool waitAtMost(pid_t child, int ms, int &status)
{
    const int pidfd = int(::syscall(SYS_pidfd_open, child, 0));
    if (pidfd >= 0) {
        pollfd p{pidfd, POLLIN, 0};
        int ready;
        while ((ready = ::poll(&p, 1, ms)) < 0 && errno == EINTR) {
        }
        ::close(pidfd);
        return ready > 0 && ::waitpid(child, &status, WNOHANG) == child;
    }
    // Kernels before 5.3 have no process descriptors: looked at every 20 ms.
    for (int waited = 0;; waited += 20) {
        if (::waitpid(child, &status, WNOHANG) == child)
            return true;
        if (waited >= ms)
            return false;
        const timespec pause{0, 20 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
}

// Runs in the forked watcher, where only async-signal-safe calls are allowed: starts the
// opener in a session of its own, reports whether it could be started and how it ended within
// the wait, and ends. An opener still running is left behind, to be reparented.
[[noreturn]] void watch(const char *program, char *const argv[], const char *folder, int reportFd)
{
    ::signal(SIGCHLD, SIG_DFL); // a session that ignores it would take the status away
    int execPipe[2];
    if (::pipe2(execPipe, O_CLOEXEC) != 0) {
        writeReport(reportFd, {Report::NotStarted, errno});
        ::_exit(0);
    }
    const pid_t opener = ::fork();
    if (opener < 0) {
        writeReport(reportFd, {Report::NotStarted, errno});
        ::_exit(0);
    }
    if (opener == 0) {
        ::close(execPipe[0]);
        ::setsid();
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        if (folder != nullptr && ::chdir(folder) != 0) {
            // The folder went away meanwhile: the opener runs where the program runs.
        }
        ::execve(program, argv, environ);
        const int error = errno;
        while (::write(execPipe[1], &error, sizeof error) < 0 && errno == EINTR) {
        }
        ::_exit(127);
    }
    ::close(execPipe[1]);
    int execError = 0;
    ssize_t n;
    while ((n = ::read(execPipe[0], &execError, sizeof execError)) < 0 && errno == EINTR) {
    }
    ::close(execPipe[0]);
    int status = 0;
    if (n == ssize_t(sizeof execError)) {
        while (::waitpid(opener, &status, 0) < 0 && errno == EINTR) {
        }
        writeReport(reportFd, {Report::NotStarted, execError});
    } else if (!waitAtMost(opener, kShellOpenWaitMs, status)) {
        writeReport(reportFd, {Report::Running, 0});
    } else if (WIFEXITED(status)) {
        writeReport(reportFd, {Report::Exited, WEXITSTATUS(status)});
    } else {
        writeReport(reportFd, {Report::Signalled, WTERMSIG(status)});
    }
    ::_exit(0);
}

// xdg-open's documented statuses.
QString exitReason(int status)
{
    switch (status) {
    case 1:
        return QStringLiteral("xdg-open refused the address (status 1)");
    case 2:
        return QStringLiteral("xdg-open found no such file (status 2)");
    case 3:
        return QStringLiteral("xdg-open found no browser (status 3)");
    case 4:
        return QStringLiteral("xdg-open could not open it (status 4)");
    default:
        return QStringLiteral("xdg-open failed (status %1)").arg(status);
    }
}

} // namespace

ShellOpenResult shellOpen(const QString &file, const QString &workingDirectory, int /*showCommand*/)
{
    ShellOpenResult result;
    // Found here: the forked process may not search or allocate.
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty()) {
        result.reason = QStringLiteral("xdg-open is not installed");
        return result;
    }
    const QByteArray programName = QFile::encodeName(program);
    QByteArray argument = QFile::encodeName(file);
    QByteArray argv0("xdg-open");
    char *const argv[] = {argv0.data(), argument.data(), nullptr};
    const bool useDir = !workingDirectory.isEmpty() && QFileInfo(workingDirectory).isDir();
    const QByteArray folder = useDir ? QFile::encodeName(workingDirectory) : QByteArray();

    int reportPipe[2];
    if (::pipe2(reportPipe, O_CLOEXEC) != 0) {
        result.reason = QStringLiteral("xdg-open cannot be started (%1)")
                            .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }
    const pid_t watcher = ::fork();
    if (watcher == 0) {
        ::close(reportPipe[0]);
        watch(programName.constData(), argv, useDir ? folder.constData() : nullptr, reportPipe[1]);
    }
    const int forkError = errno;
    ::close(reportPipe[1]);
    Report report{Report::NotStarted, forkError};
    if (watcher > 0) {
        // The watcher reports within its wait; the limit here only guards against one lost.
        pollfd p{reportPipe[0], POLLIN, 0};
        int ready;
        while ((ready = ::poll(&p, 1, kShellOpenWaitMs + 10000)) < 0 && errno == EINTR) {
        }
        ssize_t n = 0;
        if (ready > 0)
            while ((n = ::read(reportPipe[0], &report, sizeof report)) < 0 && errno == EINTR) {
            }
        if (ready == 0) {
            report = {Report::Running, 0};
            ::kill(watcher, SIGKILL);
        } else if (n != ssize_t(sizeof report)) {
            report = {Report::NotStarted, 0};
        }
        // Ends right after its report; a session that ignores SIGCHLD has reaped it already.
        while (::waitpid(watcher, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(reportPipe[0]);

    switch (report.kind) {
    case Report::Running:
        result.opened = true;
        break;
    case Report::Exited:
        result.opened = report.value == 0;
        if (!result.opened)
            result.reason = exitReason(report.value);
        break;
    case Report::Signalled:
        result.reason = QStringLiteral("xdg-open ended with signal %1").arg(report.value);
        break;
    default:
        result.reason = report.value == 0
                            ? QStringLiteral("xdg-open cannot be started")
                            : QStringLiteral("xdg-open cannot be started (%1)")
                                  .arg(QString::fromLocal8Bit(std::strerror(report.value)));
        break;
    }
    return result;
}

} // namespace platform
