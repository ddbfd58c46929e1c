#pragma once

#include "simentry.h"

#include <cstring>

// NWCCGetConnInfo is exported by both the calls and the connection library.
inline NWRCODE simGetConnInfo(NWCONN_HANDLE conn, std::uint32_t type, std::uint32_t length,
                              void *buffer)
{
    using namespace nwsim;
    NWSIM_CONFIGURED_FAILURE(NWCCGetConnInfo)
    const Server *s = serverByHandle(conn);
    const std::string detail = "conn=" + std::to_string(conn) + " type=" + std::to_string(type);
    if (s == nullptr || buffer == nullptr)
        return logged("NWCCGetConnInfo", kInvalidConnection, detail);
    const Directory &d = directory();
    switch (type) {
    case nwclient::kConnInfoBroadcast:
        if (length < 2)
            break;
        std::memcpy(buffer, &d.broadcast, 2);
        return logged("NWCCGetConnInfo", 0, detail);
    case nwclient::kConnInfoConnNumber: {
        if (length < 4)
            break;
        const std::uint32_t number = d.connectionNumber;
        std::memcpy(buffer, &number, 4);
        return logged("NWCCGetConnInfo", 0, detail);
    }
    case nwclient::kConnInfoServerName:
        putText(static_cast<char *>(buffer), length, s->name);
        return logged("NWCCGetConnInfo", 0, detail);
    default:
        break;
    }
    return logged("NWCCGetConnInfo", kNotSupported, detail);
}
