#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace testsupport {

// A limit of the tests scaled by DAYPANE_TEST_TIMEOUT_FACTOR (1 when unset or not a positive
// number), so a slow or busy machine gets more time without a change to the tests.
int scaled(int ms);

// Sets an environment variable for the lifetime of the object, restoring it afterwards.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value);
    ScopedEnv(const char *name, std::nullptr_t); // unsets it
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    QByteArray m_name;
    std::optional<QByteArray> m_old;
};

QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &content);

// Result of running a program to its end.
struct RunResult
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

// A named pipe for code that must not wait on one: should a reader still be blocked in it
// after a generous limit, the watch opens it for writing, which releases the reader, and the
// test can fail instead of hanging.
class FifoWatch
{
public:
    explicit FifoWatch(const QString &path, int limitMs = 20000);
    ~FifoWatch();
    FifoWatch(const FifoWatch &) = delete;
    FifoWatch &operator=(const FifoWatch &) = delete;
    bool created() const { return m_created; }
    // Ends the watch; true when a reader had to be released.
    bool stop();

private:
    QByteArray m_path;
    bool m_created = false;
    std::atomic<bool> m_released{false};
    bool m_stopping = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
};

// Runs `body` as a user without privileges: directly for a normal user; when the tests run as
// root (who reads and writes every file), in a child process that has become `nobody`, whose
// failures it prints and which fail the calling case.
void asUnprivilegedUser(const std::function<void()> &body);

RunResult runProgram(const QString &program, const QStringList &arguments,
                     const QStringList &environment, int timeoutMs = 60000);

} // namespace testsupport
