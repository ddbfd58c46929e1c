#include "netware/NWServer.h"

#include "dates/dates.h"
#include "netware/Nwtools.h"
#include "netware/nwlib.h"

namespace nw {

QString TNWServer::lastErrorText() const
{
    return ErrorText(state().serverError);
}

QString TNWServer::serverName(NWCONN_HANDLE connection) const
{
    ClientState &s = state();
    s.callsResult = 0xFFFFFFFF;
    if (connection == 0)
        connection = PrimaryConnection();
    char name[nwclient::kServerNameSize] = {};
    if (const auto info = lazy<Entry::NWCCGetConnInfo>(Library::Connection))
        s.callsResult = info(connection, nwclient::kConnInfoServerName, sizeof name, name);
    else if (const auto fsName = lazy<Entry::NWGetFileServerName>(Library::Calls))
        s.callsResult = fsName(connection, name);
    if (s.callsResult == 0)
        return TakeText(name, sizeof name);
    s.callsError = s.callsResult;
    return QStringLiteral("LOCAL");
}

// Unlike the queries below, this one finds its connection before the look-up: callers have
// always seen the cells that finding it leaves.
std::uint16_t TNWServer::connectionNumber(const ServerConnection &connection) const
{
    ClientState &s = state();
    s.callsResult = 0xFFFFFFFF;
    const NWCONN_HANDLE handle = connection();
    std::uint32_t number = 0;
    if (const auto info = lazy<Entry::NWCCGetConnInfo>(Library::Connection)) {
        s.callsResult = info(handle, nwclient::kConnInfoConnNumber, sizeof number, &number);
    } else if (const auto get = afresh<Entry::NWGetConnectionNumber>(Library::Calls)) {
        std::uint16_t n = 0;
        s.callsResult = get(handle, &n);
        number = n;
    }
    if (s.callsResult == 0)
        return std::uint16_t(number & 0xFFFF);
    s.callsError = s.callsResult;
    return 0;
}

QString TNWServer::loginName(const ServerConnection &connection) const
{
    const auto info = lazy<Entry::NWGetConnectionInformation>(Library::Calls);
    if (info == nullptr)
        return {};
    const NWCONN_HANDLE handle = connection();
    const std::uint16_t number = connectionNumber(connection);
    char name[nwclient::kServerNameSize] = {};
    std::uint16_t type = 1;
    std::uint32_t id = 0;
    std::uint8_t loginTime[nwclient::kLoginTimeSize] = {};
    const NWRCODE status = info(handle, number, name, &type, &id, loginTime);
    recordCalls(status);
    return status == 0 ? TakeText(name, sizeof name) : QString();
}

bool TNWServer::objectID(const ServerConnection &connection, const QString &name,
                         std::uint16_t type, std::uint32_t &id) const
{
    const auto getID = lazy<Entry::NWGetObjectID>(Library::Calls);
    if (getID == nullptr)
        return false;
    char buffer[nwclient::kServerNameSize];
    PutText(buffer, sizeof buffer, UpperAscii(name));
    std::uint32_t got = 0;
    const NWRCODE status = getID(connection(), buffer, type, &got);
    recordCalls(status);
    if (status != 0)
        return false;
    id = got;
    return true;
}

bool TNWServer::identification(const ServerConnection &connection, const QString &name,
                               const std::function<std::uint16_t()> &type, QString &value) const
{
    const auto read = lazy<Entry::NWReadPropertyValue>(Library::Calls);
    if (read == nullptr)
        return false;
    char object[nwclient::kServerNameSize];
    PutText(object, sizeof object, name);
    char text[nwclient::kPropertyValueSize] = {};
    std::uint8_t more = 0, flags = 0;
    const std::uint16_t objectType = type();
    if (read(connection(), object, objectType, "IDENTIFICATION", 1,
             reinterpret_cast<std::uint8_t *>(text), &more, &flags) != 0)
        return false;
    value = TakeText(text, sizeof text);
    return true;
}

bool TNWServer::consoleOperator(const ServerConnection &connection) const
{
    const auto check = lazy<Entry::NWCheckConsolePrivileges>(Library::Calls);
    return check != nullptr && check(connection()) == 0;
}

bool TNWServer::manager(const ServerConnection &connection) const
{
    const auto check = lazy<Entry::NWIsManager>(Library::Calls);
    return check != nullptr && check(connection()) == 0;
}

// Looked up in the calls library, unlike the other connection information: the slot is
// shared, so whichever look-up succeeds first serves all.
std::optional<std::uint16_t> TNWServer::broadcastMode(const ServerConnection &connection) const
{
    const auto info = lazy<Entry::NWCCGetConnInfo>(Library::Calls);
    if (info == nullptr)
        return std::nullopt;
    std::uint16_t mode = 0;
    if (info(connection(), nwclient::kConnInfoBroadcast, sizeof mode, &mode) != 0)
        return std::nullopt;
    return mode;
}

void TNWServer::setBroadcastMode(const ServerConnection &connection, std::uint16_t mode) const
{
    if (const auto set = lazy<Entry::NWSetBroadcastMode>(Library::Calls))
        recordCalls(set(connection(), mode));
}

ServerClock TNWServer::clock(const ServerConnection &connection) const
{
    ServerClock clock;
    const auto dateTime = lazy<Entry::NWGetFileServerDateAndTime>(Library::Calls);
    if (dateTime == nullptr)
        return clock;
    const NWCONN_HANDLE handle = connection();
    for (std::optional<DateTimeRecord> *reading : {&clock.date, &clock.time}) {
        DateTimeRecord record{};
        const NWRCODE status = dateTime(handle, record.data());
        recordCalls(status);
        if (status == 0)
            *reading = record;
    }
    return clock;
}

bool TNWServer::makePreferred(const QString &name) const
{
    char buffer[nwclient::kServerNameSize];
    PutText(buffer, sizeof buffer, name);
    if (const auto setPref = lazy<Entry::NWCCSetPrefServerName>(Library::Connection)) {
        const NWRCODE status = setPref(buffer);
        recordCalls(status);
        return status == 0;
    }
    const auto getHandle = lazy<Entry::NWGetConnectionHandle>(Library::Calls);
    const auto setPrimary = lazy<Entry::NWSetPrimaryConnectionID>(Library::Calls);
    if (getHandle == nullptr || setPrimary == nullptr)
        return false;
    NWCONN_HANDLE handle = 0;
    std::uint16_t reserved = 0;
    NWRCODE status = getHandle(buffer, 0, &handle, &reserved);
    recordCalls(status);
    if (status != 0)
        return false;
    status = setPrimary(handle);
    recordCalls(status);
    return status == 0;
}

bool TNWServer::information(NWCONN_HANDLE connection, ServerInformation &info) const
{
    const auto query = lazy<Entry::NWGetFileServerInformation>(Library::Calls);
    if (query == nullptr)
        return false;
    char name[nwclient::kServerNameSize] = {};
    ServerInformation got;
    if (query(connection, name, &got.major, &got.minor, &got.revision, &got.maxConnections,
              &got.maxConnectionsUsed, &got.connectionsInUse, &got.volumes, &got.sftLevel,
              &got.ttsLevel) != 0)
        return false;
    got.name = TakeText(name, sizeof name);
    if (got.major >= 4) {
        const auto info4 = lazy<Entry::NWGetFileServerInfo>(Library::Calls);
        char name4[nwclient::kServerNameSize] = {};
        std::uint8_t major = 0, minor = 0, revision = 0;
        if (info4 == nullptr || info4(connection, name4, &major, &minor, &revision) != 0)
            return false;
    }
    info = got;
    return true;
}

bool TNWServer::setDateAndTime(NWCONN_HANDLE connection, double dateTime) const
{
    const auto set = lazy<Entry::NWSetFileServerDateAndTime>(Library::Calls);
    if (set == nullptr)
        return false;
    std::int32_t year = 0;
    std::uint16_t month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, msec = 0;
    dates::DecodeDate(dateTime, year, month, day);
    dates::DecodeTime(dateTime, hour, minute, second, msec);
    if (year > 1900)
        year -= 1900;
    const NWRCODE status =
        set(connection, std::uint8_t(year), std::uint8_t(month), std::uint8_t(day),
            std::uint8_t(hour), std::uint8_t(minute), std::uint8_t(second));
    recordServer(status);
    return status == 0;
}

NWCONN_HANDLE TNWServer::openConnectionByName(const QString &name) const
{
    char buffer[nwclient::kServerNameSize];
    PutText(buffer, sizeof buffer, UpperAscii(name));
    NWCONN_HANDLE handle = 0;
    NWRCODE status = 0xFFFFFFFF;
    bool called = false;
    if (const auto open = lazy<Entry::NWCCOpenConnByName>(Library::Connection)) {
        status = open(0, buffer, 2, 1, 0, &handle);
        called = true;
    }
    if (status != 0 || handle == 0) {
        if (const auto get = lazy<Entry::NWGetConnectionHandle>(Library::Calls)) {
            std::uint16_t reserved = 0;
            handle = 0;
            status = get(buffer, 0, &handle, &reserved);
            called = true;
        }
    }
    if (!called)
        return 0;
    recordServer(status);
    return status == 0 ? handle : 0;
}

// The property and print layers make no client call, so their cells would always hold 0.
QString TNWProp::lastErrorText() const
{
    return QStringLiteral("0000");
}

QString TNWPrint::lastErrorText() const
{
    return QStringLiteral("0000");
}

} // namespace nw
