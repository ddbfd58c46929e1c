#include "platform/module.h"

#include <QDir>
#include <QFile>
#include <unistd.h>

namespace platform {

QString programModuleFolder()
{
    // The executable itself, not what started it: a login script may call it by a link.
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    QString folder = QStringLiteral(".");
    if (n > 0) {
        buf[n] = '\0';
        const QString path = QFile::decodeName(buf);
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash > 0)
            folder = path.left(slash);
        else if (slash == 0)
            folder = QStringLiteral("/");
    }
    return QDir::cleanPath(folder + QStringLiteral("/../lib/daypane"));
}

} // namespace platform
