#pragma once

#include "framework/webview.h"

#include <QHash>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <deque>
#include <memory>
#include <optional>

class PaneMessage;
class PrintJobs;
class QPrinter;
class QWebEngineProfile;
class WebPage;

// A page loading before its control exists, and how far it has got.
struct Preload
{
    QPointer<WebPage> page;
    QString address; // as the caller wrote it
    struct State
    {
        bool finished = false;
        bool ok = false;
    };
    std::shared_ptr<State> state;

    // Starts loading `target` in a page of `profile`, held by `holder` until a control takes it.
    static Preload start(QWebEngineProfile *profile, const QString &address, const QUrl &target,
                         QObject *holder);
};

// The web browser control on QtWebEngine: Navigate, ExecWB for printing, a dispatch-property
// write, and the events of the page's loads, its process, its requests and its printing.
class WebEngineBrowser : public QWebEngineView, public webview::IWebBrowser
{
    Q_OBJECT
public:
    // Its page browses with `profile`, which must outlive it; a preloaded page of that profile
    // becomes its page.
    WebEngineBrowser(QWebEngineProfile *profile, Preload preload, QWidget *parent);

    // The address Navigate loads for `url`, or nullopt when it takes none.
    static std::optional<QUrl> targetOf(const QString &url);
    ~WebEngineBrowser() override;

    QWidget *widget() override { return this; }
    void setEvents(webview::IWebBrowserEvents *events) override { m_events = events; }
    int Navigate(const QString &url) override;
    int ExecWB(int cmdID, int cmdExecOpt) override;
    int SetDispatchProperty(int dispId, const QVariant &value) override;
    QString ErrorText(int code) const override;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void adopt(WebPage *page);
    int fail(int code, const QString &description);
    // Queues a job for the default printer, with the print dialog unless `quiet`.
    int queuePrint(bool quiet);
    void startNextPrint();
    void printed(bool ok);
    void printJobEnded(const QString &printer, int job, bool done, const QString &reason);
    void loadEnded(bool shown);
    void processEnded(QWebEnginePage::RenderProcessTerminationStatus status);
    void reloadAfterMessage();

    webview::IWebBrowserEvents *m_events = nullptr;
    WebPage *m_page = nullptr;
    bool m_loading = false;
    QUrl m_messageUrl; // the address the pane's message offers to load again
    PaneMessage *m_message = nullptr;
    Preload m_preload; // until the first navigation to its address
    QHash<int, QString> m_descriptions;
    // A job's printer; one for the printer itself (not a file the print dialog chose) writes
    // the engine's output to `document`, which then goes to the print server.
    struct PrintRequest
    {
        std::unique_ptr<QPrinter> printer;
        QString document;
    };
    std::deque<PrintRequest> m_printQueue;
    PrintRequest m_printing;
    PrintJobs *m_printJobs = nullptr; // made with the first job that goes to the print server
};
