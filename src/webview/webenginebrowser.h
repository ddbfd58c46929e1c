#pragma once

#include "framework/webbrowser.h"

#include <QHash>
#include <QWebEngineView>
#include <deque>
#include <memory>

class QPrinter;
class QWebEngineProfile;

// The web browser control on QtWebEngine: Navigate, ExecWB for printing, a dispatch-property
// write, download events.
class WebEngineBrowser : public QWebEngineView, public webview::IWebBrowser
{
    Q_OBJECT
public:
    // Its page browses with `profile`, which must outlive it.
    WebEngineBrowser(QWebEngineProfile *profile, QWidget *parent);
    ~WebEngineBrowser() override;

    QWidget *widget() override { return this; }
    void setEvents(webview::IWebBrowserEvents *events) override { m_events = events; }
    int Navigate(const QString &url) override;
    int ExecWB(int cmdID, int cmdExecOpt) override;
    int SetDispatchProperty(int dispId, const QVariant &value) override;
    QString ErrorText(int code) const override;

private:
    int fail(int code, const QString &description);
    void startNextPrint();

    webview::IWebBrowserEvents *m_events = nullptr;
    bool m_loading = false;
    QHash<int, QString> m_descriptions;
    std::deque<std::unique_ptr<QPrinter>> m_printQueue;
    std::unique_ptr<QPrinter> m_printing;
};
