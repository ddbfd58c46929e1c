#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Input/output error codes with the numbers the day-stamp messages are keyed by.
inline constexpr int kIoFileNotFound = 2;
inline constexpr int kIoInvalidFilename = 3;
inline constexpr int kIoTooManyOpenFiles = 4;
inline constexpr int kIoAccessDenied = 5;
inline constexpr int kIoDiskFull = 101;

// True for an existing file that is not a folder.
bool fileExists(const QString &path);

struct FirstLine
{
    int error = 0;          // 0, or an input/output error code
    QByteArray text;        // the characters before the first CR or LF
    bool truncated = false; // the line was longer than the limit and was cut there
};

// Reads at most `limit` bytes of the first line, so a huge file cannot exhaust memory.
FirstLine readFirstLine(const QString &path, qsizetype limit);

// Replaces the file's content atomically: a temporary file beside it, flushed, then renamed.
// Returns 0 or an input/output error code.
int replaceFile(const QString &path, const QByteArray &content);

// Maps a system error number to the input/output error code.
int ioErrorFromErrno(int err, bool creating);

} // namespace platform
