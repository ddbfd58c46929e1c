#include "webbrowserplugin.h"

#include "webenginebrowser.h"

#include <QApplication>
#include <QWebEngineProfile>

void WebBrowserFactory::configure(const webview::WebBrowserSettings &settings)
{
    m_settings = settings;
}

QWebEngineProfile *WebBrowserFactory::profile()
{
    if (m_profile != nullptr)
        return m_profile;
    if (m_settings.keepCookies) {
        // A profile of its own name keeps its cookies under the user's data folder; the cache
        // stays in memory, as nothing else of a page is worth keeping.
        m_profile = new QWebEngineProfile(QStringLiteral("Daypane"), qApp);
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    } else {
        // Off the record: nothing of the page is written at each login.
        m_profile = new QWebEngineProfile(qApp);
    }
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    return m_profile;
}

webview::IWebBrowser *WebBrowserFactory::create(QWidget *parent, QString *error)
{
    QString reason;
    // Without these the engine, loaded from a plugin, crashes at its first view.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        reason = QStringLiteral("The web browser control needs a QApplication");
    else if (!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts))
        reason = QStringLiteral("The web browser control needs Qt::AA_ShareOpenGLContexts set "
                                "before the application object is constructed");
    if (error)
        *error = reason;
    if (!reason.isEmpty())
        return nullptr;
    return new WebEngineBrowser(profile(), parent);
}
