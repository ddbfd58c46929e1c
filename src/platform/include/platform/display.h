#pragma once

#include <QString>
#include <functional>

namespace platform {

// Whether a graphical session can be reached, asked without loading any GUI library beyond
// a connection probe. Always true when a Qt platform plugin is chosen explicitly.
bool displayAvailable();

// The probe's steps, apart so that tests can hand in their own connection and clock.
// Connecting to a busy X server fails now and then, so a display that may exist is asked
// again with growing pauses before the probe gives up.
struct DisplayProbe
{
    std::function<bool()> connect;     // one connection attempt
    bool mayExist = true;              // false: one attempt, no retries
    int budgetMs = 5000;               // the pauses between attempts add up to at most this
    std::function<void(int ms)> sleep; // pauses; QThread::msleep when not given
};
bool probeDisplay(const DisplayProbe &probe);

// The socket file of a local X display (":1", ":1.0", "unix:1"); empty for any other name.
QString xSocketPath(const QString &display);

} // namespace platform
