#include "simclient.h"

#include <QFile>
#include <dlfcn.h>

SimDirectory::SimDirectory(const QByteArray &description)
{
    testsupport::writeFile(path(), description);
    m_fileEnv = std::make_unique<testsupport::ScopedEnv>("NWSIM_DIRECTORY", path().toLocal8Bit());
    m_logEnv = std::make_unique<testsupport::ScopedEnv>("NWSIM_LOG", logPath().toLocal8Bit());
}

SimDirectory::~SimDirectory() = default;

QStringList SimDirectory::log() const
{
    QFile f(logPath());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList SimDirectory::calls() const
{
    QStringList names;
    for (const QString &line : log())
        names << line.section(QLatin1Char(' '), 0, 0);
    return names;
}

void SimDirectory::clearLog() const
{
    QFile::remove(logPath());
}

namespace sim {
namespace {

void *hook(const char *name)
{
    // Only finds the stand-in when the binding has loaded it already.
    void *core = dlopen(NWSIM_CORE_PATH, RTLD_NOW | RTLD_NOLOAD);
    return core ? dlsym(core, name) : nullptr;
}

} // namespace

bool contextFlags(std::int32_t context, std::uint32_t &flags)
{
    auto f = reinterpret_cast<int (*)(std::int32_t, std::uint32_t *)>(hook("nwsim_context_flags"));
    return f && f(context, &flags);
}

QString contextName(std::int32_t context)
{
    auto f =
        reinterpret_cast<int (*)(std::int32_t, char *, std::size_t)>(hook("nwsim_context_name"));
    char buffer[256] = {};
    return f && f(context, buffer, sizeof buffer) ? QString::fromLatin1(buffer) : QString();
}

int liveContexts()
{
    auto f = reinterpret_cast<int (*)()>(hook("nwsim_live_contexts"));
    return f ? f() : 0;
}

int liveBuffers()
{
    auto f = reinterpret_cast<int (*)()>(hook("nwsim_live_buffers"));
    return f ? f() : 0;
}

bool unicodeTables()
{
    auto f = reinterpret_cast<int (*)()>(hook("nwsim_unicode_tables"));
    return f && f();
}

} // namespace sim
