#include "netware/NWServer.h"

#include "dates/dates.h"
#include "netware/Nwtools.h"
#include "netware/nwlib.h"

namespace nw {

QString TNWServer::lastErrorText() const
{
    return ErrorText(state().serverError);
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
