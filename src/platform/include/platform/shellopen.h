#pragma once

#include <QString>

namespace platform {

inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

// How long the opener has to report a failure. One that is still running by then is taken to
// have started a browser that stays in the foreground, and is left to it.
inline constexpr int kShellOpenWaitMs = 2000;

struct ShellOpenResult
{
    bool opened = false;
    QString reason; // when not opened: why, as a phrase ("xdg-open is not installed")
    explicit operator bool() const { return opened; }
};

// Hands `file` to the desktop's default handler (xdg-open), as one argument and never through a
// shell, in its own session so that it outlives this program. A working directory that does
// not exist is not used. Fails when the opener cannot be started, or ends with a failure status
// or a signal within kShellOpenWaitMs; the program waits no longer than that.
ShellOpenResult shellOpen(const QString &file, const QString &workingDirectory, int showCommand);

} // namespace platform
