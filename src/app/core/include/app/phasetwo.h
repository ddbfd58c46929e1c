#pragma once

#include <QString>
#include <memory>

class TForm1Core;

// Phase two of start-up lives in a module of its own, loaded only when a window or an error
// box is due, so the path that ends never maps the GUI libraries.
inline constexpr const char *kPhaseTwoModule = "libdaypane-gui.so";
inline constexpr const char *kPhaseTwoEntry = "daypane_phase_two";

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

// Shows the window for `core` (when `error` is empty) or the error box, runs the loop and
// returns the exit code.
using PhaseTwoEntry = int (*)(int argc, char **argv, std::unique_ptr<TForm1Core> core,
                              const QString &error);

extern "C" int daypane_phase_two(int argc, char **argv, std::unique_ptr<TForm1Core> core,
                                 const QString &error);
