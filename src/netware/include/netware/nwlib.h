#pragma once

#include "netware/nwclient.h"

#include <QString>
#include <cstdint>

namespace nw {

enum class Library : std::uint8_t { Calls, Connection, Directory, Locale };

enum class Entry : int {
#define NW_ENTRY_ENUM(name, result, params) name,
    NW_CLIENT_ENTRY_POINTS(NW_ENTRY_ENUM)
#undef NW_ENTRY_ENUM
        Count
};
inline constexpr int kEntryCount = int(Entry::Count);

template <Entry E> struct EntryType;
#define NW_ENTRY_TYPE(name, result, params)                                                        \
    template <> struct EntryType<Entry::name>                                                      \
    {                                                                                              \
        using type = result(*) params;                                                             \
    };
NW_CLIENT_ENTRY_POINTS(NW_ENTRY_TYPE)
#undef NW_ENTRY_TYPE

const char *entryName(Entry entry);

// An entry point as the loader gives it out, before it is typed by its EntryType.
using EntryPoint = void (*)();

// The process-wide state of the binding; zero at start, never freed. Library handles and entry
// points are opaque here: the binding's loader gives them out and the templates below type them.
struct ClientState
{
    const void *calls = nullptr;
    const void *connection = nullptr;
    const void *directory = nullptr;
    const void *locale = nullptr;
    EntryPoint entries[kEntryCount] = {}; // written only by look-ups
    NWDSContextHandle mainContext = 0;
    NWDSContextHandle lookupContext = 0;
    NWCONN_HANDLE primaryConnection = 0;
    bool directoryInUse = false;
    QString loadFailure; // the first library of the last loading that could not be loaded, and why
    std::uint32_t callsError = 0;
    std::uint32_t serverError = 0;
    std::uint32_t ndsError = 0;
    std::uint32_t callsResult = 0;
    std::uint32_t serverResult = 0;
    std::uint32_t ndsResult = 0;
};
ClientState &state();

inline constexpr std::uint32_t kLibraryMissing = 0xFFFF;

// Looks the entry up in the library when its slot is still empty; null when it is not there
// (also when the library is not loaded).
EntryPoint lookup(Entry entry, Library library);
// Looks the entry up again whatever the slot holds.
EntryPoint lookupAfresh(Entry entry, Library library);

template <Entry E> typename EntryType<E>::type lazy(Library library)
{
    return reinterpret_cast<typename EntryType<E>::type>(lookup(E, library));
}
template <Entry E> typename EntryType<E>::type afresh(Library library)
{
    return reinterpret_cast<typename EntryType<E>::type>(lookupAfresh(E, library));
}
// An eagerly bound entry: the slot as it is, never looked up here.
template <Entry E> typename EntryType<E>::type bound()
{
    return reinterpret_cast<typename EntryType<E>::type>(state().entries[int(E)]);
}

// Status bookkeeping: the result cell always, the error cell when the call failed.
void recordCalls(NWRCODE status);
void recordServer(NWRCODE status);
void recordDirectory(NWRCODE status);

// Loads the calls and connection libraries and initialises the client.
class TNWLib
{
public:
    TNWLib();
    TNWLib(const TNWLib &) = delete;
    TNWLib &operator=(const TNWLib &) = delete;
    QString lastErrorText() const;
};

// The handle of the primary connection, or 0 (then the calls error cell says why).
NWCONN_HANDLE PrimaryConnection();

// Both calls libraries loaded and a primary connection.
bool NetAvailability();

// Why the client could not be loaded: "cannot load CALWIN32.DLL (the loader's reason)" for the
// first of its libraries that failed when the loader objects were last made; empty when none
// did. Nothing is shown here; the directory source reports it.
QString ClientLoadFailure();

// Loads one client library; a failure is kept for ClientLoadFailure() unless one is already.
const void *loadClientLibrary(const char *name);

} // namespace nw
