#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <optional>

namespace directory {

// The login records file of Linux (utmp format as glibc writes /var/log/wtmp): records of 384
// bytes, the same on every architecture, with 32-bit times. Only the fields read are named.
namespace utmp {
inline constexpr qsizetype kRecordSize = 384;
inline constexpr qsizetype kTypeOffset = 0; // 16-bit
inline constexpr qsizetype kUserOffset = 44;
inline constexpr qsizetype kUserSize = 32;
inline constexpr qsizetype kSecondsOffset = 340; // 32-bit, read as unsigned: good until 2106
inline constexpr std::int16_t kUserProcess = 7;
} // namespace utmp

// The start of the user's login before the newest one, in seconds since 1970 UTC: the records
// are read from the end in bounded chunks until the user's second USER_PROCESS record. A partial
// record at the end is skipped. None when the user has fewer than two such records.
std::optional<qint64> previousLoginSeconds(QIODevice &records, const QByteArray &user);

// The same from a file. A missing file has no previous login and no error; a file that is not
// a regular file or cannot be read sets `error` to the reason.
std::optional<qint64> previousLoginSeconds(const QString &path, const QByteArray &user,
                                           QString *error);

} // namespace directory
