#pragma once

#include "framework/webview.h"
#include "webenginebrowser.h"

#include <QObject>

class LocalContentGuard;

// The plugin's root object: makes the web browser controls.
class WebBrowserFactory : public QObject, public webview::IWebBrowserFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID DAYPANE_WEBBROWSER_FACTORY_IID)
    Q_INTERFACES(webview::IWebBrowserFactory)
public:
    WebBrowserFactory();
    void configure(const webview::WebBrowserSettings &settings) override;
    void preload(const QString &url) override;
    webview::IWebBrowser *create(QWidget *parent, QString *why) override;

private:
    // The one profile of the run, made with the first control.
    QWebEngineProfile *profile();

    webview::WebBrowserSettings m_settings;
    QWebEngineProfile *m_profile = nullptr;
    LocalContentGuard *m_guard = nullptr;
    Preload m_preload; // taken by the next control
};
