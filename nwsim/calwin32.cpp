// The calls library of the stand-in client.
#include "connection.h"

#include <ctime>

using namespace nwsim;

namespace {

NWRCODE needServer(const char *entry, NWCONN_HANDLE conn)
{
    return serverByHandle(conn) ? 0 : logged(entry, kInvalidConnection);
}

} // namespace

extern "C" {

NWRCODE NWCallsInit(void *, void *)
{
    NWSIM_CONFIGURED_FAILURE(NWCallsInit)
#ifdef NWSIM_CALLS_INIT_FAILS
    return logged("NWCallsInit", 0x8800);
#else
    return logged("NWCallsInit", 0);
#endif
}

NWRCODE NWGetPrimaryConnectionID(NWCONN_HANDLE *conn)
{
    NWSIM_CONFIGURED_FAILURE(NWGetPrimaryConnectionID)
    *conn = directory().primary;
    return logged("NWGetPrimaryConnectionID", 0);
}

NWRCODE NWGetConnectionNumber(NWCONN_HANDLE conn, std::uint16_t *number)
{
    NWSIM_CONFIGURED_FAILURE(NWGetConnectionNumber)
    if (const NWRCODE e = needServer("NWGetConnectionNumber", conn))
        return e;
    *number = directory().connectionNumber;
    return logged("NWGetConnectionNumber", 0);
}

NWRCODE NWGetConnectionInformation(NWCONN_HANDLE conn, std::uint16_t number, char *name,
                                   std::uint16_t *objectType, std::uint32_t *objectID,
                                   std::uint8_t *loginTime)
{
    NWSIM_CONFIGURED_FAILURE(NWGetConnectionInformation)
    if (const NWRCODE e = needServer("NWGetConnectionInformation", conn))
        return e;
    const Object *user = userObject();
    if (user == nullptr || number != directory().connectionNumber)
        return logged("NWGetConnectionInformation", kNoSuchObject,
                      "number=" + std::to_string(number));
    putText(name, nwclient::kServerNameSize, binderyName(*user));
    *objectType = user->binderyType;
    *objectID = user->id;
    std::memset(loginTime, 0, nwclient::kLoginTimeSize);
    return logged("NWGetConnectionInformation", 0, "number=" + std::to_string(number));
}

std::uint32_t NWLongSwap(std::uint32_t value)
{
    return __builtin_bswap32(value);
}

NWRCODE NWGetObjectID(NWCONN_HANDLE conn, const char *name, std::uint16_t type, std::uint32_t *id)
{
    NWSIM_CONFIGURED_FAILURE(NWGetObjectID)
    if (const NWRCODE e = needServer("NWGetObjectID", conn))
        return e;
    const std::string text = getText(name, nwclient::kServerNameSize);
    const std::string detail = quoted(text) + " type=" + std::to_string(type);
    for (const Object &o : directory().objects)
        if (o.binderyType == type && binderyName(o) == upper(text)) {
            *id = o.id;
            return logged("NWGetObjectID", 0, detail);
        }
    return logged("NWGetObjectID", kNoSuchObject, detail);
}

NWRCODE NWCheckConsolePrivileges(NWCONN_HANDLE conn)
{
    NWSIM_CONFIGURED_FAILURE(NWCheckConsolePrivileges)
    if (const NWRCODE e = needServer("NWCheckConsolePrivileges", conn))
        return e;
    return logged("NWCheckConsolePrivileges", directory().consoleOperator ? 0 : kNoConsoleRights);
}

NWRCODE NWIsManager(NWCONN_HANDLE conn)
{
    NWSIM_CONFIGURED_FAILURE(NWIsManager)
    if (const NWRCODE e = needServer("NWIsManager", conn))
        return e;
    return logged("NWIsManager", directory().manager ? 0 : kNotManager);
}

NWRCODE NWGetFileServerName(NWCONN_HANDLE conn, char *name)
{
    NWSIM_CONFIGURED_FAILURE(NWGetFileServerName)
    const Server *s = serverByHandle(conn);
    if (s == nullptr)
        return logged("NWGetFileServerName", kInvalidConnection);
    putText(name, nwclient::kServerNameSize, s->name);
    return logged("NWGetFileServerName", 0);
}

NWRCODE NWGetFileServerDateAndTime(NWCONN_HANDLE conn, std::uint8_t *dt)
{
    NWSIM_CONFIGURED_FAILURE(NWGetFileServerDateAndTime)
    if (const NWRCODE e = needServer("NWGetFileServerDateAndTime", conn))
        return e;
    const std::time_t now = simNow();
    std::tm tm{};
    localtime_r(&now, &tm);
    dt[0] = std::uint8_t(tm.tm_year);
    dt[1] = std::uint8_t(tm.tm_mon + 1);
    dt[2] = std::uint8_t(tm.tm_mday);
    dt[3] = std::uint8_t(tm.tm_hour);
    dt[4] = std::uint8_t(tm.tm_min);
    dt[5] = std::uint8_t(tm.tm_sec);
    dt[6] = std::uint8_t(tm.tm_wday);
    return logged("NWGetFileServerDateAndTime", 0);
}

NWRCODE NWGetMaximumConnections(std::uint16_t *maximum)
{
    NWSIM_CONFIGURED_FAILURE(NWGetMaximumConnections)
    *maximum = directory().maxConnections;
    return logged("NWGetMaximumConnections", 0);
}

NWRCODE NWGetConnectionHandle(const char *name, std::uint16_t, NWCONN_HANDLE *conn, std::uint16_t *)
{
    NWSIM_CONFIGURED_FAILURE(NWGetConnectionHandle)
    const std::string text = getText(name, nwclient::kServerNameSize);
    const Server *s = serverByName(text);
    if (s == nullptr)
        return logged("NWGetConnectionHandle", kInvalidConnection, quoted(text));
    *conn = s->handle;
    return logged("NWGetConnectionHandle", 0, quoted(text));
}

NWRCODE NWSetPrimaryConnectionID(NWCONN_HANDLE conn)
{
    NWSIM_CONFIGURED_FAILURE(NWSetPrimaryConnectionID)
    if (const NWRCODE e = needServer("NWSetPrimaryConnectionID", conn))
        return e;
    directory().primary = conn;
    return logged("NWSetPrimaryConnectionID", 0);
}

NWRCODE NWSetBroadcastMode(NWCONN_HANDLE conn, std::uint16_t mode)
{
    NWSIM_CONFIGURED_FAILURE(NWSetBroadcastMode)
    if (const NWRCODE e = needServer("NWSetBroadcastMode", conn))
        return e;
    directory().broadcast = mode;
    return logged("NWSetBroadcastMode", 0, "mode=" + std::to_string(mode));
}

NWRCODE NWReadPropertyValue(NWCONN_HANDLE conn, const char *objectName, std::uint16_t type,
                            const char *property, std::uint8_t segment, std::uint8_t *value,
                            std::uint8_t *more, std::uint8_t *flags)
{
    NWSIM_CONFIGURED_FAILURE(NWReadPropertyValue)
    if (const NWRCODE e = needServer("NWReadPropertyValue", conn))
        return e;
    const std::string name = getText(objectName, nwclient::kServerNameSize);
    const std::string prop = getText(property, 16);
    const std::string detail = quoted(name) + " type=" + std::to_string(type) + " " + quoted(prop);
    for (const Object &o : directory().objects) {
        if (binderyName(o) != upper(name) || o.binderyType != type)
            continue;
        const Attribute *full = attribute(o, "Full Name");
        if (!sameText(prop, "IDENTIFICATION") || segment != 1 || full == nullptr)
            break;
        putText(reinterpret_cast<char *>(value), nwclient::kPropertyValueSize, full->text);
        *more = 0;
        *flags = 0;
        return logged("NWReadPropertyValue", 0, detail);
    }
    return logged("NWReadPropertyValue", kNoSuchProperty, detail);
}

NWRCODE NWGetFirstDrive(std::uint16_t *drive)
{
    NWSIM_CONFIGURED_FAILURE(NWGetFirstDrive)
    const Directory &d = directory();
    if (d.firstDrive == 0)
        return logged("NWGetFirstDrive", kNotSupported);
    *drive = std::uint16_t(d.firstDrive);
    return logged("NWGetFirstDrive", 0);
}

// Status word 0: the drive is free; mapped drives report 0x2000 (network).
NWRCODE NWGetDriveStatus(std::uint16_t drive, std::uint16_t, std::uint16_t *status,
                         NWCONN_HANDLE *conn, char *root, char *relative, char *full)
{
    NWSIM_CONFIGURED_FAILURE(NWGetDriveStatus)
    const Directory &d = directory();
    if (drive < 1 || drive > 26)
        return logged("NWGetDriveStatus", kNotSupported, "drive=" + std::to_string(drive));
    const bool mapped = d.mappedDrives.count(drive) > 0;
    *status = mapped ? 0x2000 : 0;
    *conn = mapped ? d.primary : 0;
    putText(root, nwclient::kDrivePathSize, mapped ? "SYS:" : "");
    putText(relative, nwclient::kDrivePathSize, "");
    putText(full, nwclient::kDrivePathSize, mapped ? "SYS:" : "");
    return logged("NWGetDriveStatus", 0, "drive=" + std::to_string(drive));
}

NWRCODE NWSetNetWareErrorMode(std::uint8_t mode, std::uint8_t *previous)
{
    NWSIM_CONFIGURED_FAILURE(NWSetNetWareErrorMode)
    static std::uint8_t current = 0;
    *previous = current;
    current = mode;
    return logged("NWSetNetWareErrorMode", 0, "mode=" + std::to_string(mode));
}

NWRCODE NWGetFileServerInfo(NWCONN_HANDLE conn, char *name, std::uint8_t *major,
                            std::uint8_t *minor, std::uint8_t *revision)
{
    NWSIM_CONFIGURED_FAILURE(NWGetFileServerInfo)
    const Server *s = serverByHandle(conn);
    if (s == nullptr)
        return logged("NWGetFileServerInfo", kInvalidConnection);
    putText(name, nwclient::kServerNameSize, s->name);
    *major = directory().major;
    *minor = directory().minor;
    *revision = 0;
    return logged("NWGetFileServerInfo", 0);
}

NWRCODE NWGetFileServerInformation(NWCONN_HANDLE conn, char *name, std::uint8_t *major,
                                   std::uint8_t *minor, std::uint8_t *revision,
                                   std::uint16_t *maxConns, std::uint16_t *maxConnsUsed,
                                   std::uint16_t *connsInUse, std::uint16_t *volumes,
                                   std::uint8_t *sft, std::uint8_t *tts)
{
    NWSIM_CONFIGURED_FAILURE(NWGetFileServerInformation)
    const Server *s = serverByHandle(conn);
    if (s == nullptr)
        return logged("NWGetFileServerInformation", kInvalidConnection);
    const Directory &d = directory();
    putText(name, nwclient::kServerNameSize, s->name);
    *major = d.major;
    *minor = d.minor;
    *revision = 0;
    *maxConns = d.maxConnections;
    *maxConnsUsed = 1;
    *connsInUse = 1;
    *volumes = 1;
    *sft = 2;
    *tts = 1;
    return logged("NWGetFileServerInformation", 0);
}

NWRCODE NWSetFileServerDateAndTime(NWCONN_HANDLE conn, std::uint8_t year, std::uint8_t month,
                                   std::uint8_t day, std::uint8_t hour, std::uint8_t minute,
                                   std::uint8_t second)
{
    NWSIM_CONFIGURED_FAILURE(NWSetFileServerDateAndTime)
    if (const NWRCODE e = needServer("NWSetFileServerDateAndTime", conn))
        return e;
    char text[64];
    std::snprintf(text, sizeof text, "%u %u %u %u %u %u", year, month, day, hour, minute, second);
    return logged("NWSetFileServerDateAndTime", 0, text);
}

NWRCODE NWCCGetConnInfo(NWCONN_HANDLE conn, std::uint32_t type, std::uint32_t length, void *buffer)
{
    return simGetConnInfo(conn, type, length, buffer);
}
}
