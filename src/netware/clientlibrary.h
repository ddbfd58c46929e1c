#pragma once

// The binding's two calls of the Windows loader, made on the program's module loader: a client
// library is named the Windows way and found by the system's usual search.

#include <QString>

namespace nw {

// Opaque; null means none.
using HMODULE = const void *;
using FARPROC = void (*)();

// The system's file name for a client library named the Windows way: "CALWIN32.DLL" is
// "libcalwin32.so" on POSIX.
QString libraryFileName(const char *name);

// Null when the library cannot be loaded, and then `why`, when given, receives the loader's
// reason. Libraries are never unloaded.
HMODULE LoadLibraryA(const char *name, QString *why = nullptr);

// Null when the handle is null or the library lacks the name.
FARPROC GetProcAddress(HMODULE library, const char *name);

} // namespace nw
