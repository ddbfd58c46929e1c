#include "directory/loginrecords.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace directory {
namespace {

constexpr qsizetype kChunkRecords = 256; // 96 KiB read at a time

bool isLoginOf(const char *record, const QByteArray &user)
{
    std::int16_t type = 0;
    std::memcpy(&type, record + utmp::kTypeOffset, sizeof type);
    if (type != utmp::kUserProcess)
        return false;
    const char *name = record + utmp::kUserOffset;
    // The field holds the name cut to its size, terminated only when shorter.
    const qsizetype length = qsizetype(strnlen(name, std::size_t(utmp::kUserSize)));
    const QByteArray stored = QByteArray::fromRawData(name, length);
    return stored == (user.size() > utmp::kUserSize ? user.left(utmp::kUserSize) : user);
}

qint64 secondsOf(const char *record)
{
    std::uint32_t seconds = 0;
    std::memcpy(&seconds, record + utmp::kSecondsOffset, sizeof seconds);
    return qint64(seconds);
}

// "3 s", "0.5 s".
QString seconds(int ms)
{
    return ms % 1000 == 0 ? QStringLiteral("%1 s").arg(ms / 1000)
                          : QStringLiteral("%1 s").arg(ms / 1000.0, 0, 'g', 4);
}

} // namespace

LoginSearch searchLogins(QIODevice &records, const QByteArray &user, int timeoutMs)
{
    LoginSearch found;
    if (user.isEmpty() || !records.isOpen() || records.isSequential())
        return found;
    const QDeadlineTimer deadline(timeoutMs);
    qint64 end = records.size() / utmp::kRecordSize * utmp::kRecordSize;
    QByteArray chunk;
    while (end > 0) {
        if (deadline.hasExpired()) {
            found.reason =
                QStringLiteral("not searched to the end within %1").arg(seconds(timeoutMs));
            return found;
        }
        const qint64 start = qMax<qint64>(0, end - kChunkRecords * utmp::kRecordSize);
        if (!records.seek(start)) {
            found.reason = records.errorString();
            return found;
        }
        chunk.resize(end - start);
        qint64 got = 0;
        while (got < chunk.size()) {
            const qint64 n = records.read(chunk.data() + got, chunk.size() - got);
            if (n <= 0)
                break;
            got += n;
        }
        // A file that shrank meanwhile: only whole records that were read count.
        const qint64 whole = got / utmp::kRecordSize * utmp::kRecordSize;
        for (qint64 at = whole - utmp::kRecordSize; at >= 0; at -= utmp::kRecordSize) {
            const char *record = chunk.constData() + at;
            if (!isLoginOf(record, user))
                continue;
            if (++found.logins == 2) {
                found.previous = secondsOf(record);
                return found;
            }
        }
        if (got < chunk.size())
            return found;
        end = start;
    }
    return found;
}

LoginSearch searchLogins(const QString &path, const QByteArray &user, int timeoutMs)
{
    LoginSearch found;
    const QFileInfo info(path);
    if (!info.exists()) {
        found.reason = QStringLiteral("no such file");
        return found;
    }
    // A FIFO or a device could block the login.
    if (!info.isFile()) {
        found.reason = QStringLiteral("not a regular file");
        return found;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        found.reason = QStringLiteral("cannot be read (%1)").arg(file.errorString());
        return found;
    }
    return searchLogins(file, user, timeoutMs);
}

std::optional<qint64> previousLoginSeconds(QIODevice &records, const QByteArray &user)
{
    return searchLogins(records, user, std::numeric_limits<int>::max()).previous;
}

} // namespace directory
