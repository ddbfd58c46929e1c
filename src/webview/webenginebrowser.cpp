#include "webenginebrowser.h"

#include "framework/usertext.h"

#include <QDir>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QUrl>
#include <QWebEnginePage>

Preload Preload::start(QWebEngineProfile *profile, const QString &address, const QUrl &target,
                       QObject *holder)
{
    Preload preload;
    preload.page = new QWebEnginePage(profile, holder);
    preload.address = address;
    preload.finished = std::make_shared<bool>(false);
    QObject::connect(preload.page, &QWebEnginePage::loadFinished, preload.page,
                     [finished = preload.finished](bool) { *finished = true; });
    preload.page->load(target);
    return preload;
}

WebEngineBrowser::WebEngineBrowser(QWebEngineProfile *profile, Preload preload, QWidget *parent)
    : QWebEngineView(parent), m_preload(std::move(preload))
{
    if (m_preload.page != nullptr) {
        m_preload.page->setParent(this);
        setPage(m_preload.page);
    } else {
        setPage(new QWebEnginePage(profile, this));
    }
    // Every page load is one download: begin at its start, complete at its end. The preloaded
    // load is reported when the window navigates to it, so the lamps follow the window.
    connect(this, &QWebEngineView::loadStarted, this, [this] {
        if (m_preload.page != nullptr)
            return;
        m_loading = true;
        if (m_events)
            m_events->downloadBegin();
    });
    connect(this, &QWebEngineView::loadFinished, this, [this](bool) {
        if (m_preload.page != nullptr || !m_loading)
            return;
        m_loading = false;
        if (m_events)
            m_events->downloadComplete();
    });
    connect(this, &QWebEngineView::printFinished, this, [this](bool ok) {
        if (!ok) {
            const int code =
                fail(webview::kFail, QStringLiteral("The page could not be printed on %1")
                                         .arg(m_printing ? m_printing->printerName() : QString()));
            if (m_events)
                m_events->printFailed(code);
        }
        m_printing.reset();
        startNextPrint();
    });
}

WebEngineBrowser::~WebEngineBrowser() = default;

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
        const bool finished = *m_preload.finished;
        m_preload = {};
        if (same) {
            // The page is (being) loaded already: report its download as if it began now.
            m_loading = true;
            if (m_events)
                m_events->downloadBegin();
            if (finished) {
                m_loading = false;
                if (m_events)
                    m_events->downloadComplete();
            }
            return webview::kOk;
        }
    }
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

    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        return fail(webview::kNoDefaultPrinter,
                    QStringLiteral("No default printer is set up, so the page cannot be printed"));
    auto job = std::make_unique<QPrinter>(printer, QPrinter::HighResolution);
    job->setDocName(title().isEmpty() ? url().toString() : title());
    if (cmdExecOpt != webview::OLECMDEXECOPT_DONTPROMPTUSER) {
        QPrintDialog dialog(job.get(), this);
        if (dialog.exec() != QDialog::Accepted)
            return webview::kOk; // the user cancelled: nothing to report
    }
    // The engine prints one job at a time; later requests wait their turn.
    m_printQueue.push_back(std::move(job));
    startNextPrint();
    return webview::kOk;
}

void WebEngineBrowser::startNextPrint()
{
    if (m_printing || m_printQueue.empty())
        return;
    m_printing = std::move(m_printQueue.front());
    m_printQueue.pop_front();
    print(m_printing.get());
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
