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

// Reports an error: one line on standard error, and the error box when a GUI application
// object exists.
void showErrorMessage(const QString &message);

// The information box with the application title (used by components that announce themselves).
void showInformationMessage(const QString &message);

} // namespace framework
