#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace nw {

// Removes trailing characters 0, 1, 2 and blanks, then leading blanks.
QString TrimBlanks(const QString &text);

// Seconds since 1970 (UTC) as a date-time value, still UTC. The directory's time is an unsigned
// 32-bit count, good until February 2106; read as signed it would wrap to 1901 in 2038.
double NDSTimeToDateTime(std::uint32_t seconds);

// A last-error cell as text: upper-case hexadecimal, at least four digits.
QString ErrorText(std::uint32_t cell);

// Upper-cases the ASCII letters only, as the client compares names.
QString UpperAscii(const QString &text);

// Copies text into a fixed buffer, cut to size - 1 bytes and zero-filled behind.
void PutText(char *buffer, std::size_t size, const QString &text);

// The text a client left in a fixed buffer, terminated at its last byte first so that a
// client that filled it completely cannot make us read past it.
QString TakeText(char *buffer, std::size_t size);

} // namespace nw
