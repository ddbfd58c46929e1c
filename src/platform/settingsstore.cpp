#include "platform/settingsstore.h"

namespace platform {

QString normalizedKeyPath(const QString &path)
{
    QString p = path;
    while (p.startsWith(QLatin1Char('\\')))
        p.remove(0, 1);
    return p.toLower();
}

} // namespace platform
