#include "platform/shellopen.h"

#include <QFileInfo>
#include <QProcess>

namespace platform {

bool shellOpen(const QString &file, const QString &workingDirectory, int /*showCommand*/)
{
    // Detached, so the opener outlives this program and is never waited for; the address is
    // one argument of xdg-open and no shell sees it.
    const bool useDir = !workingDirectory.isEmpty() && QFileInfo(workingDirectory).isDir();
    return QProcess::startDetached(QStringLiteral("xdg-open"), {file},
                                   useDir ? workingDirectory : QString());
}

} // namespace platform
