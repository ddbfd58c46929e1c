#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

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
