#pragma once

#include <QLoggingCategory>

namespace framework {

// Start-up milestones, one line each, for whoever waits on the program (a session script, the
// end-to-end tests): "decision: show|end|error" when phase one has decided, "window shown" when
// the window first reaches the screen, "page loaded" when its page has first finished loading.
// Off unless enabled, e.g. by QT_LOGGING_RULES="daypane.startup=true".
Q_DECLARE_LOGGING_CATEGORY(lcStartup)

} // namespace framework
