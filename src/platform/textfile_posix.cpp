#include "platform/textfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

int ioErrorFromErrno(int err, bool creating)
{
    switch (err) {
    case ENOENT:
        // Creating a file only fails this way when its folder is missing.
        return creating ? kIoInvalidFilename : kIoFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return kIoInvalidFilename;
    case EMFILE:
    case ENFILE:
        return kIoTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return kIoAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return kIoDiskFull;
    case 0:
        // A failure that left no number behind.
        return kIoAccessDenied;
    default:
        return kIoSystemError + err;
    }
}

bool pathExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

FirstLine readFirstLine(const QString &path, qsizetype limit)
{
    FirstLine result;
    const QByteArray p = QFile::encodeName(path);
    struct stat st
    {
    };
    // A device is not even opened: opening some has effects of its own.
    if (::stat(p.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        result.error = kIoAccessDenied;
        return result;
    }
    // Not blocking: opening a pipe for reading would wait for a writer. The check after the
    // open holds even if the name was replaced in between.
    const int fd = ::open(p.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.error = ioErrorFromErrno(errno, false);
        return result;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result.error = kIoAccessDenied;
        ::close(fd);
        return result;
    }
    char buf[512];
    bool done = false;
    while (!done) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result.error = ioErrorFromErrno(errno, false);
            break;
        }
        if (n == 0)
            break;
        for (ssize_t i = 0; i < n; ++i) {
            if (buf[i] == '\r' || buf[i] == '\n') {
                done = true;
                break;
            }
            if (result.text.size() >= limit) {
                result.truncated = true;
                done = true;
                break;
            }
            result.text.append(buf[i]);
        }
    }
    if (::close(fd) != 0 && result.error == 0)
        result.error = ioErrorFromErrno(errno, false);
    return result;
}

namespace {

// The file a link leads to, followed as QSaveFile follows it, even when it does not exist.
QFileInfo finalTarget(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info;
}

// Our temporary names, the former ones and QSaveFile's alike: the file name, a dot and six
// letters or digits.
bool isTemporaryName(const QString &name, const QString &fileName)
{
    if (name.size() != fileName.size() + 7 || !name.startsWith(fileName) ||
        name.at(fileName.size()) != QLatin1Char('.'))
        return false;
    for (qsizetype i = fileName.size() + 1; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    }
    return true;
}

// A writer killed between creating its temporary file and renaming it leaves the file
// behind. Only our own regular files are removed, and only once no writer can still be at it.
void removeStaleTemporaries(const QFileInfo &target)
{
    constexpr qint64 kStaleSeconds = 60;
    const QString fileName = target.fileName();
    const QDir folder = target.absoluteDir();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QFileInfoList entries =
        folder.entryInfoList({fileName + QStringLiteral(".??????")},
                             QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (!isTemporaryName(entry.fileName(), fileName) || entry.isSymLink() || !entry.isFile())
            continue;
        if (entry.ownerId() != ::geteuid())
            continue;
        if (entry.lastModified().secsTo(now) <= kStaleSeconds)
            continue;
        QFile::remove(entry.filePath());
    }
}

// The rename is only lasting once the folder that holds it is synced.
int syncFolder(const QString &folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return ioErrorFromErrno(errno, true);
    int error = 0;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        error = ioErrorFromErrno(errno, true);
    ::close(fd);
    return error;
}

// A temporary file beside the target with a name of our pattern, created with the plain create
// mode (the process's mask applies, as to any new file). Closed and removed again unless
// renamed into place, so that no failure leaves it behind.
struct TemporaryFile
{
    explicit TemporaryFile(const QByteArray &finalName)
    {
        static constexpr char kLetters[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            QByteArray candidate = finalName + '.';
            for (int i = 0; i < 6; ++i)
                candidate +=
                    kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
            fd = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                        0666);
            if (fd >= 0) {
                name = candidate;
                return;
            }
            if (errno != EEXIST)
                break;
        }
        error = ioErrorFromErrno(errno, true);
    }
    ~TemporaryFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (!name.isEmpty())
            ::unlink(name.constData());
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    int fd = -1;
    QByteArray name;
    int error = 0;
};

