// The directory binding's attribute reading.
#include "netware/nwNDS.h"

#include "clienthandle.h"
#include "netware/Nwtools.h"
#include "netware/nwlib.h"

#include <array>
#include <cstring>

using namespace nw;
using nwclient::kAttrNameSize;
using nwclient::kObjectNameSize;

namespace nw {

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
