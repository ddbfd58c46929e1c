#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace testsupport {

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

RunResult runProgram(const QString &program, const QStringList &arguments,
                     const QStringList &environment, int timeoutMs = 60000);

} // namespace testsupport
