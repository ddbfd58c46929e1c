#include "webpage.h"

#include "certificatecheck.h"
#include "framework/usertext.h"
#include "framework/webview.h"
#include "localcontentguard.h"
#include "pagedialogs.h"
#include "pagelog.h"

#include <QAuthenticator>
#include <QWebEngineCertificateError>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>

namespace {

// How much of an address a line or a box repeats.
constexpr qsizetype kAddressChars = 200;

QString shownAddress(const QUrl &url)
{
    return framework::echoUserText(url.toDisplayString(), kAddressChars);
}

// The server as a box or a line names it: its host, and its port when the address gives one.
QString serverOf(const QUrl &url)
{
    const QString host = framework::echoUserText(url.host(), kAddressChars);
    return url.port() < 0 ? host : QStringLiteral("%1:%2").arg(host).arg(url.port());
}

// What the pane can show itself; every other scheme belongs to another program.
bool shownInThePane(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           LocalContentGuard::isLocal(url);
}

} // namespace

WebPage::WebPage(QWebEngineProfile *profile, QObject *parent) : QWebEnginePage(profile, parent)
{
    connect(this, &QWebEnginePage::newWindowRequested, this, &WebPage::newWindowRequest);
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [this](const QUrl &url, QAuthenticator *authenticator) {
                login(url, authenticator, QString());
            });
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this, &WebPage::login);
    connect(this, &QWebEnginePage::certificateError, this, &WebPage::certificate);
    connect(this, &QWebEnginePage::loadingChanged, this, &WebPage::loading);
}

QWidget *WebPage::owner() const
{
    return QWebEngineView::forPage(this);
}

QString WebPage::dialogTitle(const QUrl &origin) const
{
    if (origin.host().isEmpty())
        return QStringLiteral("The page says");
    return QStringLiteral("%1 says").arg(serverOf(origin));
}

bool WebPage::handOverAllowed(const QUrl &url, const char *what)
{
    if (webview::mayHandOver(this->url(), url))
        return true;
    pagelog::refusal(QStringLiteral("the page %1 asked to open %2 (%3); refused: a web page hands "
                                    "only http and https addresses to the browser, a local page "
                                    "only file addresses")
                         .arg(shownAddress(this->url()), shownAddress(url), QLatin1String(what)));
    return false;
}

void WebPage::newWindowRequest(QWebEngineNewWindowRequest &request)
{
    // Left unopened, the request gives the page no window. A script without the user's click
    // never gets here: the engine blocks it (JavascriptCanOpenWindows is off).
    if (!request.isUserInitiated())
        return;
    if (handOverAllowed(request.requestedUrl(), "a new window"))
        emit newWindowAsked(request.requestedUrl().toString(QUrl::FullyEncoded));
}

void WebPage::askForDownload(const QUrl &url)
{
    if (handOverAllowed(url, "a download"))
        emit downloadAsked(url.toString(QUrl::FullyEncoded));
}

bool WebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (!shownInThePane(url)) {
        // The engine would hand it to the desktop itself: vnc:, ssh:, mailto: and the like.
        pagelog::refusal(QStringLiteral("the page %1 asked to open %2; refused: only http, https "
                                        "and file addresses are opened")
                             .arg(shownAddress(this->url()), shownAddress(url)));
        return false;
    }
    // A local page reaches no network, not by leaving for a web address either. The program's
    // own navigations (typed, reloads) go where they are told.
    if (type != NavigationTypeTyped && type != NavigationTypeReload && this->url().isLocalFile() &&
        !LocalContentGuard::isLocal(url)) {
        pagelog::refusal(
            QStringLiteral("the local page %1 asked to open %2; refused: a local page stays off "
                           "the network")
                .arg(shownAddress(this->url()), shownAddress(url)));
        return false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void WebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                       int lineNumber, const QString &sourceId)
{
    pagelog::consoleMessage(level, message, lineNumber, sourceId);
}

void WebPage::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    pagedialogs::alert(owner(), dialogTitle(securityOrigin), msg);
}

bool WebPage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    return pagedialogs::confirm(owner(), dialogTitle(securityOrigin), msg);
}

bool WebPage::javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                               const QString &defaultValue, QString *result)
{
    const std::optional<QString> answer =
        pagedialogs::prompt(owner(), dialogTitle(securityOrigin), msg, defaultValue);
    if (answer && result != nullptr)
        *result = *answer;
    return answer.has_value();
}

void WebPage::login(const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost)
{
    const bool proxy = !proxyHost.isEmpty();
    const QString who = proxy ? framework::echoUserText(proxyHost, kAddressChars) : serverOf(url);
    const std::optional<pagedialogs::Credentials> credentials =
        pagedialogs::login(owner(), who, authenticator->realm(), proxy);
    if (!credentials) {
        // A null authenticator cancels: the engine shows the server's own answer.
        *authenticator = QAuthenticator();
        return;
    }
    authenticator->setUser(credentials->user);
    authenticator->setPassword(credentials->password);
}

void WebPage::certificate(const QWebEngineCertificateError &error)
{
    QWebEngineCertificateError answer = error;
    QString why = error.description();
    if (error.type() == QWebEngineCertificateError::CertificateAuthorityInvalid &&
        error.isOverridable()) {
        // The engine knows only its own store; the system's may know the site's authority.
        if (trustedBySystem(error.certificateChain(), error.url().host(), &why)) {
            answer.acceptCertificate();
            return;
        }
    }
    answer.rejectCertificate();
    m_refusedCertificate = error.url();
    m_refusedReason = framework::echoUserText(why, kAddressChars);
    pagelog::refusal(QStringLiteral("page %1: the certificate of %2 is not trusted (%3)")
                         .arg(shownAddress(error.url()), serverOf(error.url()), m_refusedReason));
}

void WebPage::loading(const QWebEngineLoadingInfo &info)
{
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        m_failure = {};
        emit loadBegan();
        return;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        emit loadEnded(true);
        return;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        // Stopped for another load, which reports itself.
        emit loadEnded(true);
        return;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        break;
    }
    m_failure = {};
    m_failure.url = info.url();
    // An HTTP error status still brings the server's own page (a login cancelled, "not found");
    // net::ERR_ABORTED leaves the page as it was: the load gave way to another, or became a
    // download.
    const bool shown = info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain ||
                       (info.errorDomain() == QWebEngineLoadingInfo::InternalErrorDomain &&
                        info.errorCode() == -3);
    const bool certificate =
        info.errorDomain() == QWebEngineLoadingInfo::CertificateErrorDomain ||
        (m_refusedCertificate.isValid() && m_refusedCertificate.host() == info.url().host() &&
         m_refusedCertificate.port() == info.url().port());
    if (certificate)
        m_failure.reason =
            QStringLiteral("The certificate of %1 is not trusted (%2), so its page "
                           "is not shown.")
                .arg(serverOf(info.url()), m_refusedReason.isEmpty()
                                               ? framework::echoUserText(info.errorString(), 200)
                                               : m_refusedReason);
    else
        m_failure.reason =
            QStringLiteral("The page %1 could not be loaded: %2.")
                .arg(shownAddress(info.url()), framework::echoUserText(info.errorString(), 200));
    m_refusedCertificate.clear();
    emit loadEnded(shown);
}
