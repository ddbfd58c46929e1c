#pragma once

#include <string>

namespace platform {

// Opaque; null means none.
using LibraryHandle = void *;

// The system's file name for a client library named the Windows way: "CALWIN32.DLL" is
// "libcalwin32.so" on POSIX.
std::string libraryFileName(const char *name);

// Loads by bare file name through the system's usual search; null when it cannot be loaded, and
// then `error`, when given, receives the loader's reason. Libraries are never unloaded.
LibraryHandle LoadLibraryA(const char *name, std::string *error = nullptr);

// Null when the handle is null or the library lacks the name.
void *GetProcAddress(LibraryHandle library, const char *name);

} // namespace platform

namespace platform {

// Loads a module of the program itself by its path; null when it cannot be loaded. `error`
// receives the system's reason.
LibraryHandle loadModule(const std::string &path, std::string *error = nullptr);

// The folder the running executable lives in, without a trailing separator.
std::string executableDirectory();

} // namespace platform
