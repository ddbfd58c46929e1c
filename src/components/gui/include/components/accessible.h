#pragma once

#include <QString>

namespace components {

// Makes the controls known to assistive technology (screen readers): their roles, names,
// states, values and press actions. The first control installs it.
void InstallAccessibleFactory();

// A caption as it is read out: without its accelerator mark ("&&" stays one "&"), trimmed.
QString AccessibleText(const QString &caption);

} // namespace components
