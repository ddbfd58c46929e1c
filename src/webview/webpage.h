#pragma once

#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>

class QAuthenticator;
class QWebEngineCertificateError;
class QWebEngineNewWindowRequest;

// The page of the control: it answers what the page asks of the program (windows, logins, boxes,
// certificates the engine does not know) and keeps its console out of the session log.
class WebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    WebPage(QWebEngineProfile *profile, QObject *parent);

    // How the last load that failed failed: the pane's message.
    struct Failure
    {
        QUrl url;
        QString reason;
    };
    Failure lastFailure() const { return m_failure; }

    // The page asks for `url` as a download (the profile hands the request over to its page).
    void askForDownload(const QUrl &url);

signals:
    // A load began; a load ended, with a page shown (its own, or the one before it when the load
    // gave way) or without one (lastFailure() says why).
    void loadBegan();
    void loadEnded(bool shown);
    // Addresses the page may hand to the default browser (webview::mayHandOver).
    void newWindowAsked(const QString &url);
    void downloadAsked(const QString &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceId) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                          const QString &defaultValue, QString *result) override;

private:
    void newWindowRequest(QWebEngineNewWindowRequest &request);
    void login(const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost);
    void certificate(const QWebEngineCertificateError &error);
    void loading(const QWebEngineLoadingInfo &info);
    // The widget whose window the page's boxes belong to (none before the control exists).
    QWidget *owner() const;
    QString dialogTitle(const QUrl &origin) const;
    // Whether the page at its address may hand `url` over; says why not on standard error.
    bool handOverAllowed(const QUrl &url, const char *what);

    Failure m_failure;
    QUrl m_refusedCertificate; // the address of the last certificate refused
    QString m_refusedReason;
};
