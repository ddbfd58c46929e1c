#pragma once

#include "framework/exception.h"

#include <QString>

namespace framework {

// Decimal, optional sign, leading blanks allowed, signed 32-bit range. Anything else raises
// EConvertError "'%s' is not a valid integer value".
int StrToInt(const QString &text);
// The same without raising: false, and `value` untouched, where StrToInt would raise.
bool TryStrToInt(const QString &text, int &value);

} // namespace framework
