#include "platform/display.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <time.h>
#include <unistd.h>

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

std::int64_t nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// A probe of one display with the retries and the time limit of DisplayProbe.
DisplayAnswer probeX11(const QByteArray &display)
{
    // A local display whose socket file is missing is not there: no retries for it.
    const QString socket = xSocketPath(QString::fromLocal8Bit(display));
    DisplayProbe probe;
    probe.connect = [display](int ms) { return connectX11(display, ms); };
    probe.mayExist = socket.isEmpty() || QFileInfo::exists(socket);
    return probeDisplay(probe);
}

DisplayAnswer probeWayland(const QString &socket)
{
    DisplayProbe probe;
    probe.connect = [socket](int ms) { return connectWayland(socket, ms); };
    probe.mayExist = QFileInfo::exists(socket);
    return probeDisplay(probe);
}

QString silentLine(const char *kind, const QByteArray &name)
{
    return QStringLiteral("the %1 display %2 takes connections but does not answer")
        .arg(QLatin1String(kind), QString::fromLocal8Bit(name));
}

} // namespace

DisplayAnswer probeDisplay(const DisplayProbe &probe)
{
    // An attempt may use what is left of the budget, and never less than this.
    constexpr int kLeastAttemptMs = 500;
    int waited = 0;
    DisplayAnswer answer = probe.connect(std::max(probe.budgetMs, kLeastAttemptMs));
    if (answer != DisplayAnswer::Absent || !probe.mayExist)
        return answer;
    for (int pause = 25; waited < probe.budgetMs; pause = std::min(pause * 2, 1000)) {
        const int ms = std::min(pause, probe.budgetMs - waited);
        if (probe.sleep)
            probe.sleep(ms);
        else
            QThread::msleep(static_cast<unsigned long>(ms));
        waited += ms;
        answer = probe.connect(std::max(probe.budgetMs - waited, kLeastAttemptMs));
        if (answer != DisplayAnswer::Absent)
            return answer;
    }
    return DisplayAnswer::Absent;
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

QString waylandSocketPath(const QByteArray &waylandDisplay, const QByteArray &runtimeDir)
{
    const QByteArray name = waylandDisplay.isEmpty() ? QByteArray("wayland-0") : waylandDisplay;
    if (name.startsWith('/'))
        return QFile::decodeName(name);
    if (runtimeDir.isEmpty())
        return {};
    return QFile::decodeName(runtimeDir + '/' + name);
}

DisplayAnswer connectX11(const QByteArray &display, int timeoutMs)
{
    const Xcb *x = xcb();
    if (x == nullptr)
        return DisplayAnswer::Absent;
    // libxcb waits for the server's answer without a limit; the attempt runs where it may be
    // left behind, holding only what it shares with this call.
    struct Attempt
    {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<bool> reached;
    };
    auto attempt = std::make_shared<Attempt>();
    try {
        std::thread([x, display, attempt] {
            const bool reached = connectOnce(*x, display);
            const std::lock_guard<std::mutex> lock(attempt->mutex);
            attempt->reached = reached;
            attempt->done.notify_all();
        }).detach();
    } catch (const std::system_error &) {
        return connectOnce(*x, display) ? DisplayAnswer::Answers : DisplayAnswer::Absent;
    }
    std::unique_lock<std::mutex> lock(attempt->mutex);
    if (!attempt->done.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return attempt->reached.has_value(); }))
        return DisplayAnswer::Silent;
    return *attempt->reached ? DisplayAnswer::Answers : DisplayAnswer::Absent;
}

