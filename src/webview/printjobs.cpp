#include "printjobs.h"

#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QThread>
#include <QTimer>

#include <cups/cups.h>

namespace {

// How often the server is asked how a job is getting on.
constexpr int kPollMs = 500;
// How long the window's end waits for a server that is still being asked.
constexpr unsigned long kEndWaitMs = 3000;

struct JobState
{
    bool known = false; // the server answered
    bool gone = false;  // the server no longer keeps the job
    int state = 0;
    QString message; // the printer's last word on it
};

JobState askServer(int job)
{
    ipp_t *request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/jobs/%d", job);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    static const char *const wanted[] = {"job-state", "job-printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr,
                  wanted);
    ipp_t *response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"); // takes the request
    JobState s;
    const ipp_status_t status = cupsLastError();
    s.gone = status == IPP_STATUS_ERROR_NOT_FOUND;
    if (response != nullptr && status <= IPP_STATUS_OK_CONFLICTING) {
        s.known = true;
        if (ipp_attribute_t *a = ippFindAttribute(response, "job-state", IPP_TAG_ENUM))
            s.state = ippGetInteger(a, 0);
        if (ipp_attribute_t *a =
                ippFindAttribute(response, "job-printer-state-message", IPP_TAG_ZERO))
            s.message = QString::fromUtf8(ippGetString(a, 0, nullptr)).trimmed();
    }
    ippDelete(response);
    return s;
}

} // namespace

QList<QPair<QByteArray, QByteArray>> jobOptionsOf(const QPrinter &printer)
{
    // What Qt's own hand-over would have asked for.
    QList<QPair<QByteArray, QByteArray>> options;
    const QPageLayout layout = printer.pageLayout();
    options.emplaceBack("media", layout.pageSize().key().toUtf8());
    if (printer.copyCount() > 1) {
        options.emplaceBack("copies", QByteArray::number(printer.copyCount()));
        if (printer.collateCopies())
            options.emplaceBack("Collate", "True");
    }
    const bool portrait = layout.orientation() == QPageLayout::Portrait;
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        options.emplaceBack("sides", "one-sided");
        break;
    case QPrinter::DuplexAuto:
        options.emplaceBack("sides", portrait ? "two-sided-long-edge" : "two-sided-short-edge");
        break;
    case QPrinter::DuplexLongSide:
        options.emplaceBack("sides", "two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        options.emplaceBack("sides", "two-sided-short-edge");
        break;
    }
    if (!portrait)
        options.emplaceBack("landscape", "");
    return options;
}

void PrintServerLink::submit(const PrintDocument &document)
{
    // A printer's instance ("Office/duplex") prints on the printer itself.
    const QByteArray printer = document.printer.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    int count = 0;
    cups_option_t *options = nullptr;
    for (const auto &[name, value] : document.options)
        count = cupsAddOption(name.constData(), value.constData(), count, &options);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, printer.constData(),
                                   QFile::encodeName(document.file).constData(),
                                   document.title.toUtf8().constData(), count, options);
    const QString refused = job == 0 ? QString::fromUtf8(cupsLastErrorString()) : QString();
    cupsFreeOptions(count, options);
    QFile::remove(document.file);
    if (job == 0) {
        emit ended(document.printer, 0, false, refused);
        return;
    }
    m_jobs.push_back({job, document.printer});
    if (m_timer == nullptr) {
        m_timer = new QTimer(this);
        m_timer->setInterval(kPollMs);
        connect(m_timer, &QTimer::timeout, this, &PrintServerLink::poll);
    }
    m_timer->start();
}

void PrintServerLink::poll()
{
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        const JobState s = askServer(it->id);
        QString failed;
        if (s.gone) {
            // Kept no longer, so it has ended; a server that keeps no history keeps no failure
            // to tell either.
        } else if (!s.known || s.state < IPP_JSTATE_CANCELED) {
            ++it; // still on its way (or the server is busy): asked again later
            continue;
        } else if (s.state == IPP_JSTATE_CANCELED) {
            failed = s.message.isEmpty() ? QStringLiteral("the job was cancelled") : s.message;
        } else if (s.state == IPP_JSTATE_ABORTED) {
            failed =
                s.message.isEmpty() ? QStringLiteral("the printer gave the job up") : s.message;
        }
        emit ended(it->printer, it->id, failed.isEmpty(), failed);
        it = m_jobs.erase(it);
    }
    if (m_jobs.empty())
        m_timer->stop();
}

PrintJobs::PrintJobs(QObject *parent)
    : QObject(parent), m_thread(new QThread), m_link(new PrintServerLink)
{
    m_thread->setObjectName(QStringLiteral("print server"));
    m_link->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_link, &QObject::deleteLater);
    connect(m_link, &PrintServerLink::ended, this, &PrintJobs::ended, Qt::QueuedConnection);
    m_thread->start();
}

PrintJobs::~PrintJobs()
{
    m_thread->quit();
    if (m_thread->wait(kEndWaitMs))
        delete m_thread;
    // Otherwise a server that does not answer keeps the thread: it is left to end with the
    // process rather than hold the window's end up.
}

void PrintJobs::submit(const PrintDocument &document)
{
    QMetaObject::invokeMethod(
        m_link, [link = m_link, document] { link->submit(document); }, Qt::QueuedConnection);
}
