#include "webenginebrowser.h"

#include "framework/usertext.h"
#include "panemessage.h"
#include "printjobs.h"
#include "webpage.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include <QUrl>

Preload Preload::start(QWebEngineProfile *profile, const QString &address, const QUrl &target,
                       QObject *holder)
{
    Preload preload;
    preload.page = new WebPage(profile, holder);
    preload.address = address;
    preload.state = std::make_shared<State>();
    QObject::connect(preload.page, &WebPage::loadEnded, preload.page,
                     [state = preload.state](bool shown) {
                         state->finished = true;
                         state->ok = shown;
                     });
    preload.page->load(target);
    return preload;
}

WebEngineBrowser::WebEngineBrowser(QWebEngineProfile *profile, Preload preload, QWidget *parent)
    : QWebEngineView(parent), m_preload(std::move(preload))
{
    if (m_preload.page != nullptr) {
        m_preload.page->setParent(this);
        adopt(m_preload.page);
    } else {
        adopt(new WebPage(profile, this));
    }
    m_message = new PaneMessage(this);
    connect(m_message, &PaneMessage::reloadClicked, this, &WebEngineBrowser::reloadAfterMessage);
    // Every page load is one download: begin at its start, complete (or fail) at its end. The
    // preloaded load is reported when the window navigates to it, so the lamps follow the
    // window.
    connect(this, &QWebEngineView::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                processEnded(status);
            });
    // The page's own window.print() prints as the Print button does.
    connect(this, &QWebEngineView::printRequested, this, [this] {
        const int result = queuePrint(true);
        if (webview::failed(result) && m_events)
            m_events->printFailed(result);
    });
    connect(this, &QWebEngineView::printFinished, this, &WebEngineBrowser::printed);
}

WebEngineBrowser::~WebEngineBrowser()
{
    // The base class still tears the page down after this: nothing it reports may reach the
    // part of the control that is gone.
    disconnect(this, nullptr, this, nullptr);
    if (m_page != nullptr)
        disconnect(m_page, nullptr, this, nullptr);
    // Documents the print server never got.
    if (!m_printing.document.isEmpty())
        QFile::remove(m_printing.document);
    for (const PrintRequest &request : m_printQueue)
        if (!request.document.isEmpty())
            QFile::remove(request.document);
}

void WebEngineBrowser::adopt(WebPage *page)
{
    m_page = page;
    setPage(page);
    connect(page, &WebPage::loadBegan, this, [this] {
        if (m_preload.page != nullptr)
            return;
        m_message->hide();
        m_loading = true;
        if (m_events)
            m_events->downloadBegin();
    });
    connect(page, &WebPage::loadEnded, this, [this](bool shown) {
        if (m_preload.page != nullptr || !m_loading)
            return;
        loadEnded(shown);
    });
    connect(page, &WebPage::newWindowAsked, this, [this](const QString &url) {
        if (m_events)
            m_events->newWindow(url);
    });
    connect(page, &WebPage::downloadAsked, this, [this](const QString &url) {
        if (m_events)
            m_events->fileDownload(url);
    });
}

void WebEngineBrowser::loadEnded(bool shown)
{
    m_loading = false;
    if (shown) {
        if (m_events)
            m_events->downloadComplete();
        return;
    }
    const WebPage::Failure failure = m_page->lastFailure();
    const QUrl url = failure.url.isValid() ? failure.url : this->url();
    const QString reason =
        failure.reason.isEmpty() ? QStringLiteral("The page could not be loaded.") : failure.reason;
    m_messageUrl = url;
    m_message->showText(reason);
    if (m_events)
        m_events->navigateError(url.toString(QUrl::FullyEncoded), reason);
}

void WebEngineBrowser::processEnded(QWebEnginePage::RenderProcessTerminationStatus status)
{
    QString reason;
    switch (status) {
    case QWebEnginePage::NormalTerminationStatus:
        reason = QStringLiteral("its process ended");
        break;
    case QWebEnginePage::AbnormalTerminationStatus:
    case QWebEnginePage::CrashedTerminationStatus:
        reason = QStringLiteral("its process crashed");
        break;
    case QWebEnginePage::KilledTerminationStatus:
        reason = QStringLiteral("its process was killed (out of memory, or by another program)");
        break;
    }
    m_loading = false;
    m_messageUrl = url();
    m_message->showText(QStringLiteral("The page stopped working: %1.").arg(reason));
    if (m_events)
        m_events->pageProcessEnded(reason);
}

void WebEngineBrowser::reloadAfterMessage()
{
    m_message->hide();
    load(m_messageUrl);
}

void WebEngineBrowser::resizeEvent(QResizeEvent *event)
{
    QWebEngineView::resizeEvent(event);
    m_message->setGeometry(rect());
}

