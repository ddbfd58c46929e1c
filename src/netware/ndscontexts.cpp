// The directory binding's contexts and the client's Unicode tables.
#include "netware/nwNDS.h"

#include "netware/Nwtools.h"
#include "netware/nwlib.h"

#include <array>
#include <cstring>

using namespace nw;
using nwclient::kNameContextSize;

namespace {

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

} // namespace

namespace nw {

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

} // namespace nw
