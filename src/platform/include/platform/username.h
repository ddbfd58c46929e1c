#pragma once

#include <QByteArray>

namespace platform {

// The password-database name of the real user id; empty when it has none.
QByteArray realUserName();

} // namespace platform
