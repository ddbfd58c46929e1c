#pragma once

#include "netware/nwlib.h"

// Owns one buffer or context of the client and gives it back through the bound entry point
// `Release` when it goes, exactly once, whatever path leaves the scope. It owns whatever
// handle it was given, 0 included: the client decides what a handle it handed out means.
template <nw::Entry Release, class Handle> class ClientHandle
{
public:
    explicit ClientHandle(Handle handle) : m_handle(handle) {}
    ~ClientHandle()
    {
        if (const auto release = nw::bound<Release>())
            release(m_handle);
    }
    ClientHandle(const ClientHandle &) = delete;
    ClientHandle &operator=(const ClientHandle &) = delete;

    Handle get() const { return m_handle; }

private:
    Handle m_handle;
};

using ClientBuffer = ClientHandle<nw::Entry::NWDSFreeBuf, NWDSBufHandle>;
using ClientContext = ClientHandle<nw::Entry::NWDSFreeContext, NWDSContextHandle>;
