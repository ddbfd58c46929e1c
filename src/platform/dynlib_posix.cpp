#include "dynlib.h"

#include <cctype>
#include <dlfcn.h>

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
