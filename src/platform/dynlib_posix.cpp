#include "platform/dynlib.h"

#include <cctype>
#include <dlfcn.h>
#include <unistd.h>

namespace platform {

std::string libraryFileName(const char *name)
{
    std::string base = name ? name : "";
    for (char &c : base)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dll") == 0)
        base.resize(base.size() - 4);
    return "lib" + base + ".so";
}

LibraryHandle LoadLibraryA(const char *name)
{
    if (name == nullptr || *name == '\0')
        return nullptr;
    return dlopen(libraryFileName(name).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void *GetProcAddress(LibraryHandle library, const char *name)
{
    if (library == nullptr || name == nullptr)
        return nullptr;
    return dlsym(library, name);
}

} // namespace platform

namespace platform {

LibraryHandle loadModule(const std::string &path, std::string *error)
{
    LibraryHandle h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr && error != nullptr) {
        const char *why = dlerror();
        *error = why ? why : "unknown error";
    }
    return h;
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
