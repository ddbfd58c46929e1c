#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <limits>
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

// What the records tell of the user's logins.
struct LoginSearch
{
    std::optional<qint64> previous; // the login before the newest, in seconds since 1970 UTC
    int logins = 0;                 // the user's USER_PROCESS records found, counted up to two
    QString reason;                 // why the records could not be searched to the end
};

// The start of the user's login before the newest one: the records are read from the end in
// bounded chunks until the user's second USER_PROCESS record. A partial record at the end is
// skipped. The search gives up when `timeoutMs` has passed (a huge file, a slow disk), with an
// error that says so.
LoginSearch searchLogins(QIODevice &records, const QByteArray &user, int timeoutMs);

// The same from a file. A file that is missing, not a regular file or cannot be read gives an
// error that says which.
LoginSearch searchLogins(const QString &path, const QByteArray &user, int timeoutMs);

// The previous login alone, searched without a time limit: none when there is none or the
// records cannot be read.
std::optional<qint64> previousLoginSeconds(QIODevice &records, const QByteArray &user);

} // namespace directory
