// The stamp's write failing for real: a file-size limit, and a full file system in a mount
// namespace of its own. Each runs in a child process, so the limit or the mount stays there.
#include "platform/textfile.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

struct ChildResult
{
    bool exited = false; // false: ended by a signal
    int status = -1;     // the exit status, or the signal
    std::string message; // what the child wrote to its pipe
};

// Runs `body` in a child process; what it returns is the exit status, what it writes to its
// string comes back through a pipe, read until the child ends.
ChildResult inChild(const std::function<int(std::string &)> &body)
{
    ChildResult r;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return r;
    const pid_t child = ::fork();
    if (child < 0)
        return r;
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string message;
        const int status = body(message);
        if (!message.empty() && ::write(pipeFds[1], message.data(), message.size()) < 0)
            ::_exit(120);
        ::_exit(status);
    }
    ::close(pipeFds[1]);
    char buf[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        r.message.append(buf, std::size_t(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    r.exited = WIFEXITED(status);
    r.status = r.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    return r;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

TEST(ReplaceFileFailures, AFileSizeLimitIsDiskFullAndKeepsTheOldStampWhole)
{
    const struct
    {
        const char *name;
        rlim_t limit;       // bytes a file may hold
        bool signalIgnored; // as a session may have it; otherwise the default, which kills
    } rows[] = {
        {"NothingFits", 0, false}, {"ShortWrite", 3, false}, {"ShortWriteIgnored", 3, true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString path = dir.filePath("dpn.qcf");
        testsupport::writeFile(path, "35\r\n");
        const ChildResult r = inChild([&](std::string &) {
            if (row.signalIgnored)
                std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = row.limit;
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return 121;
            return replaceFile(path, "200\r\n");
        });
        ASSERT_TRUE(r.exited) << "the write ended the process with signal " << r.status;
        EXPECT_EQ(r.status, kIoDiskFull);
        EXPECT_EQ(testsupport::readFile(path), QByteArray("35\r\n"));
        EXPECT_EQ(entries(dir.path()), QStringList{"dpn.qcf"});
        // The next write, without the limit, goes through.
        EXPECT_EQ(replaceFile(path, "200\r\n"), 0);
        EXPECT_EQ(testsupport::readFile(path), QByteArray("200\r\n"));
    }
}

bool writeAll(const char *path, const char *text)
{
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const auto n = ::write(fd, text, std::strlen(text));
    return ::close(fd) == 0 && n == ssize_t(std::strlen(text));
}

// A mount namespace of the child's own: as root directly, otherwise inside a user namespace
// that maps the user to root. Empty, or why not.
std::string privateMountNamespace()
{
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid == 0) {
        if (::unshare(CLONE_NEWNS) != 0)
            return std::string("unshare(CLONE_NEWNS): ") + std::strerror(errno);
    } else {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return std::string("unshare(CLONE_NEWUSER | CLONE_NEWNS): ") + std::strerror(errno);
        const std::string uidMap = "0 " + std::to_string(uid) + " 1";
        const std::string gidMap = "0 " + std::to_string(gid) + " 1";
        if (!writeAll("/proc/self/setgroups", "deny") ||
            !writeAll("/proc/self/uid_map", uidMap.c_str()) ||
            !writeAll("/proc/self/gid_map", gidMap.c_str()))
            return std::string("user namespace maps: ") + std::strerror(errno);
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return std::string("private mounts: ") + std::strerror(errno);
    return {};
}

TEST(ReplaceFileFailures, AFullFileSystemIsDiskFullAndKeepsTheOldStampWhole)
{
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.filePath("small"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("small"));
    const ChildResult r = inChild([&](std::string &message) {
        if (const std::string why = privateMountNamespace(); !why.empty()) {
            message = "cannot run here: " + why;
            return 77;
        }
        // One page: the old stamp takes it all.
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    "size=4k,mode=0700") != 0) {
            message = std::string("cannot run here: mount tmpfs: ") + std::strerror(errno);
            return 77;
        }
        const std::string stamp = mountPoint.toStdString() + "/dpn.qcf";
        const std::string filler = mountPoint.toStdString() + "/filler";
        if (!writeAll(stamp.c_str(), "35\r\n"))
            return 122;
        // Whatever room is left, used up.
        const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        char block[4096] = {};
        while (fd >= 0 && ::write(fd, block, sizeof block) > 0) {
        }
        const int fillError = errno;
        ::close(fd);
        if (fillError != ENOSPC) {
            message = std::string("filling: ") + std::strerror(fillError);
            return 123;
        }
        const int code = replaceFile(QFile::decodeName(stamp.c_str()), "200\r\n");
        message = std::to_string(code) + "|" +
                  testsupport::readFile(QFile::decodeName(stamp.c_str())).toStdString() + "|" +
                  entries(QFile::decodeName(mountPoint)).join(',').toStdString();
        return 0;
    });
    if (r.exited && r.status == 77)
        GTEST_SKIP() << r.message;
    ASSERT_TRUE(r.exited) << "signal " << r.status;
    ASSERT_EQ(r.status, 0) << r.message;
    EXPECT_EQ(r.message, std::to_string(kIoDiskFull) + "|35\r\n|dpn.qcf,filler");
}

} // namespace
