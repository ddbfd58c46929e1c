#include "platform/dynlib.h"

#include <QFile>
#include <QLibrary>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace platform {
namespace {

// A loaded library stays loaded until the process ends: a directory client may keep threads
// and callbacks of its own. One object per file, kept here, so loading it again reuses it.
LibraryHandle load(const QString &fileName, std::string *error)
{
    static std::mutex mutex;
    static auto *loaded = new std::map<QString, QLibrary *>; // never destroyed, see above
    const std::lock_guard<std::mutex> lock(mutex);
    if (const auto it = loaded->find(fileName); it != loaded->end())
        return it->second;
    auto library = std::make_unique<QLibrary>(fileName);
    // Every symbol bound at once, as before: a library that lacks one fails here.
    library->setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!library->load()) {
        if (error != nullptr)
            *error = library->errorString().toStdString();
        return nullptr;
    }
    return loaded->emplace(fileName, library.release()).first->second;
}

} // namespace

std::string libraryFileName(const char *name)
{
    std::string base = name ? name : "";
    for (char &c : base)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dll") == 0)
        base.resize(base.size() - 4);
    return "lib" + base + ".so";
}

LibraryHandle LoadLibraryA(const char *name, std::string *error)
{
    if (name == nullptr || *name == '\0') {
        if (error != nullptr)
            *error = "no library name";
        return nullptr;
    }
    const QString file = QString::fromStdString(libraryFileName(name));
    std::string why;
    LibraryHandle library = load(file, &why);
    if (library == nullptr && error != nullptr) {
        // The system loader's own words, without Qt's wrapping around them.
        const std::string wrapped = "Cannot load library " + file.toStdString() + ": (";
        if (why.rfind(wrapped, 0) == 0 && why.size() > wrapped.size() && why.back() == ')')
            why = why.substr(wrapped.size(), why.size() - wrapped.size() - 1);
        *error = why;
    }
    return library;
}

void *GetProcAddress(LibraryHandle library, const char *name)
{
    if (library == nullptr || name == nullptr)
        return nullptr;
    return reinterpret_cast<void *>(static_cast<QLibrary *>(library)->resolve(name));
}

} // namespace platform

namespace platform {

LibraryHandle loadModule(const std::string &path, std::string *error)
{
    return load(QFile::decodeName(path.c_str()), error);
}

std::string executableDirectory()
{
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return ".";
    buf[n] = '\0';
    std::string path(buf);
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace platform
