#include "directory/loginrecords.h"

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

} // namespace

std::optional<qint64> previousLoginSeconds(QIODevice &records, const QByteArray &user)
{
    if (user.isEmpty() || !records.isOpen() || records.isSequential())
        return std::nullopt;
    qint64 end = records.size() / utmp::kRecordSize * utmp::kRecordSize;
    QByteArray chunk;
    bool newestSeen = false;
    while (end > 0) {
        const qint64 start = qMax<qint64>(0, end - kChunkRecords * utmp::kRecordSize);
        if (!records.seek(start))
            return std::nullopt;
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
            if (newestSeen)
                return secondsOf(record);
            newestSeen = true;
        }
        if (got < chunk.size())
            return std::nullopt;
        end = start;
    }
    return std::nullopt;
}

std::optional<qint64> previousLoginSeconds(const QString &path, const QByteArray &user,
                                           QString *error)
{
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    // A FIFO or a device could block the login.
    if (!info.isFile()) {
        if (error)
            *error = QStringLiteral("not a regular file");
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return previousLoginSeconds(file, user);
}

} // namespace directory
