#include "netware/nwNDS.h"

#include "clienthandle.h"
#include "netware/Nwtools.h"
#include "netware/nwlib.h"

#include <array>
#include <cstring>
#include <iterator>

using namespace nw;
using nwclient::kAttrNameSize;
using nwclient::kNameContextSize;
using nwclient::kObjectNameSize;
using nwclient::kUserNameSize;

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

bool directoryLoaded()
{
    return state().directory != nullptr && state().locale != nullptr;
}

// Frees a context whose status nobody looks at.
void freeContext(NWDSContextHandle context)
{
    if (const auto freeCtx = bound<Entry::NWDSFreeContext>())
        freeCtx(context);
}

// Runs a name conversion through 256-byte buffers; "" unless the client reports success.
template <Entry E> QString convertName(const QString &name)
{
    char in[kObjectNameSize];
    PutText(in, sizeof in, name);
    const auto convert = lazy<E>(Library::Directory);
    if (convert == nullptr)
        return {};
    char out[kObjectNameSize] = {};
    const NWRCODE status = convert(state().mainContext, in, out);
    recordDirectory(status);
    return status == 0 ? TakeText(out, sizeof out) : QString();
}

} // namespace

// ---------------------------------------------------------------- the loader

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
        freeContext(s.mainContext);
    if (s.lookupContext != 0)
        freeContext(s.lookupContext);
    s.mainContext = 0;
    s.lookupContext = 0;
}

QString TNWNDS::lastErrorText() const
{
    return ErrorText(state().ndsError);
}

