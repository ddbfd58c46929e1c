#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

int scaled(int ms)
{
    static const double factor = [] {
        bool ok = false;
        const double f = qEnvironmentVariable("DAYPANE_TEST_TIMEOUT_FACTOR").toDouble(&ok);
        return ok && f > 0 && std::isfinite(f) ? f : 1.0;
    }();
    return int(std::lround(ms * factor));
}

ScopedEnv::ScopedEnv(const char *name, const QByteArray &value) : m_name(name)
{
    if (qEnvironmentVariableIsSet(name))
        m_old = qgetenv(name);
    qputenv(name, value);
}

ScopedEnv::ScopedEnv(const char *name, std::nullptr_t) : m_name(name)
{
    if (qEnvironmentVariableIsSet(name))
        m_old = qgetenv(name);
    qunsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (m_old)
        qputenv(m_name.constData(), *m_old);
    else
        qunsetenv(m_name.constData());
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(content);
}

void asUnprivilegedUser(const std::function<void()> &body)
{
    if (::geteuid() != 0) {
        body();
        return;
    }
    const struct passwd *nobody = ::getpwnam("nobody");
    const uid_t uid = nobody != nullptr ? nobody->pw_uid : 65534;
    const gid_t gid = nobody != nullptr ? nobody->pw_gid : 65534;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0) << "fork failed";
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) {
            std::fprintf(stdout, "cannot become nobody\n");
            std::fflush(stdout);
            ::_exit(3);
        }
        qputenv("TMPDIR", "/tmp"); // the temporary folders of the case must be nobody's own
        body();
        std::fflush(stdout);
        ::_exit(testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the case failed when run as nobody (its output is above)";
}

FifoWatch::FifoWatch(const QString &path, int limitMs) : m_path(QFile::encodeName(path))
{
    m_created = ::mkfifo(m_path.constData(), 0600) == 0;
    if (!m_created)
        return;
    m_thread = std::thread([this, limitMs] {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_wake.wait_for(lock, std::chrono::milliseconds(limitMs),
                            [this] { return m_stopping; }))
            return;
        // Opening for writing succeeds only while a reader waits: try until stopped.
        while (!m_stopping) {
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                m_released = true;
                ::close(fd);
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(50), [this] { return m_stopping; });
        }
    });
}

FifoWatch::~FifoWatch()
{
    stop();
}

bool FifoWatch::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    return m_released;
}

RunResult runProgram(const QString &program, const QStringList &arguments,
                     const QStringList &environment, int timeoutMs)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &kv : environment) {
        const qsizetype eq = kv.indexOf(QLatin1Char('='));
        if (eq < 0)
            env.remove(kv);
        else
            env.insert(kv.left(eq), kv.mid(eq + 1));
    }
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    RunResult r;
    if (!p.waitForStarted(timeoutMs))
        return r;
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace testsupport
