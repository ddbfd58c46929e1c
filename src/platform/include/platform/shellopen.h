#pragma once

#include <QString>

namespace platform {

inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

// Hands `file` to the desktop's default handler, as one argument and never through a shell.
// A working directory that does not exist is not used. Returns false when nothing was started.
bool shellOpen(const QString &file, const QString &workingDirectory, int showCommand);

} // namespace platform
