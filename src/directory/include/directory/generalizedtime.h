#pragma once

#include "dates/dates.h"

#include <QByteArrayView>
#include <optional>

namespace directory {

// An LDAP GeneralizedTime (RFC 4517: "20261207081500Z", "20261207091500.5+0100", minutes and
// seconds optional, a fraction of the last unit given) as a UTC date-time value. Without a
// time zone, or with any field out of range, it is no value.
std::optional<dates::TDateTime> parseGeneralizedTime(QByteArrayView text);

// Seconds since 1 January 1970 UTC as a date-time value, for any 64-bit count.
dates::TDateTime unixTimeToDateTime(qint64 seconds);

} // namespace directory
