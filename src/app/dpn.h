#pragma once

#include "dpnmain.h"

// The program entry: phase one decides without any GUI object; phase two shows the window or
// the error box. Returns the exit code.
int runDaypane(int argc, char **argv, const StartupEnvironment &env);
