#pragma once

#include "components/controls.h"
#include "framework/webview.h"

#include <QByteArray>

namespace components {

// The window's web browser control: it keeps the description's place, tab order and events,
// and hosts the control that the web browser plugin makes, filling it.
class TWebBrowser : public TWinControl, private webview::IWebBrowserEvents
{
    Q_OBJECT
    Q_PROPERTY(QByteArray ControlData READ ControlData WRITE setControlData)
public:
    // Raises framework::Exception with the plugin's reason when it makes no control.
    TWebBrowser(webview::IWebBrowserFactory &factory, QWidget *parent);
    ~TWebBrowser() override;

    int Navigate(const QString &url);
    int ExecWB(int cmdID, int cmdExecOpt);
    int SetDispatchProperty(int dispId, const QVariant &value);
    QString ErrorText(int code) const;

    // The stored design-time state: kept, not interpreted.
    QByteArray ControlData() const { return m_controlData; }
    void setControlData(const QByteArray &value) { m_controlData = value; }

    webview::IWebBrowser *browser() const { return m_browser; }

signals:
    void OnDownloadBegin(QObject *Sender);
    void OnDownloadComplete(QObject *Sender);
    // A print job that failed after it was accepted.
    void OnPrintFailed(QObject *Sender, int code);
    // Printed: the printer and the job as the print server names them, where known.
    void OnPrintComplete(QObject *Sender, const QString &printer, const QString &job);
    // A load that ended without its page (the pane says why), and the page's process gone.
    void OnNavigateError(QObject *Sender, const QString &url, const QString &reason);
    void OnPageProcessEnded(QObject *Sender, const QString &reason);
    // The page asks for an address in a window of its own, or as a download.
    void OnNewWindow(QObject *Sender, const QString &url);
    void OnFileDownload(QObject *Sender, const QString &url);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void downloadBegin() override;
    void downloadComplete() override;
    void printFailed(int code) override;
    void printComplete(const QString &printer, const QString &job) override;
    void navigateError(const QString &url, const QString &reason) override;
    void pageProcessEnded(const QString &reason) override;
    void newWindow(const QString &url) override;
    void fileDownload(const QString &url) override;

    webview::IWebBrowser *m_browser = nullptr; // a child widget
    QByteArray m_controlData;
};

} // namespace components
