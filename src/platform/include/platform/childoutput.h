#pragma once

#include <QByteArray>
#include <functional>
#include <optional>

namespace platform {

// What to write for one line (without its line end) that a child process wrote to its standard
// error; nothing drops the line.
using ErrorLineFilter = std::function<std::optional<QByteArray>(const QByteArray &line)>;

// Runs `start` with the program's standard error led into a pipe, so that the processes it
// starts, and their children, write there for as long as they live; a thread of its own passes
// each line on to the program's standard error through `filter`. A line longer than
// `maxLineBytes` is passed on cut there, its rest dropped. When `start` returns, the program's
// own standard error is as before (what it wrote meanwhile went through `filter` too). Without
// a pipe, `start` runs as it is.
void startWithFilteredErrorOutput(const std::function<void()> &start, ErrorLineFilter filter,
                                  int maxLineBytes);

} // namespace platform
