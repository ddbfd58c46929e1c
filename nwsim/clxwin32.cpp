// The connection library of the stand-in client.
#include "connection.h"

using namespace nwsim;

namespace {
constexpr std::uint32_t kReferenceBase = 1000; // references differ from handles
}

extern "C" {

NWRCODE NWCCGetPrimConnRef(std::uint32_t *ref)
{
    NWSIM_CONFIGURED_FAILURE(NWCCGetPrimConnRef)
    *ref = directory().primary + kReferenceBase;
    return logged("NWCCGetPrimConnRef", 0);
}

NWRCODE NWCCOpenConnByRef(std::uint32_t ref, std::uint32_t openState, std::uint32_t,
                          NWCONN_HANDLE *conn)
{
    NWSIM_CONFIGURED_FAILURE(NWCCOpenConnByRef)
    const Server *s = serverByHandle(ref - kReferenceBase);
    const std::string detail = "ref=" + std::to_string(ref) + " state=" + std::to_string(openState);
    if (s == nullptr)
        return logged("NWCCOpenConnByRef", kInvalidConnection, detail);
    *conn = s->handle;
    return logged("NWCCOpenConnByRef", 0, detail);
}

NWRCODE NWCCGetConnInfo(NWCONN_HANDLE conn, std::uint32_t type, std::uint32_t length, void *buffer)
{
    return simGetConnInfo(conn, type, length, buffer);
}

NWRCODE NWCCSetPrefServerName(const char *name)
{
    NWSIM_CONFIGURED_FAILURE(NWCCSetPrefServerName)
    const std::string text = getText(name, nwclient::kServerNameSize);
    return logged("NWCCSetPrefServerName", serverByName(text) ? 0 : kInvalidConnection,
                  quoted(text));
}

NWRCODE NWCCOpenConnByName(NWCONN_HANDLE, const char *name, std::uint32_t nameFormat,
                           std::uint32_t openState, std::uint32_t, NWCONN_HANDLE *conn)
{
    NWSIM_CONFIGURED_FAILURE(NWCCOpenConnByName)
    const std::string text = getText(name, nwclient::kServerNameSize);
    const std::string detail = quoted(text) + " format=" + std::to_string(nameFormat) +
                               " state=" + std::to_string(openState);
    const Server *s = serverByName(text);
    if (s == nullptr)
        return logged("NWCCOpenConnByName", kInvalidConnection, detail);
    *conn = s->handle;
    return logged("NWCCOpenConnByName", 0, detail);
}
}
