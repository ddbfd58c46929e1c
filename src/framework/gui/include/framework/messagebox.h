#pragma once

#include <QString>

namespace framework {

// Reports an error: one line on standard error, and the error box when a GUI application
// object exists.
void showErrorMessage(const QString &message);

// The information box with the application title (used by components that announce themselves).
void showInformationMessage(const QString &message);

} // namespace framework
