#include "platform/display.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace platform {
namespace {

bool xDisplayReachable(const char *display)
{
    // Loaded at run time so the path that ends never pays for it.
    void *xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (xcb == nullptr)
        return false;
    using Connect = void *(*)(const char *, int *);
    using HasError = int (*)(void *);
    using Disconnect = void (*)(void *);
    auto connect = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb, "xcb_disconnect"));
    if (!connect || !hasError || !disconnect)
        return false;
    void *c = connect(display, nullptr);
    const bool ok = c != nullptr && hasError(c) == 0;
    if (c != nullptr)
        disconnect(c);
    return ok;
}

} // namespace

bool displayAvailable()
{
    const char *qpa = std::getenv("QT_QPA_PLATFORM");
    if (qpa != nullptr && *qpa != '\0' && std::strncmp(qpa, "xcb", 3) != 0)
        return true;
    const char *display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0')
        return xDisplayReachable(display);
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    return qpa == nullptr && wayland != nullptr && *wayland != '\0';
}

} // namespace platform
