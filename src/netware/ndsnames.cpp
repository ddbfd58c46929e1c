// The directory binding's names: the user's, canonical and typeless forms, trees, identifiers.
#include "netware/nwNDS.h"

#include "netware/Nwtools.h"
#include "netware/nwlib.h"

using namespace nw;
using nwclient::kObjectNameSize;
using nwclient::kUserNameSize;

namespace {

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

namespace nw {

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
