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

// A system error number that no code of the table stands for travels as kIoSystemError plus
// the number, so it can never be taken for a table code (EIO is 5, like access denied).
inline constexpr int kIoSystemError = 0x10000;

// The system error number a code carries, or 0 for a code of the table.
inline int systemErrorOf(int code)
{
    return code > kIoSystemError ? code - kIoSystemError : 0;
}

// True when anything is at the path (a link counts by its target).
bool pathExists(const QString &path);

struct FirstLine
{
    int error = 0;          // 0, or an input/output error code
    QByteArray text;        // the characters before the first CR or LF
    bool truncated = false; // the line was longer than the limit and was cut there
};

// Reads at most `limit` bytes of the first line, so a huge file cannot exhaust memory. Only a
// regular file is read: a folder, device or pipe is access denied at once, never waited on.
FirstLine readFirstLine(const QString &path, qsizetype limit);

// A file's new content prepared beside it: a temporary file written whole without buffering,
// synced and closed, each step checked. commit() renames it over the file and syncs the folder.
// Until then the old file stays exactly as it was; a failed step, or a replacement dropped
// uncommitted, leaves no temporary file behind. A link is written through to its target; an
// existing file keeps its permissions. Temporary files of earlier writers that were killed on
// the way (ours, older than a minute) are removed.
class FileReplacement
{
public:
    FileReplacement(const QString &path, const QByteArray &content);
    ~FileReplacement();
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;

    // 0, or the input/output error code of the step that failed (a full disk or quota, a
    // file-size limit, an I/O error, a short write).
    int error() const { return m_error; }
    // Puts the new content in place; 0 or an input/output error code.
    int commit();

private:
    int prepare(const QString &path, const QByteArray &content);

    int m_error = 0;
    QByteArray m_finalName;
    QByteArray m_temporaryName; // until committed
    QString m_folder;
};

// Prepares and commits at once. Returns 0 or an input/output error code.
int replaceFile(const QString &path, const QByteArray &content);

// Creates a missing folder and its missing parents with mode 0700, as the XDG rules ask for
// a user's base folder. False when it is not there afterwards.
bool makeUserFolder(const QString &path);

// Maps a system error number to the input/output error code.
int ioErrorFromErrno(int err, bool creating);

} // namespace platform