void WebEngineBrowser::contextMenuEvent(QContextMenuEvent *event)
{
    // The page's source would open in a window of its own, which the pane has not; what the
    // menu offers besides (links and pages in new windows, saving) goes to the default browser.
    QMenu *menu = createStandardContextMenu();
    menu->removeAction(pageAction(QWebEnginePage::ViewSource));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

int WebEngineBrowser::fail(int code, const QString &description)
{
    m_descriptions.insert(code, description);
    return code;
}

std::optional<QUrl> WebEngineBrowser::targetOf(const QString &url)
{
    const QUrl target = QUrl::fromUserInput(url, QDir::currentPath());
    if (url.trimmed().isEmpty() || !target.isValid())
        return std::nullopt;
    return target;
}

int WebEngineBrowser::Navigate(const QString &url)
{
    const std::optional<QUrl> target = targetOf(url);
    if (!target)
        return fail(
            webview::kInvalidArgument,
            QStringLiteral("The address \"%1\" is not valid").arg(framework::echoUserText(url)));
    if (m_preload.page != nullptr) {
        const bool same = url == m_preload.address;
        const Preload::State state = *m_preload.state;
        m_preload = {};
        if (same) {
            // The page is (being) loaded already: report its download as if it began now.
            m_loading = true;
            if (m_events)
                m_events->downloadBegin();
            if (state.finished)
                loadEnded(state.ok);
            return webview::kOk;
        }
    }
    m_message->hide();
    load(*target);
    return webview::kOk;
}

int WebEngineBrowser::ExecWB(int cmdID, int cmdExecOpt)
{
    if (cmdID != webview::OLECMDID_PRINT)
        return fail(webview::kCommandNotSupported,
                    QStringLiteral("The command %1 is not supported").arg(cmdID));
    if (cmdExecOpt < webview::OLECMDEXECOPT_DODEFAULT ||
        cmdExecOpt > webview::OLECMDEXECOPT_DONTPROMPTUSER)
        return fail(webview::kInvalidArgument,
                    QStringLiteral("The command option %1 is not valid").arg(cmdExecOpt));
    return queuePrint(cmdExecOpt == webview::OLECMDEXECOPT_DONTPROMPTUSER);
}

int WebEngineBrowser::queuePrint(bool quiet)
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        return fail(webview::kNoDefaultPrinter,
                    QStringLiteral("No default printer is set up, so the page cannot be printed"));
    PrintRequest request;
    request.printer = std::make_unique<QPrinter>(printer, QPrinter::HighResolution);
    QPrinter &job = *request.printer;
    job.setDocName(title().isEmpty() ? url().toString() : title());
    if (!quiet) {
        QPrintDialog dialog(&job, this);
        if (dialog.exec() != QDialog::Accepted)
            return webview::kOk; // the user cancelled: nothing to report
    }
    if (job.outputFormat() == QPrinter::NativeFormat && job.outputFileName().isEmpty()) {
        // The printer's own format, into a file of ours (a name without ".pdf" keeps it) that
        // goes to the print server once the engine has written it.
        QTemporaryFile file(
            QDir(QDir::tempPath()).filePath(QStringLiteral("daypane-print-XXXXXX")));
        file.setAutoRemove(false);
        if (!file.open())
            return fail(webview::kFail,
                        QStringLiteral("The page could not be printed: no temporary file (%1)")
                            .arg(file.errorString()));
        request.document = file.fileName();
        job.setOutputFileName(request.document);
    }
    // The engine prints one job at a time; later requests wait their turn.
    m_printQueue.push_back(std::move(request));
    startNextPrint();
    return webview::kOk;
}

void WebEngineBrowser::startNextPrint()
{
    if (m_printing.printer || m_printQueue.empty())
        return;
    m_printing = std::move(m_printQueue.front());
    m_printQueue.pop_front();
    print(m_printing.printer.get());
}

// The engine has written the page for the printer (or could not).
void WebEngineBrowser::printed(bool ok)
{
    const PrintRequest job = std::move(m_printing);
    m_printing = {};
    if (!ok) {
        if (!job.document.isEmpty())
            QFile::remove(job.document);
        const int code =
            fail(webview::kFail, QStringLiteral("The page could not be printed on %1")
                                     .arg(job.printer ? job.printer->printerName() : QString()));
        if (m_events)
            m_events->printFailed(code);
    } else if (!job.document.isEmpty()) {
        if (m_printJobs == nullptr) {
            m_printJobs = new PrintJobs(this);
            connect(m_printJobs, &PrintJobs::ended, this,
                    [this](const QString &printer, int job, bool done, const QString &reason) {
                        printJobEnded(printer, job, done, reason);
                    });
        }
        m_printJobs->submit({job.document, job.printer->printerName(), job.printer->docName(),
                             jobOptionsOf(*job.printer)});
    } else if (m_events) {
        m_events->printComplete({}, {}); // a file the print dialog chose
    }
    startNextPrint();
}

// The print server's last word on a job: printed, refused, or given up by the printer.
void WebEngineBrowser::printJobEnded(const QString &printer, int job, bool done,
                                     const QString &reason)
{
    if (m_events == nullptr)
        return;
    if (done) {
        // Named as the print server names its jobs (lpstat, the server's own log).
        m_events->printComplete(printer, QStringLiteral("%1-%2").arg(printer).arg(job));
        return;
    }
    m_events->printFailed(
        fail(webview::kFail,
             QStringLiteral("The page could not be printed on %1: %2").arg(printer, reason)));
}

int WebEngineBrowser::SetDispatchProperty(int dispId, const QVariant &value)
{
    if (dispId != webview::DISPID_VISIBLE)
        return fail(webview::kMemberNotFound,
                    QStringLiteral("The control has no property %1").arg(dispId));
    if (!value.canConvert<bool>())
        return fail(webview::kTypeMismatch,
                    QStringLiteral("The property Visible takes a Boolean value"));
    // Accepted and not acted on: the control always stays shown in its window.
    return webview::kOk;
}

QString WebEngineBrowser::ErrorText(int code) const
{
    if (const auto it = m_descriptions.constFind(code); it != m_descriptions.cend())
        return *it;
    if (code > 0)
        return qt_error_string(code);
    return QString::asprintf("OLE error %.8x", unsigned(code));
}
