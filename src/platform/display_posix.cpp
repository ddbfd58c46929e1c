#include "platform/display.h"

#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace platform {
namespace {

using Connect = void *(*)(const char *, int *);
using HasError = int (*)(void *);
using Disconnect = void (*)(void *);

struct Xcb
{
    Connect connect = nullptr;
    HasError hasError = nullptr;
    Disconnect disconnect = nullptr;
};

// Loaded at run time so the path that ends never pays for it.
const Xcb *xcb()
{
    static const Xcb functions = [] {
        Xcb f;
        void *lib = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
        if (lib == nullptr)
            return f;
        f.connect = reinterpret_cast<Connect>(dlsym(lib, "xcb_connect"));
        f.hasError = reinterpret_cast<HasError>(dlsym(lib, "xcb_connection_has_error"));
        f.disconnect = reinterpret_cast<Disconnect>(dlsym(lib, "xcb_disconnect"));
        return f;
    }();
    return functions.connect && functions.hasError && functions.disconnect ? &functions : nullptr;
}

bool connectOnce(const Xcb &x, const QByteArray &display)
{
    void *c = x.connect(display.constData(), nullptr);
    const bool ok = c != nullptr && x.hasError(c) == 0;
    if (c != nullptr)
        x.disconnect(c);
    return ok;
}

bool xDisplayReachable(const char *display)
{
    const Xcb *x = xcb();
    if (x == nullptr)
        return false;
    const QByteArray name(display);
    // A local display whose socket file is missing is not there: no retries for it.
    const QString socket = xSocketPath(QString::fromLocal8Bit(name));
    DisplayProbe probe;
    probe.connect = [x, name] { return connectOnce(*x, name); };
    probe.mayExist = socket.isEmpty() || QFileInfo::exists(socket);
    return probeDisplay(probe);
}

} // namespace

bool probeDisplay(const DisplayProbe &probe)
{
    if (probe.connect())
        return true;
    if (!probe.mayExist)
        return false;
    int waited = 0;
    for (int pause = 25; waited < probe.budgetMs; pause = std::min(pause * 2, 1000)) {
        const int ms = std::min(pause, probe.budgetMs - waited);
        if (probe.sleep)
            probe.sleep(ms);
        else
            QThread::msleep(static_cast<unsigned long>(ms));
        waited += ms;
        if (probe.connect())
            return true;
    }
    return false;
}

QString xSocketPath(const QString &display)
{
    const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return {};
    const QString host = display.left(colon);
    if (!host.isEmpty() && host != QLatin1String("unix"))
        return {};
    QString number = display.mid(colon + 1);
    if (const qsizetype dot = number.indexOf(QLatin1Char('.')); dot >= 0)
        number.truncate(dot);
    if (number.isEmpty() || number.size() > 9)
        return {};
    for (const QChar c : std::as_const(number))
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return {};
    return QStringLiteral("/tmp/.X11-unix/X") + number;
}

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
