#pragma once

#include "framework/webbrowserapi.h"

#include <QObject>
#include <QString>

class QWidget;

// The plugin's root object: makes the web browser controls.
class TWebBrowserFactory : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.daypane.WebBrowserFactory/1")
public:
    Q_INVOKABLE QWidget *create(QWidget *parent);
    Q_INVOKABLE QString errorString() const { return m_error; }

private:
    QString m_error;
};
