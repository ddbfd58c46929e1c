#include "platform/textfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    default:
        return err == 0 ? kIoAccessDenied : err;
    }
}

bool fileExists(const QString &path)
{
    struct stat st
    {
    };
    const QByteArray p = path.toLocal8Bit();
    return !p.isEmpty() && ::stat(p.constData(), &st) == 0 && !S_ISDIR(st.st_mode);
}

FirstLine readFirstLine(const QString &path, qsizetype limit)
{
    FirstLine result;
    const QByteArray p = path.toLocal8Bit();
    const int fd = ::open(p.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.error = ioErrorFromErrno(errno, false);
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

int replaceFile(const QString &path, const QByteArray &content)
{
    const QByteArray target = path.toLocal8Bit();
    QByteArray tmpl = target + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        return ioErrorFromErrno(errno, true);
    int error = 0;
    const char *data = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = ioErrorFromErrno(errno, true);
            break;
        }
        data += n;
        left -= n;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = ioErrorFromErrno(errno, true);
    // The file keeps the permissions a plain create would give it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    if (::close(fd) != 0 && error == 0)
        error = ioErrorFromErrno(errno, true);
    if (error == 0 && ::rename(tmpl.constData(), target.constData()) != 0)
        error = ioErrorFromErrno(errno, true);
    if (error != 0)
        ::unlink(tmpl.constData());
    return error;
}

} // namespace platform
