#pragma once

// The web browser control's contract: the window drives the control through these interfaces;
// a plugin that links the web engine implements them. Including this pulls in nothing of the
// engine, so the program loads the plugin only when a window is to be shown.

#include <QCoreApplication>
#include <QDir>
#include <QObject>
#include <QPluginLoader>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QtPlugin>

class QWidget;

// The plugin's identity, checked by the loader; Q_PLUGIN_METADATA takes it by this name.
#define DAYPANE_WEBBROWSER_FACTORY_IID "org.daypane.WebBrowserFactory/4"

namespace webview {

inline constexpr char kPluginBaseName[] = "daypane_webview";

inline constexpr int OLECMDID_PRINT = 6;
inline constexpr int OLECMDEXECOPT_DODEFAULT = 0;
inline constexpr int OLECMDEXECOPT_PROMPTUSER = 1;
inline constexpr int OLECMDEXECOPT_DONTPROMPTUSER = 2;
inline constexpr int DISPID_VISIBLE = 402;

// Result codes as the control's automation interface gives them: 0 is success, failures
// have the top bit set. (Named apart from the platform's macros of the same values.)
inline constexpr int kOk = 0;
inline constexpr int kFail = int(0x80004005u);                // E_FAIL
inline constexpr int kInvalidArgument = int(0x80070057u);     // E_INVALIDARG
inline constexpr int kCommandNotSupported = int(0x80040100u); // OLECMDERR_E_NOTSUPPORTED
inline constexpr int kMemberNotFound = int(0x80020003u);      // DISP_E_MEMBERNOTFOUND
inline constexpr int kTypeMismatch = int(0x80020005u);        // DISP_E_TYPEMISMATCH
inline constexpr int kNoDefaultPrinter = int(0x80070709u);    // ERROR_INVALID_PRINTER_NAME

inline bool failed(int result)
{
    return result < 0;
}

// What the control reports to the window that hosts it. Each report is plain data, so that a
// host may record it as it is.
class IWebBrowserEvents
{
public:
    virtual void downloadBegin() = 0;
    // The download that began ended with the page shown.
    virtual void downloadComplete() = 0;
    // The download that began ended without a page: the engine could not load `url`, or its
    // server's certificate was refused. Reported instead of downloadComplete; the pane says why
    // and offers to load the page again.
    virtual void navigateError(const QString &url, const QString &reason) = 0;
    // The page's process ended (crashed, killed, out of memory): nothing is shown any more, and
    // the pane says so and offers to load the page again.
    virtual void pageProcessEnded(const QString &reason) = 0;
    // The page asks for `url` in a window of its own (a link or a script after a click, the
    // context menu) or as a download. Only addresses that the page may hand over arrive here
    // (see mayHandOver); the host gives them to the default browser.
    virtual void newWindow(const QString &url) = 0;
    virtual void fileDownload(const QString &url) = 0;
    // A print job, of Print or of the page's own window.print(), was printed: the print
    // server's printer and job ("Office-2-17"), both empty for a file the print dialog chose.
    virtual void printComplete(const QString &printer, const QString &job) = 0;
    // A print job that failed after it was accepted, or the page's own window.print() that
    // could not start; ErrorText(code) describes it.
    virtual void printFailed(int code) = 0;

protected:
    ~IWebBrowserEvents() = default;
};

// The control: a widget driven the way the window drives its platform control.
class IWebBrowser
{
public:
    virtual ~IWebBrowser() = default;
    virtual QWidget *widget() = 0;
    // Null stops the reports; the events object must outlive the control or be reset.
    virtual void setEvents(IWebBrowserEvents *events) = 0;
    virtual int Navigate(const QString &url) = 0;
    virtual int ExecWB(int cmdID, int cmdExecOpt) = 0;
    virtual int SetDispatchProperty(int dispId, const QVariant &value) = 0;
    // The text of a failure code: the control's description, else the platform's message,
    // else "OLE error %.8x".
    virtual QString ErrorText(int code) const = 0;
};

// How the controls of one run browse.
struct WebBrowserSettings
{
    // The engine's profile (cookies, storage, service workers, history) kept from one run to
    // the next; otherwise nothing of the pages is written.
    bool keepProfile = false;
    // The servers the login's Kerberos ticket is offered to (Negotiate), as the engine's
    // allow-list takes them: names with wildcards, separated by commas. Empty: none.
    QString negotiateServers;
};

// Whether a page at `pageUrl` may hand `url` to the default browser: a web page (http, https)
// web addresses, a local page (file) local ones. Everything else stays refused: the page's own
// schemes of other programs (vnc:, ssh:), and crossings between web and local content.
inline bool mayHandOver(const QUrl &pageUrl, const QUrl &url)
{
    const QString page = pageUrl.scheme().toLower();
    const QString target = url.scheme().toLower();
    if (page == QLatin1String("file"))
        return target == QLatin1String("file");
    const bool web = page == QLatin1String("http") || page == QLatin1String("https");
    return web && (target == QLatin1String("http") || target == QLatin1String("https")) &&
           !url.host().isEmpty();
}

// The plugin's root object.
class IWebBrowserFactory
{
public:
    virtual ~IWebBrowserFactory() = default;
    // Takes effect for the controls created after it; call it before the first.
    virtual void configure(const WebBrowserSettings &settings) = 0;
    // Starts loading `url` in the page of the next control, so the engine works while the
    // window is built. That control reports the download, in order, when it is asked to
    // navigate to the same address; an address it cannot take is left to that navigation.
    virtual void preload(const QString &url) = 0;
    // A control inside `parent` (owned by it), or nullptr with the reason in `why`.
    virtual IWebBrowser *create(QWidget *parent, QString *why) = 0;
};

// Where the program looks for the plugin: <directory of the executable>/../lib/daypane.
inline QString defaultPluginDirectory()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../lib/daypane"));
}

} // namespace webview

Q_DECLARE_INTERFACE(webview::IWebBrowserFactory, DAYPANE_WEBBROWSER_FACTORY_IID)

namespace webview {

// Loads the plugin from `directory` and returns its factory, or nullptr with the reason.
// The loader stays loaded for the rest of the process, as the web engine cannot be unloaded.
inline IWebBrowserFactory *loadWebBrowserFactory(const QString &directory, QString *why = nullptr)
{
    auto *loader = new QPluginLoader(QDir(directory).filePath(QString::fromLatin1(kPluginBaseName)),
                                     QCoreApplication::instance());
    QObject *root = loader->instance();
    IWebBrowserFactory *factory = qobject_cast<IWebBrowserFactory *>(root);
    QString reason;
    if (root == nullptr) {
        // Qt's reason alone ("The shared library was not found.") would not say which file.
        const QString file =
            !loader->fileName().isEmpty()
                ? loader->fileName()
                : QDir::cleanPath(QDir(directory).filePath(
                      QStringLiteral("lib%1.so").arg(QLatin1String(kPluginBaseName))));
        reason = QStringLiteral("Cannot load the web view plugin %1: %2")
                     .arg(QDir::toNativeSeparators(file), loader->errorString());
    } else if (factory == nullptr)
        reason = QStringLiteral("%1 is not the web browser plugin").arg(loader->fileName());
    if (why != nullptr)
        *why = reason;
    return factory;
}

} // namespace webview
