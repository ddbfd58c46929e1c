#include "webbrowserfactory.h"

#include "localcontentguard.h"
#include "pagelog.h"
#include "webpage.h"

#include "framework/startuplog.h"
#include "platform/childoutput.h"

#include <QApplication>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

// What a page shown at login never needs: a second renderer, the engine's fetches behind the
// page's back, the zygote for helpers without a sandbox (the network and GPU work run in the
// process), and the engine's own log, written straight to standard error in lines of its own
// make (a refused certificate alone gives five). The servers that get the login's Kerberos
// ticket, when the configuration names any (the engine offers it to none otherwise). The
// engine reads its switches when the first profile is made; those already in
// QTWEBENGINE_CHROMIUM_FLAGS stay as they are set there.
void addEngineSwitches(const webview::WebBrowserSettings &settings)
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    QList<QByteArray> wanted = {QByteArrayLiteral("--renderer-process-limit=1"),
                                QByteArrayLiteral("--disable-background-networking"),
                                QByteArrayLiteral("--no-unsandboxed-zygote"),
                                QByteArrayLiteral("--log-level=3")};
    // The list was checked to hold names only, so it stays one switch.
    if (!settings.negotiateServers.isEmpty())
        wanted << "--auth-server-allowlist=" + settings.negotiateServers.toLatin1();
    for (const QByteArray &flag : wanted) {
        const QByteArray name = flag.left(flag.indexOf('=') < 0 ? flag.size() : flag.indexOf('='));
        if (!flags.contains(name))
            flags += (flags.isEmpty() ? "" : " ") + flag;
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    // For whoever waits on the program: the engine's own processes do not show them for long.
    qCInfo(framework::lcStartup, "engine switches: %s", flags.constData());
}

} // namespace

WebBrowserFactory::WebBrowserFactory()
{
    pagelog::installMessageFilter();
}

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
    addEngineSwitches(m_settings);
    // The first profile starts the engine's helper processes (the renderers come from them):
    // what they write to standard error reaches the session log only as the log takes it.
    platform::startWithFilteredErrorOutput(
        [this] {
            if (m_settings.keepProfile) {
                // A profile of its own name keeps what its pages store (cookies, storage,
                // service workers, history) under the user's data folder; the cache stays in
                // memory.
                m_profile = new QWebEngineProfile(QStringLiteral("Daypane"), qApp);
                m_profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
            } else {
                // Off the record: nothing of the page is written at each login.
                m_profile = new QWebEngineProfile(qApp);
            }
        },
        &pagelog::helperLine, int(pagelog::kLineChars) * 4);
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    m_profile->setSpellCheckEnabled(false);
    QWebEngineSettings *settings = m_profile->settings();
    // No viewer or plugin of the engine's own is ever shown in the window.
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    // A failed load shows the pane's own message: the engine's pages mislead (a certificate
    // "temporarily down") and bring their own noise into the log.
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    // Windows only after a click; the page then hands them to the default browser.
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // A local page reaches no web address with its fetches, images and frames (the engine's
    // setting, its default); it may load local files, or not even its own pictures would show,
    // and the guard keeps those to its own folder and stops what the setting leaves open
    // (WebSockets).
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    m_guard = new LocalContentGuard(m_profile);
    m_profile->setUrlRequestInterceptor(m_guard);
    // Every scheme reaches the page's navigation check, which refuses with a line what the
    // engine would otherwise hand to the desktop unasked.
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowAllUnknownUrlSchemes);
    // Nothing is saved here: a download goes to the default browser, from its page.
    connect(m_profile, &QWebEngineProfile::downloadRequested, this,
            [](QWebEngineDownloadRequest *download) {
                const QUrl url = download->url();
                download->cancel();
                if (auto *page = qobject_cast<WebPage *>(download->page()))
                    page->askForDownload(url);
            });
    return m_profile;
}

webview::IWebBrowser *WebBrowserFactory::create(QWidget *parent, QString *why)
{
    QString reason;
    // Without these the engine, loaded from a plugin, crashes at its first view.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        reason = QStringLiteral("The web browser control needs a QApplication");
    else if (!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts))
        reason = QStringLiteral("The web browser control needs Qt::AA_ShareOpenGLContexts set "
                                "before the application object is constructed");
    if (!reason.isEmpty()) {
        if (why != nullptr)
            *why = reason;
        return nullptr;
    }
    auto *browser = new WebEngineBrowser(profile(), std::move(m_preload), parent);
    m_preload = {};
    return browser;
}
