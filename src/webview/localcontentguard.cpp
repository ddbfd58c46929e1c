#include "localcontentguard.h"

namespace {

// Whether `file` lies in the folder of the page `page`, or below it.
bool inFolderOf(const QUrl &page, const QUrl &file)
{
    const QUrl folder = page.adjusted(QUrl::RemoveFilename | QUrl::NormalizePathSegments |
                                      QUrl::RemoveQuery | QUrl::RemoveFragment);
    const QUrl target = file.adjusted(QUrl::NormalizePathSegments);
    return folder.host() == target.host() && !folder.path().isEmpty() &&
           target.path().startsWith(folder.path());
}

} // namespace

bool LocalContentGuard::isLocal(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("file") || scheme == QLatin1String("data") ||
           scheme == QLatin1String("blob") || scheme == QLatin1String("about");
}

void LocalContentGuard::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    const QUrl page = info.firstPartyUrl();
    if (!page.isLocalFile() && !info.initiator().isLocalFile())
        return;
    const QUrl target = info.requestUrl();
    if (target.isLocalFile())
        info.block(page.isLocalFile() && !inFolderOf(page, target));
    else
        info.block(!isLocal(target));
}
