#pragma once

#include <QString>

class TForm1Core;

// Phase two of start-up lives in a module of its own, loaded only when a window or an error
// box is due, so the path that ends never maps the GUI libraries.
inline constexpr const char *kPhaseTwoModule = "libdaypane-window.so";
inline constexpr const char *kPhaseTwoEntry = "daypane_phase_two";

// Shows the window for `core` (when `error` is empty) or the error box, runs the loop and
// returns the exit code. Takes ownership of `core`.
using PhaseTwoEntry = int (*)(int argc, char **argv, TForm1Core *core, const QString &error);

extern "C" int daypane_phase_two(int argc, char **argv, TForm1Core *core, const QString &error);
