#include "webbrowserplugin.h"

#include "TWebBrowser.h"

#include <QApplication>

QWidget *TWebBrowserFactory::create(QWidget *parent)
{
    // Without these the engine, loaded from a plugin, crashes at its first view.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        m_error = QStringLiteral("The web browser control needs a QApplication");
        return nullptr;
    }
    if (!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts)) {
        m_error = QStringLiteral("The web browser control needs Qt::AA_ShareOpenGLContexts set "
                                 "before the application object is constructed");
        return nullptr;
    }
    m_error.clear();
    return new TWebBrowser(parent);
}
