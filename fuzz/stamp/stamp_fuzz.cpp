// libFuzzer entry: build with -DDAYPANE_FUZZ=ON and clang. Each input is the content of a day
// stamp; it goes through the reader and the number conversion exactly as a login reads it.
#include "framework/strtoint.h"
#include "platform/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdlib>

namespace {

// What the program reads of a stamp: no day number is longer.
constexpr qsizetype kLimit = 64;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

const QString &stampPath()
{
    static const QString path = [] {
        std::atexit([] { QFile::remove(stampPath()); });
        // Memory-backed where there is such a folder: the file is rewritten at every run.
        const QString folder = QDir(QStringLiteral("/dev/shm")).exists()
                                   ? QStringLiteral("/dev/shm")
                                   : QDir::tempPath();
        return folder + QStringLiteral("/daypane-stamp-fuzz-") +
               QString::number(QCoreApplication::applicationPid());
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile file(stampPath());
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(file.write(content) == content.size());
    }
    const platform::FirstLine line = platform::readFirstLine(stampPath(), kLimit);
    check(line.error == 0);
    qsizetype end = 0;
    while (end < content.size() && content[end] != '\r' && content[end] != '\n')
        ++end;
    // The line as it stands in the file, cut at the limit and nowhere else.
    check(line.text == content.left(qMin(end, kLimit)));
    check(line.truncated == (end > kLimit));
    int day = 0;
    const bool isNumber = framework::TryStrToInt(QString::fromLocal8Bit(line.text), day);
    try {
        const int converted = framework::StrToInt(QString::fromLocal8Bit(line.text));
        check(isNumber && converted == day);
    } catch (const framework::Exception &) {
        check(!isNumber);
    }
    return 0;
}
