#include "framework/startuplog.h"

namespace framework {

// Informational lines stay off by default: a login must not fill the session log.
Q_LOGGING_CATEGORY(lcStartup, "daypane.startup", QtWarningMsg)

} // namespace framework
