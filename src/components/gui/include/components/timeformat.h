#pragma once

#include <QChar>
#include <QString>

namespace components {

// The workstation's time separator, from the system locale's time format.
QChar systemTimeSeparator();

// Formats a date-time value (days since 30 December 1899) by a pattern: "h"/"hh" hour of the
// day, "n"/"nn" minutes (also "m"/"mm" right after an hour), "s"/"ss" seconds, "z"/"zzz"
// milliseconds, "d"/"dd", "m"/"mm", "yy"/"yyyy" the date, ":" the time separator, "/" the
// date separator, text in quotes as it stands. Other characters are copied.
QString FormatDateTime(const QString &pattern, double value, QChar timeSeparator,
                       QChar dateSeparator = QLatin1Char('/'));

} // namespace components
