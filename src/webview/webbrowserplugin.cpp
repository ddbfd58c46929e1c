#include "webbrowserplugin.h"

#include "webenginebrowser.h"

#include <QApplication>

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
    return new WebEngineBrowser(parent);
}
