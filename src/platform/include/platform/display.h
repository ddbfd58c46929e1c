#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace platform {

// What one look at a display server found.
enum class DisplayAnswer {
    Answers, // it took the connection and answered
    Absent,  // nothing there, or it refused
    Silent,  // it took the connection and then said nothing within the time given
};

// The probe's steps, apart so that tests can hand in their own connection and clock.
// Connecting to a busy X server fails now and then, so a display that may exist is asked
// again with growing pauses before the probe gives up. A server that takes the connection and
// never answers is not asked again: waiting on it would hang the login.
struct DisplayProbe
{
    std::function<DisplayAnswer(int timeoutMs)> connect; // one attempt, within timeoutMs
    bool mayExist = true;              // false: one attempt, no retries
    int budgetMs = 5000;               // the pauses between attempts add up to at most this
    std::function<void(int ms)> sleep; // pauses; QThread::msleep when not given
};
DisplayAnswer probeDisplay(const DisplayProbe &probe);

// The socket file of a local X display (":1", ":1.0", "unix:1"); empty for any other name.
QString xSocketPath(const QString &display);
// The socket of a Wayland display as the client library finds it: WAYLAND_DISPLAY itself when
// it is a path, else inside XDG_RUNTIME_DIR; empty when it cannot be found.
QString waylandSocketPath(const QByteArray &waylandDisplay, const QByteArray &runtimeDir);

// One attempt each, within `timeoutMs`: the X server's connection set-up through libxcb (on a
// thread left behind should the server never answer), and a Wayland compositor's answer to a
// first request on its socket.
DisplayAnswer connectX11(const QByteArray &display, int timeoutMs);
DisplayAnswer connectWayland(const QString &socketPath, int timeoutMs);

// What the session offers, as the environment names it.
struct SessionDisplays
{
    QByteArray platform;       // QT_QPA_PLATFORM; empty counts as unset, as Qt takes it
    QByteArray x11Display;     // DISPLAY
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray runtimeDir;     // XDG_RUNTIME_DIR
    static SessionDisplays fromEnvironment();
};

// The Qt platform to start, chosen before Qt starts so that Qt never tries one in vain.
struct PlatformChoice
{
    enum Kind {
        X11,     // the X display answers: "xcb", where the window can stay on top
        Wayland, // only a Wayland display answers: "wayland", where it cannot
        AsGiven, // QT_QPA_PLATFORM names the platforms: Qt takes them in its own order
        None,    // nothing to show a window on
    };
    Kind kind = None;
    QByteArray platform; // the name to hand Qt; empty with AsGiven and None
    QString reason;      // with None, when there is more to say than that there is no display
};

// How the choice looks at a display; the real probes unless a test hands in its own.
struct DisplayProbes
{
    std::function<DisplayAnswer(const QByteArray &display)> x11;
    std::function<DisplayAnswer(const QString &socketPath)> wayland;
};

// X11 where the session has a display that answers and the user chose nothing (staying on top
// and centring work there); else native Wayland; an explicit QT_QPA_PLATFORM, a list too, is
// obeyed, checked only so that a server that would hang Qt is named instead.
PlatformChoice choosePlatform(const SessionDisplays &session, const DisplayProbes &probes = {});

} // namespace platform
