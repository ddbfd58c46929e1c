#include "platform/display.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QThread>
#include <algorithm>

namespace platform {
namespace {

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
    choice.reason = silent;
    return choice;
}

} // namespace platform
