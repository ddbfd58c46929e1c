#include "netware/nwlib.h"

#include "clientlibrary.h"
#include "netware/Nwtools.h"

namespace nw {

namespace {

constexpr const char *kEntryNames[] = {
#define NW_ENTRY_NAME(name, result, params) #name,
    NW_CLIENT_ENTRY_POINTS(NW_ENTRY_NAME)
#undef NW_ENTRY_NAME
};
static_assert(std::size(kEntryNames) == std::size_t(kEntryCount));

HMODULE libraryHandle(Library library)
{
    ClientState &s = state();
    switch (library) {
    case Library::Calls:
        return s.calls;
    case Library::Connection:
        return s.connection;
    case Library::Directory:
        return s.directory;
    case Library::Locale:
        return s.locale;
    }
    return nullptr;
}

} // namespace

const char *entryName(Entry entry)
{
    return kEntryNames[int(entry)];
}

ClientState &state()
{
    static ClientState s;
    return s;
}

EntryPoint lookup(Entry entry, Library library)
{
    EntryPoint &slot = state().entries[int(entry)];
    if (slot == nullptr)
        slot = GetProcAddress(libraryHandle(library), entryName(entry));
    return slot;
}

EntryPoint lookupAfresh(Entry entry, Library library)
{
    EntryPoint &slot = state().entries[int(entry)];
    slot = GetProcAddress(libraryHandle(library), entryName(entry));
    return slot;
}

void recordCalls(NWRCODE status)
{
    state().callsResult = status;
    if (status != 0)
        state().callsError = status;
}

void recordServer(NWRCODE status)
{
    state().serverResult = status;
    if (status != 0)
        state().serverError = status;
}

void recordDirectory(NWRCODE status)
{
    state().ndsResult = status;
    if (status != 0)
        state().ndsError = status;
}

TNWLib::TNWLib()
{
    ClientState &s = state();
    s.primaryConnection = 0;
    s.callsError = 0;
    s.calls = nullptr;
    s.connection = nullptr;
    s.directoryInUse = false;
    s.loadFailure.clear();

    s.calls = loadClientLibrary("CALWIN32.DLL");
    if (s.calls == nullptr) {
        s.callsError = kLibraryMissing;
        return;
    }
    s.connection = loadClientLibrary("CLXWIN32.DLL");
    if (s.connection == nullptr) {
        s.callsError = kLibraryMissing;
        return;
    }
    const auto init = lazy<Entry::NWCallsInit>(Library::Calls);
    if (init == nullptr)
        return;
    std::uint32_t scratch = 0;
    if (init(&scratch, &scratch) == 0)
        s.primaryConnection = PrimaryConnection();
}

QString TNWLib::lastErrorText() const
{
    return ErrorText(state().callsError);
}

NWCONN_HANDLE PrimaryConnection()
{
    ClientState &s = state();
    if (s.primaryConnection != 0)
        return s.primaryConnection;
    s.callsResult = 0xFFFFFFFF;
    NWCONN_HANDLE handle = 0;
    if (const auto getRef = lazy<Entry::NWCCGetPrimConnRef>(Library::Connection)) {
        std::uint32_t ref = 0;
        if (getRef(&ref) == 0) {
            if (const auto open = afresh<Entry::NWCCOpenConnByRef>(Library::Connection))
                s.callsResult = open(ref, 1, 0, &handle);
        }
    } else if (const auto getID = lazy<Entry::NWGetPrimaryConnectionID>(Library::Calls)) {
        s.callsResult = getID(&handle);
    }
    if (s.callsResult == 0)
        return handle;
    s.callsError = s.callsResult;
    return 0;
}

const void *loadClientLibrary(const char *name)
{
    QString why;
    HMODULE library = LoadLibraryA(name, &why);
    ClientState &s = state();
    if (library == nullptr && s.loadFailure.isEmpty())
        s.loadFailure = QStringLiteral("cannot load %1 (%2)").arg(QLatin1String(name), why);
    return library;
}

QString ClientLoadFailure()
{
    return state().loadFailure;
}

bool NetAvailability()
{
    const ClientState &s = state();
    return s.calls != nullptr && s.connection != nullptr && PrimaryConnection() != 0;
}

} // namespace nw
