#pragma once

#include "platform/module.h"

#include <QString>

class TForm1Core;

// Phase two of start-up lives in a module of its own, loaded only when a window or an error
// box is due, so the path that ends never maps the GUI libraries.
inline constexpr char kPhaseTwoModule[] = "libdaypane-gui.so";
inline constexpr char kPhaseTwoEntry[] = "daypane_phase_two";
// Raised whenever PhaseTwoCall or the entry's meaning change.
inline constexpr platform::ModuleInterface kPhaseTwoInterface{"window module", 1};

// The last line on standard error when no display can be reached for the window or the box,
// with the reason when there is more to say than that there is none.
inline QString noDisplayLine(bool forError, const QString &why = QString())
{
    QString line = QStringLiteral("ldpn: cannot open a display to show the %1")
                       .arg(forError ? QStringLiteral("error") : QStringLiteral("window"));
    if (!why.isEmpty())
        line += QStringLiteral(": ") + why;
    return line;
}

// What phase one hands to phase two: plain data, the same to both sides whatever their build.
struct PhaseTwoCall
{
    int argc = 0;
    char **argv = nullptr;
    TForm1Core *core = nullptr;  // the decision, taken over by phase two; null if not made
    const char *error = nullptr; // the decision's error in UTF-8; empty when the window is due
};

// Shows the window for the call's core (when its error is empty) or the error box, runs the
// loop and returns the exit code.
using PhaseTwoFunction = int(const PhaseTwoCall *call);
extern "C" int daypane_phase_two(const PhaseTwoCall *call);
