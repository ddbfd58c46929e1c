#include "clientlibrary.h"

#include "platform/module.h"

#include <map>
#include <mutex>

namespace nw {
namespace {

// The library's name without the "lib" and ".so" of its file, lower case: "calwin32".
QString baseName(const char *name)
{
    QString base = QString::fromLatin1(name != nullptr ? name : "").toLower();
    if (base.endsWith(QLatin1String(".dll")))
        base.chop(4);
    return base;
}

} // namespace

QString libraryFileName(const char *name)
{
    return QStringLiteral("lib%1.so").arg(baseName(name));
}

HMODULE LoadLibraryA(const char *name, QString *why)
{
    const QString base = baseName(name);
    if (base.isEmpty()) {
        if (why != nullptr)
            *why = QStringLiteral("no library name");
        return nullptr;
    }
    // The handle is the module kept here; the client's libraries carry no SONAME version.
    static std::mutex mutex;
    static auto *loaded = new std::map<QString, platform::Module>; // handles live for the process
    const std::lock_guard<std::mutex> lock(mutex);
    if (const auto it = loaded->find(base); it != loaded->end())
        return &it->second;
    const auto module = platform::Module::loadSystemLibrary(base, platform::kNoSonameVersion, why);
    if (!module)
        return nullptr;
    return &loaded->emplace(base, *module).first->second;
}

FARPROC GetProcAddress(HMODULE library, const char *name)
{
    if (library == nullptr || name == nullptr)
        return nullptr;
    return static_cast<const platform::Module *>(library)->function<void()>(name);
}

} // namespace nw
