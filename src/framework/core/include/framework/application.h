#pragma once

#include <QString>

namespace framework {

// The application title names the program and titles every error box. It is kept here so
// it can be set before any GUI object exists.
void setApplicationTitle(const QString &title);
QString applicationTitle();

// The error's text as the box shows it: a full stop added when the last character sorts
// after ".".
QString messageWithFullStop(const QString &message);

} // namespace framework
