#include "platform/module.h"

#include <QFileInfo>
#include <QLibrary>
#include <map>
#include <memory>
#include <mutex>

namespace platform {
namespace {

// The system loader's own words (which name the file), without Qt's wrapping around them.
QString loaderReason(const QLibrary &library)
{
    const QString said = library.errorString();
    const QString wrapped = QStringLiteral("Cannot load library %1: (").arg(library.fileName());
    if (said.startsWith(wrapped) && said.endsWith(QLatin1Char(')')) &&
        said.size() > wrapped.size() + 1)
        return said.mid(wrapped.size(), said.size() - wrapped.size() - 1);
    return said;
}

// One object per file, kept here, so that loading it again reuses it.
QLibrary *open(const QString &fileName, QString *why)
{
    static std::mutex mutex;
    static auto *loaded = new std::map<QString, QLibrary *>; // never destroyed: never unloaded
    const std::lock_guard<std::mutex> lock(mutex);
    if (const auto it = loaded->find(fileName); it != loaded->end())
        return it->second;
    auto library = std::make_unique<QLibrary>(fileName);
    // Every symbol bound at once: a library that lacks one fails here, not in the middle of a
    // call.
    library->setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!library->load()) {
        if (why != nullptr)
            *why = loaderReason(*library);
        return nullptr;
    }
    return loaded->emplace(fileName, library.release()).first->second;
}

} // namespace

std::optional<Module> Module::loadProgramModule(const QString &path,
                                                const ModuleInterface &interface, QString *why)
{
    // Qt would go on to try names of its own making, and the reason would name the last of them.
    if (!QFileInfo::exists(path)) {
        if (why != nullptr)
            *why = QStringLiteral("%1: no such file").arg(path);
        return std::nullopt;
    }
    QLibrary *library = open(path, why);
    if (library == nullptr)
        return std::nullopt;
    const Module module(library);
    const auto *stamp = static_cast<const ModuleStamp *>(module.address("daypane_module_stamp"));
    QString refused;
    const QLatin1String expected(interface.name);
    if (stamp == nullptr || stamp->interfaceName == nullptr)
        refused = QStringLiteral("%1 states no interface version; this program needs version %2 "
                                 "of the %3")
                      .arg(path)
                      .arg(interface.version)
                      .arg(expected);
    else if (QLatin1String(stamp->interfaceName) != expected)
        refused = QStringLiteral("%1 is the %2, not the %3")
                      .arg(path, QLatin1String(stamp->interfaceName), expected);
    else if (stamp->version != interface.version)
        refused = QStringLiteral("%1 has interface version %2 of the %3; this program needs "
                                 "version %4")
                      .arg(path)
                      .arg(stamp->version)
                      .arg(expected)
                      .arg(interface.version);
    if (refused.isEmpty())
        return module;
    if (why != nullptr)
        *why = refused;
    return std::nullopt;
}

std::optional<Module> Module::loadSystemLibrary(const QString &name, int sonameVersion,
                                                QString *why)
{
    // Named whole, so that the loader looks for exactly this file and its reason names it.
    QString file = QStringLiteral("lib%1.so").arg(name);
    if (sonameVersion != kNoSonameVersion)
        file += QLatin1Char('.') + QString::number(sonameVersion);
    QLibrary *library = open(file, why);
    if (library == nullptr)
        return std::nullopt;
    return Module(library);
}

QString Module::fileName() const
{
    return m_library->fileName();
}

void *Module::address(const char *symbol) const
{
    return symbol != nullptr ? reinterpret_cast<void *>(m_library->resolve(symbol)) : nullptr;
}

} // namespace platform
