#pragma once

#include "framework/webbrowser.h"

#include <QObject>

// The plugin's root object: makes the web browser controls.
class WebBrowserFactory : public QObject, public webview::IWebBrowserFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID DAYPANE_WEBBROWSER_FACTORY_IID)
    Q_INTERFACES(webview::IWebBrowserFactory)
public:
    webview::IWebBrowser *create(QWidget *parent, QString *error) override;
};
