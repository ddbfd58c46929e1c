#pragma once

// What the program needs to drive the web browser control without including QtWebEngine:
// the plugin's identity, the command and property codes, the result codes and the loader.
// The control itself lives in a plugin that is loaded only when a window is to be shown.

#include <QCoreApplication>
#include <QDir>
#include <QObject>
#include <QPluginLoader>
#include <QString>
#include <QVariant>
#include <QWidget>

namespace webview {

// The plugin's root object is a factory with
//   Q_INVOKABLE QWidget *create(QWidget *parent)   (nullptr on failure, see errorString())
//   Q_INVOKABLE QString errorString()
// The widget it creates (class TWebBrowser) offers
//   Q_INVOKABLE int Navigate(const QString &url)
//   Q_INVOKABLE int ExecWB(int cmdID, int cmdExecOpt)
//   Q_INVOKABLE int SetDispatchProperty(int dispId, const QVariant &value)
//   Q_INVOKABLE QString ErrorText(int code)
// and the signals OnDownloadBegin(QObject *Sender), OnDownloadComplete(QObject *Sender) and
// OnPrintFailed(QObject *Sender, int code) (a print job that failed after it was accepted).
inline constexpr char kFactoryIid[] = "org.daypane.WebBrowserFactory/1";
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

// Where the program looks for the plugin: <directory of the executable>/../lib/daypane.
inline QString defaultPluginDirectory()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../lib/daypane"));
}

// Loads the plugin from `directory` and returns its factory, or nullptr with the reason.
// The loader stays loaded for the rest of the process, as the web engine cannot be unloaded.
inline QObject *loadWebBrowserFactory(const QString &directory, QString *error = nullptr)
{
    auto *loader =
        new QPluginLoader(QDir(directory).filePath(QString::fromLatin1(kPluginBaseName)), qApp);
    QObject *factory = loader->instance();
    QString reason;
    if (!factory) {
        reason = loader->errorString();
    } else if (loader->metaData().value(QLatin1String("IID")).toString() !=
               QLatin1String(kFactoryIid)) {
        reason = QStringLiteral("%1 is not the web browser plugin").arg(loader->fileName());
        factory = nullptr;
    }
    if (error)
        *error = reason;
    return factory;
}

// Asks the factory for a control; nullptr with the factory's reason when it cannot make one.
inline QWidget *createWebBrowser(QObject *factory, QWidget *parent, QString *error = nullptr)
{
    QWidget *browser = nullptr;
    if (!factory || !QMetaObject::invokeMethod(factory, "create", Q_RETURN_ARG(QWidget *, browser),
                                               Q_ARG(QWidget *, parent))) {
        if (error)
            *error = QStringLiteral("The web browser plugin offers no control");
        return nullptr;
    }
    if (!browser && error)
        QMetaObject::invokeMethod(factory, "errorString", Q_RETURN_ARG(QString, *error));
    return browser;
}

// The control's calls by name; a control without the call gives kMemberNotFound.
inline int navigate(QObject *browser, const QString &url)
{
    int result = kMemberNotFound;
    QMetaObject::invokeMethod(browser, "Navigate", Q_RETURN_ARG(int, result), Q_ARG(QString, url));
    return result;
}

inline int execWB(QObject *browser, int cmdID, int cmdExecOpt)
{
    int result = kMemberNotFound;
    QMetaObject::invokeMethod(browser, "ExecWB", Q_RETURN_ARG(int, result), Q_ARG(int, cmdID),
                              Q_ARG(int, cmdExecOpt));
    return result;
}

inline int setDispatchProperty(QObject *browser, int dispId, const QVariant &value)
{
    int result = kMemberNotFound;
    QMetaObject::invokeMethod(browser, "SetDispatchProperty", Q_RETURN_ARG(int, result),
                              Q_ARG(int, dispId), Q_ARG(QVariant, value));
    return result;
}

// The text of a failure code: the control's description, else the platform's message,
// else "OLE error %.8x".
inline QString errorText(QObject *browser, int code)
{
    QString text;
    if (!QMetaObject::invokeMethod(browser, "ErrorText", Q_RETURN_ARG(QString, text),
                                   Q_ARG(int, code)))
        text = QString::asprintf("OLE error %.8x", unsigned(code));
    return text;
}

} // namespace webview