DisplayAnswer connectWayland(const QString &socketPath, int timeoutMs)
{
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || std::size_t(path.size()) >= sizeof address.sun_path)
        return DisplayAnswer::Absent;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return DisplayAnswer::Absent;
    const auto closing = [fd](DisplayAnswer a) {
        ::close(fd);
        return a;
    };
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        return closing(DisplayAnswer::Absent); // refused, missing, or its queue is full
    // wl_display.sync(new callback 2): object 1, request 0, 12 bytes. Any answer will do: the
    // callback's done event, or an error event.
    const std::uint32_t sync[3] = {1, (12u << 16) | 0u, 2};
    if (::send(fd, sync, sizeof sync, MSG_NOSIGNAL) != ssize_t(sizeof sync))
        return closing(DisplayAnswer::Absent);
    const std::int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
        const std::int64_t left = deadline - nowMs();
        if (left <= 0)
            return closing(DisplayAnswer::Silent);
        pollfd p{fd, POLLIN, 0};
        const int n = ::poll(&p, 1, int(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return closing(n == 0 ? DisplayAnswer::Silent : DisplayAnswer::Absent);
        char byte = 0;
        const ssize_t got = ::recv(fd, &byte, 1, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        return closing(got == 1 ? DisplayAnswer::Answers : DisplayAnswer::Absent);
    }
}

SessionDisplays SessionDisplays::fromEnvironment()
{
    SessionDisplays s;
    s.platform = qgetenv("QT_QPA_PLATFORM");
    s.x11Display = qgetenv("DISPLAY");
    s.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    s.runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    return s;
}

PlatformChoice choosePlatform(const SessionDisplays &session, const DisplayProbes &given)
{
    const auto x11 = given.x11 ? given.x11 : probeX11;
    const auto wayland = given.wayland ? given.wayland : probeWayland;
    const QString waylandSocket = waylandSocketPath(session.waylandDisplay, session.runtimeDir);
    PlatformChoice choice;

    if (!session.platform.trimmed().isEmpty()) {
        // Qt tries the names in order and takes the first that starts. Only the servers it would
        // wait on without a limit are looked at: one that never answers ends the start here.
        choice.kind = PlatformChoice::AsGiven;
        for (const QByteArray &entry : session.platform.split(';')) {
            const QByteArray name = entry.trimmed().split(':').first();
            DisplayAnswer answer = DisplayAnswer::Absent;
            if (name == "xcb") {
                const QByteArray display = entry.contains("displayname=")
                                               ? QByteArray()
                                               : session.x11Display;
                if (display.isEmpty())
                    return choice; // Qt's own connection decides
                if ((answer = x11(display)) == DisplayAnswer::Silent) {
                    choice = {PlatformChoice::None, {}, silentLine("X", display)};
                    return choice;
                }
            } else if (name.startsWith("wayland")) {
                if (waylandSocket.isEmpty())
                    continue;
                if ((answer = wayland(waylandSocket)) == DisplayAnswer::Silent) {
                    // Qt's own default when WAYLAND_DISPLAY names none.
                    const QByteArray name = session.waylandDisplay.isEmpty()
                                                ? QByteArray("wayland-0")
                                                : session.waylandDisplay;
                    choice = {PlatformChoice::None, {}, silentLine("Wayland", name)};
                    return choice;
                }
            } else if (!name.isEmpty()) {
                return choice; // a platform without a server of its own, or one Qt judges
            } else {
                continue;
            }
            if (answer == DisplayAnswer::Answers)
                return choice;
        }
        return choice; // none answers: Qt says why
    }

    QString silent;
    if (!session.x11Display.isEmpty()) {
        const DisplayAnswer answer = x11(session.x11Display);
        if (answer == DisplayAnswer::Answers) {
            choice.kind = PlatformChoice::X11;
            choice.platform = "xcb";
            return choice;
        }
        if (answer == DisplayAnswer::Silent)
            silent = silentLine("X", session.x11Display);
    }
    if (!session.waylandDisplay.isEmpty() && !waylandSocket.isEmpty()) {
        const DisplayAnswer answer = wayland(waylandSocket);
        if (answer == DisplayAnswer::Answers) {
            choice.kind = PlatformChoice::Wayland;
            choice.platform = "wayland";
            return choice;
        }
        if (answer == DisplayAnswer::Silent && silent.isEmpty())
            silent = silentLine("Wayland", session.waylandDisplay);
    }
    choice.why = silent;
    return choice;
}

} // namespace platform