// Every byte written, or the reason why not: a short write is followed by the write that names
// the error (ENOSPC, EDQUOT, EFBIG, EIO).
int writeWhole(int fd, const QByteArray &content)
{
    const char *at = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, std::size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ioErrorFromErrno(errno, true);
        }
        if (n == 0)
            return kIoDiskFull; // no progress and no reason: there is no room
        at += n;
        left -= n;
    }
    return 0;
}

// Beyond a file-size limit the system ends the writer with SIGXFSZ unless the signal is
// ignored; the stamp's write is to fail with EFBIG instead, as on a full disk. A disposition
// the program set itself stays.
class FileSizeSignalIgnored
{
public:
    FileSizeSignalIgnored()
    {
        struct sigaction ignore
        {
        };
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        m_changed = ::sigaction(SIGXFSZ, nullptr, &m_old) == 0 && m_old.sa_handler == SIG_DFL &&
                    (m_old.sa_flags & SA_SIGINFO) == 0 &&
                    ::sigaction(SIGXFSZ, &ignore, nullptr) == 0;
    }
    ~FileSizeSignalIgnored()
    {
        if (m_changed)
            ::sigaction(SIGXFSZ, &m_old, nullptr);
    }
    FileSizeSignalIgnored(const FileSizeSignalIgnored &) = delete;
    FileSizeSignalIgnored &operator=(const FileSizeSignalIgnored &) = delete;

private:
    struct sigaction m_old
    {
    };
    bool m_changed = false;
};

} // namespace

FileReplacement::FileReplacement(const QString &path, const QByteArray &content)
{
    m_error = prepare(path, content);
}

FileReplacement::~FileReplacement()
{
    if (!m_temporaryName.isEmpty())
        ::unlink(m_temporaryName.constData());
}

int FileReplacement::prepare(const QString &path, const QByteArray &content)
{
    if (path.isEmpty())
        return kIoInvalidFilename;
    const QFileInfo target = finalTarget(path);
    // Only a regular file is replaced; a folder, device or pipe of that name stays.
    if (target.exists() && !target.isFile())
        return kIoAccessDenied;
    if (target.absoluteDir().exists())
        removeStaleTemporaries(target);

    m_finalName = QFile::encodeName(target.absoluteFilePath());
    m_folder = target.absolutePath();
    struct stat old
    {
    };
    const bool replacing = ::stat(m_finalName.constData(), &old) == 0;
    // A file its owner made read-only stays as it is.
    if (replacing && ::access(m_finalName.constData(), W_OK) != 0)
        return ioErrorFromErrno(errno, true);

    TemporaryFile temporary(m_finalName);
    if (temporary.fd < 0)
        return temporary.error;
    if (replacing && ::fchmod(temporary.fd, old.st_mode & 07777) != 0)
        return ioErrorFromErrno(errno, true);
    {
        const FileSizeSignalIgnored noSignal;
        if (const int error = writeWhole(temporary.fd, content); error != 0)
            return error;
    }
    if (::fsync(temporary.fd) != 0)
        return ioErrorFromErrno(errno, true);
    // Some file systems report a lost write only here; the descriptor is gone either way.
    const int closed = ::close(temporary.fd);
    temporary.fd = -1;
    if (closed != 0)
        return ioErrorFromErrno(errno, true);
    m_temporaryName = std::exchange(temporary.name, QByteArray());
    return 0;
}

int FileReplacement::commit()
{
    if (m_error != 0)
        return m_error;
    if (m_temporaryName.isEmpty())
        return 0; // in place already
    if (::rename(m_temporaryName.constData(), m_finalName.constData()) != 0)
        return ioErrorFromErrno(errno, true);
    m_temporaryName.clear();
    return syncFolder(m_folder);
}

int replaceFile(const QString &path, const QByteArray &content)
{
    FileReplacement replacement(path, content);
    return replacement.commit();
}

bool makeUserFolder(const QString &path)
{
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return false;
    const QString folder = QDir::cleanPath(path);
    QStringList missing;
    for (QString at = folder; !QFileInfo::exists(at);) {
        missing.prepend(at);
        const QString up = QFileInfo(at).path();
        if (up == at)
            break;
        at = up;
    }
    // Level by level: QDir::mkpath cannot give the folders their mode.
    for (const QString &level : std::as_const(missing))
        if (!QDir().mkdir(level, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            break;
    return QFileInfo(folder).isDir();
}

} // namespace platform
