#pragma once

// What the program needs to drive the web browser control without including QtWebEngine:
// the plugin's identity, the command and property codes, the result codes and the loader.
// The control itself lives in a plugin that is loaded only when a window is to be shown.

#include <QCoreApplication>
#include <QDir>
#include <QObject>
#include <QPluginLoader>
#include <QString>
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

} // namespace webview
