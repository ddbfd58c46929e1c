#include "webbrowserplugin.h"

#include <QApplication>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

// What a page shown at login never needs: a second renderer, the engine's fetches behind the
// page's back, and the zygote for helpers without a sandbox (the network and GPU work run in
// the process). The engine reads its switches when the first profile is made.
void addEngineSwitches()
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const QByteArray &flag : {QByteArrayLiteral("--renderer-process-limit=1"),
                                   QByteArrayLiteral("--disable-background-networking"),
                                   QByteArrayLiteral("--no-unsandboxed-zygote")}) {
        const QByteArray name = flag.left(flag.indexOf('=') < 0 ? flag.size() : flag.indexOf('='));
        if (!flags.contains(name))
            flags += (flags.isEmpty() ? "" : " ") + flag;
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

} // namespace

void WebBrowserFactory::configure(const webview::WebBrowserSettings &settings)
{
    m_settings = settings;
}

void WebBrowserFactory::preload(const QString &url)
{
    if (m_preload.page != nullptr || !qobject_cast<QApplication *>(QCoreApplication::instance()) ||
        !QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts))
        return;
    const std::optional<QUrl> target = WebEngineBrowser::targetOf(url);
    if (!target)
        return;
    m_preload = Preload::start(profile(), url, *target, this);
}

QWebEngineProfile *WebBrowserFactory::profile()
{
    if (m_profile != nullptr)
        return m_profile;
    addEngineSwitches();
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
    m_profile->setSpellCheckEnabled(false);
    // No viewer or plugin of the engine's own is ever shown in the window.
    m_profile->settings()->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    m_profile->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
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
    auto *browser = new WebEngineBrowser(profile(), std::move(m_preload), parent);
    m_preload = {};
    return browser;
}