namespace nw {

// ---------------------------------------------------------------- contexts

bool NDSStartup()
{
    if (!directoryLoaded())
        return false;
    ClientState &s = state();
    const auto create = bound<Entry::NWDSCreateContext>();
    const auto localeconv = bound<Entry::NWLlocaleconv>();
    const auto initTables = bound<Entry::NWInitUnicodeTables>();
    if (s.mainContext == 0 && create != nullptr)
        s.mainContext = create();
    if (localeconv == nullptr || initTables == nullptr)
        return false;
    std::array<std::uint8_t, nwclient::kLocaleRecordSize> record{};
    localeconv(record.data());
    std::int32_t country = 0;
    std::int32_t codePage = 0;
    std::memcpy(&country, record.data() + nwclient::kLocaleCountryOffset, sizeof country);
    std::memcpy(&codePage, record.data() + nwclient::kLocaleCodePageOffset, sizeof codePage);
    return initTables(country, codePage) == 0 && s.mainContext != 0;
}

bool NDSShutdown()
{
    const auto freeTables = bound<Entry::NWFreeUnicodeTables>();
    if (freeTables == nullptr)
        return false;
    const NWRCODE status = freeTables();
    recordDirectory(status);
    return status == 0;
}

NWDSContextHandle NDSNewContext()
{
    const NWDSContextHandle main = state().mainContext;
    if (main > 0) {
        const auto duplicate = bound<Entry::NWDSDuplicateContext>();
        return duplicate ? duplicate(main) : 0;
    }
    const auto create = bound<Entry::NWDSCreateContext>();
    return create ? create() : 0;
}

bool NDSReleaseContext(NWDSContextHandle context)
{
    const auto freeCtx = bound<Entry::NWDSFreeContext>();
    return freeCtx != nullptr && freeCtx(context) == 0;
}

namespace {

bool setNameContext(NWDSContextHandle context, const QString &name)
{
    const auto set = bound<Entry::NWDSSetContext>();
    if (set == nullptr)
        return false;
    char buffer[kNameContextSize];
    PutText(buffer, sizeof buffer, TrimBlanks(name));
    const NWRCODE status = set(context, nwclient::kContextName, buffer);
    recordDirectory(status);
    return status == 0;
}

} // namespace

bool NDSSetNameContext(const QString &name)
{
    return setNameContext(state().mainContext, name);
}

bool NDSUseNameContext(NWDSContextHandle context, const QString &name)
{
    ClientState &s = state();
    const auto duplicate = bound<Entry::NWDSDuplicateContext>();
    if (bound<Entry::NWDSFreeContext>() == nullptr || duplicate == nullptr)
        return false;
    if (!setNameContext(context, name))
        return false;
    freeContext(s.mainContext);
    s.mainContext = 0;
    if (const auto dupHandle = lazy<Entry::NWDSDuplicateContextHandle>(Library::Directory))
        dupHandle(context, &s.mainContext);
    else
        s.mainContext = duplicate(context);
    return s.mainContext != 0;
}

QString NDSNameContext()
{
    const auto get = bound<Entry::NWDSGetContext>();
    if (get == nullptr)
        return {};
    char buffer[kNameContextSize] = {};
    const NWRCODE status = get(state().mainContext, nwclient::kContextName, buffer);
    recordDirectory(status);
    return status == 0 ? TakeText(buffer, sizeof buffer) : QString();
}

void NDSResetMainContext()
{
    ClientState &s = state();
    const auto create = bound<Entry::NWDSCreateContext>();
    if (create == nullptr || bound<Entry::NWDSFreeContext>() == nullptr)
        return;
    freeContext(s.mainContext);
    s.mainContext = create();
    NDSSetNameContext(QStringLiteral("[Root]"));
}

std::uint32_t NDSGetContextFlags()
{
    const auto get = bound<Entry::NWDSGetContext>();
    if (get == nullptr)
        return 0;
    std::uint32_t flags = 0;
    const NWRCODE status = get(state().mainContext, nwclient::kContextFlags, &flags);
    recordDirectory(status);
    return status == 0 ? flags : 0;
}

bool NDSPutContextFlags(std::uint32_t flags)
{
    ClientState &s = state();
    const auto set = bound<Entry::NWDSSetContext>();
    if (set == nullptr)
        return false;
    s.ndsResult = set(s.mainContext, nwclient::kContextFlags, &flags);
    const NWRCODE status = set(s.lookupContext, nwclient::kContextFlags, &flags);
    recordDirectory(status);
    return status == 0;
}

bool NDSAddContextFlags(std::uint32_t bits)
{
    const auto get = bound<Entry::NWDSGetContext>();
    if (get == nullptr || bound<Entry::NWDSSetContext>() == nullptr)
        return false;
    std::uint32_t flags = 0;
    get(state().mainContext, nwclient::kContextFlags, &flags);
    return NDSPutContextFlags(flags | bits);
}

// ---------------------------------------------------------------- names

QString NDSCanonicalName(const QString &name)
{
    const auto canonicalize = lazy<Entry::NWDSCanonicalizeName>(Library::Directory);
    const auto get = bound<Entry::NWDSGetContext>();
    const auto set = bound<Entry::NWDSSetContext>();
    if (canonicalize == nullptr || get == nullptr || set == nullptr)
        return {};
    const NWDSContextHandle context = state().mainContext;
    char in[kObjectNameSize];
    PutText(in, sizeof in, name);
    std::uint32_t saved = 0;
    NWRCODE status = get(context, nwclient::kContextFlags, &saved);
    recordDirectory(status);
    if (status != 0)
        return {};
    const std::uint32_t canonicalFlags = 0x13;
    set(context, nwclient::kContextFlags, &canonicalFlags);
    char out[kObjectNameSize] = {};
    status = canonicalize(context, in, out);
    recordDirectory(status);
    QString result = status == 0 ? TakeText(out, sizeof out) : QString();
    set(context, nwclient::kContextFlags, &saved);
    return result;
}

bool NDSIsDirectoryServer(NWCONN_HANDLE connection)
{
    const auto isDS = lazy<Entry::NWIsDSServer>(Library::Directory);
    if (isDS == nullptr)
        return false;
    if (connection == 0)
        connection = PrimaryConnection();
    char tree[nwclient::kTreeNameSize] = {};
    const std::uint32_t result = isDS(connection, tree);
    state().ndsResult = result;
    if (result != 0)
        return !TakeText(tree, sizeof tree).isEmpty();
    state().ndsError = 0xFFFFFFFF;
    return false;
}

QString NDSPreferredTreeName()
{
    NWCONN_HANDLE connection = 0;
    if (const auto preferred = afresh<Entry::NWGetPreferredDSServer>(Library::Directory)) {
        const NWRCODE status = preferred(&connection);
        recordDirectory(status);
        if (status != 0)
            connection = 0;
    }
    const auto isDS = lazy<Entry::NWIsDSServer>(Library::Directory);
    if (isDS == nullptr)
        return {};
    if (connection == 0)
        connection = PrimaryConnection();
    char tree[nwclient::kTreeNameSize] = {};
    QString name;
    if (isDS(connection, tree) != 0)
        name = TakeText(tree, sizeof tree);
    else
        state().ndsError = 0;
    while (name.endsWith(QLatin1Char('_')))
        name.chop(1);
    return name;
}

bool NDSSetPreferredTree(const QString &tree)
{
    const auto setTree = lazy<Entry::NWSetPreferredDSTree>(Library::Directory);
    if (setTree == nullptr)
        return false;
    const QByteArray bytes = tree.toLocal8Bit();
    const NWRCODE status = setTree(std::uint16_t(bytes.size()), bytes.constData());
    recordDirectory(status);
    return status == 0;
}

std::uint32_t NDSMapNameToID(NWCONN_HANDLE connection, const QString &name)
{
    const auto map = lazy<Entry::NWDSMapNameToID>(Library::Directory);
    if (map == nullptr || !NDSUseNameContext(state().lookupContext, QStringLiteral("[root]")))
        return 0;
    if (connection == 0)
        connection = PrimaryConnection();
    char buffer[kObjectNameSize];
    PutText(buffer, sizeof buffer, name);
    std::uint32_t id = 0;
    const NWRCODE status = map(state().lookupContext, connection, buffer, &id);
    recordDirectory(status);
    return status == 0 ? id : 0;
}

QString IdentifierText(std::uint32_t id)
{
    const auto swap = lazy<Entry::NWLongSwap>(Library::Calls);
    const std::uint32_t swapped = swap ? swap(id) : 0;
    return QString::number(swapped, 16).toUpper();
}

QString NDSMapNameToIDText(NWCONN_HANDLE connection, const QString &name)
{
    const std::uint32_t id = NDSMapNameToID(connection, name);
    return id == 0 ? QString() : IdentifierText(id);
}

// ---------------------------------------------------------------- attributes

bool NDSFindAttributeValue(NWDSContextHandle context, NWDSBufHandle result,
                           const QString &attributeName, void *destination)
{
    const auto getCount = bound<Entry::NWDSGetAttrCount>();
    const auto getName = bound<Entry::NWDSGetAttrName>();
    const auto getValue = bound<Entry::NWDSGetAttrVal>();
    if (getCount == nullptr || getName == nullptr || getValue == nullptr)
        return false;
    std::uint32_t count = 0;
    NWRCODE status = getCount(context, result, &count);
    recordDirectory(status);
    if (status != 0)
        return false;
    const QString wanted = UpperAscii(attributeName);
    bool found = false;
    for (std::uint32_t i = 0; i < count; ++i) {
        char name[kAttrNameSize] = {};
        std::uint32_t values = 0;
        std::uint32_t syntax = 0;
        status = getName(context, result, name, &values, &syntax);
        recordDirectory(status);
        if (status != 0)
            return found;
        if (UpperAscii(TakeText(name, sizeof name)) != wanted)
            continue;
        status = getValue(context, result, syntax, destination);
        recordDirectory(status);
        if (status != 0)
            return found;
        found = true;
    }
    return found;
}

bool NDSReadAttributeValue(NWDSContextHandle context, const QString &objectName,
                           std::uint8_t attributeIndex, void *destination)
{
    const auto alloc = bound<Entry::NWDSAllocBuf>();
    const auto init = bound<Entry::NWDSInitBuf>();
    const auto putName = bound<Entry::NWDSPutAttrName>();
    const auto read = bound<Entry::NWDSRead>();
    if (!alloc || !init || !bound<Entry::NWDSFreeBuf>() || !putName || !read ||
        !bound<Entry::NWDSGetAttrCount>() || !bound<Entry::NWDSGetAttrName>() ||
        !bound<Entry::NWDSGetAttrVal>())
        return false;

    NWDSBufHandle handle = nullptr;
    if (alloc(nwclient::kBufferSize, &handle) != 0)
        return false;
    const ClientBuffer request(handle);
    handle = nullptr;
    if (alloc(nwclient::kBufferSize, &handle) != 0)
        return false;
    // Declared after the request buffer, so freed before it.
    const ClientBuffer result(handle);

    char object[kObjectNameSize];
    PutText(object, sizeof object, objectName);
    const QString attributeName = NDSAttributeName(attributeIndex);
    if (init(context, nwclient::kOperationRead, request.get()) != 0)
        return false;
    char name[kAttrNameSize];
    PutText(name, sizeof name, attributeName);
    NWRCODE status = putName(context, request.get(), name);
    recordDirectory(status);
    if (status != 0)
        return false;
    std::int32_t iteration = nwclient::kIterationDone;
    bool found = false;
    // A client that never says "done" must not keep us here for ever.
    for (int round = 0; round < 4096; ++round) {
        status = read(context, object, nwclient::kInfoAttrNamesValues, 0, request.get(), &iteration,
                      result.get());
        recordDirectory(status);
        if (status != 0)
            break;
        if (NDSFindAttributeValue(context, result.get(), attributeName, destination))
            found = true;
        if (iteration == nwclient::kIterationDone)
            break;
    }
    return found;
}

namespace {

// Reads into a local value, so that a failed read leaves the caller's destination alone.
// Sized for a text value whatever the attribute, so a client delivering another syntax
// than expected cannot write past it.
bool readAttribute(const QString &contextName, const QString &objectName, std::uint8_t index,
                   std::array<char, nwclient::kTextValueSize + 1> &value)
{
    const bool named = !contextName.isEmpty();
    const auto duplicate = bound<Entry::NWDSDuplicateContext>();
    if (!named && duplicate == nullptr)
        return false;
    const ClientContext working(named ? NDSNewContext() : duplicate(state().mainContext));
    if (named && !NDSUseNameContext(working.get(), contextName))
        return false;
    value.fill(0);
    return NDSReadAttributeValue(working.get(), objectName, index, value.data());
}

} // namespace

bool NDSReadTextAttribute(const QString &contextName, const QString &objectName,
                          std::uint8_t attributeIndex, QString &destination)
{
    std::array<char, nwclient::kTextValueSize + 1> value;
    if (!readAttribute(contextName, objectName, attributeIndex, value))
        return false;
    destination = TakeText(value.data(), nwclient::kTextValueSize);
    return true;
}

} // namespace nw

QString NDSWhoAmIName()
{
    const auto whoAmI = lazy<Entry::NWDSWhoAmI>(Library::Directory);
    if (whoAmI == nullptr)
        return {};
    char name[kUserNameSize] = {};
    if (whoAmI(state().mainContext, name) != 0)
        return {};
    return TakeText(name, sizeof name);
}

QString NDSTypelessName(const QString &name)
{
    return convertName<Entry::NWDSRemoveAllTypes>(name);
}

bool NDSReadTimeAttribute(const QString &contextName, const QString &objectName,
                          std::uint8_t attributeIndex, double &destination)
{
    std::array<char, nwclient::kTextValueSize + 1> value;
    if (!nw::readAttribute(contextName, objectName, attributeIndex, value))
        return false;
    std::uint32_t seconds = 0;
    std::memcpy(&seconds, value.data(), sizeof seconds);
    destination = NDSTimeToDateTime(seconds);
    return true;
}
