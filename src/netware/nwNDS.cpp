// The directory binding's loader: the directory and locale libraries, the eager chain of entry
// points, the main and lookup contexts. The calls are in ndscontexts.cpp, ndsnames.cpp and
// ndsattributes.cpp.
#include "netware/nwNDS.h"

#include "netware/Nwtools.h"
#include "netware/nwlib.h"

#include <iterator>

using namespace nw;

namespace {

struct EagerEntry
{
    Entry entry;
    Library library;
};

// The order is the client's contract: the chain stops at the first name it lacks.
constexpr EagerEntry kEagerChain[] = {
    {Entry::NWLlocaleconv, Library::Locale},
    {Entry::NWInitUnicodeTables, Library::Locale},
    {Entry::NWDSCreateContext, Library::Directory},
    {Entry::NWDSFreeContext, Library::Directory},
    {Entry::NWDSSetContext, Library::Directory},
    {Entry::NWDSAllocBuf, Library::Directory},
    {Entry::NWDSInitBuf, Library::Directory},
    {Entry::NWDSFreeBuf, Library::Directory},
    {Entry::NWDSDuplicateContext, Library::Directory},
    {Entry::NWDSPutAttrName, Library::Directory},
    {Entry::NWDSPutAttrVal, Library::Directory},
    {Entry::NWDSGetAttrName, Library::Directory},
    {Entry::NWDSGetAttrVal, Library::Directory},
    {Entry::NWDSGetAttrCount, Library::Directory},
    {Entry::NWDSPutChange, Library::Directory},
    {Entry::NWDSModifyObject, Library::Directory},
    {Entry::NWDSComputeAttrValSize, Library::Directory},
    {Entry::NWDSRead, Library::Directory},
    {Entry::NWDSRemoveObject, Library::Directory},
    {Entry::NWDSGenerateObjectKeyPair, Library::Directory},
    {Entry::NWDSGetObjectName, Library::Directory},
    {Entry::NWDSGetObjectCount, Library::Directory},
    {Entry::NWDSAddObject, Library::Directory},
    {Entry::NWDSList, Library::Directory},
    {Entry::NWFreeUnicodeTables, Library::Locale},
    {Entry::NWDSGetContext, Library::Directory},
    {Entry::NWDSOpenStream, Library::Directory},
};
static_assert(std::size(kEagerChain) == std::size_t(kEagerEntryCount));

} // namespace

TNWNDS::TNWNDS()
{
    ClientState &s = state();
    s.ndsError = 0;
    s.mainContext = 0;
    try {
        s.directory = loadClientLibrary("NETWIN32.DLL");
        if (s.directory == nullptr) {
            s.ndsError = kLibraryMissing;
            return;
        }
        s.locale = loadClientLibrary("LOCWIN32.DLL");
        if (s.locale == nullptr) {
            s.ndsError = kLibraryMissing;
            return;
        }
        for (const EagerEntry &e : kEagerChain)
            if (lookup(e.entry, e.library) == nullptr)
                return;
        const auto create = bound<Entry::NWDSCreateContext>();
        s.mainContext = create();
        s.lookupContext = create();
        NDSSetNameContext(QStringLiteral("[Root]"));
    } catch (...) {
        // The directory layer then counts as not loaded.
        s.directory = nullptr;
        s.locale = nullptr;
    }
}

TNWNDS::~TNWNDS()
{
    ClientState &s = state();
    if (s.mainContext != 0)
        NDSReleaseContext(s.mainContext);
    if (s.lookupContext != 0)
        NDSReleaseContext(s.lookupContext);
    s.mainContext = 0;
    s.lookupContext = 0;
}

QString TNWNDS::lastErrorText() const
{
    return ErrorText(state().ndsError);
}
