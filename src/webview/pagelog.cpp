#include "pagelog.h"

#include "framework/usertext.h"

#include <atomic>
#include <cstdio>
#include <cstring>

// Off at every level until a logging rule switches it on.
Q_LOGGING_CATEGORY(lcPage, "daypane.page", QtFatalMsg)

namespace pagelog {
namespace {

// Counts the lines of one kind; true while the line may still be written. The one line after
// the last one says that the rest is dropped.
class Budget
{
public:
    explicit Budget(int lines) : m_lines(lines) {}
    enum Turn { Write, Notice, Drop };
    Turn take()
    {
        const int n = m_used.fetch_add(1, std::memory_order_relaxed);
        if (n < m_lines)
            return Write;
        return n == m_lines ? Notice : Drop;
    }

private:
    const int m_lines;
    std::atomic<int> m_used{0};
};

Budget g_pageLines(kPageLines);
Budget g_engineLines(kEngineLines);
Budget g_refusalLines(kRefusalLines);

QtMessageHandler g_next = nullptr;

void forward(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (g_next != nullptr)
        g_next(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

bool isOwn(const char *category)
{
    return category != nullptr && std::strncmp(category, "daypane.", 8) == 0;
}

void filter(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    // The program's own categories are counted where they are written (the page's console)
    // or are a handful of lines (the start-up milestones).
    if (!isOwn(context.category) && type != QtFatalMsg) {
        switch (g_engineLines.take()) {
        case Budget::Write:
            break;
        case Budget::Notice:
            forward(QtWarningMsg, context,
                    QStringLiteral("further messages of the web engine are not logged"));
            return;
        case Budget::Drop:
            return;
        }
    }
    // A line end that closes the text is not part of it; any other is escaped.
    qsizetype end = text.size();
    while (end > 0 &&
           (text.at(end - 1) == QLatin1Char('\n') || text.at(end - 1) == QLatin1Char('\r')))
        --end;
    forward(type, context, framework::echoUserText(text.left(end), kLineChars));
}

const char *levelName(QWebEnginePage::JavaScriptConsoleMessageLevel level)
{
    switch (level) {
    case QWebEnginePage::InfoMessageLevel:
        return "console.log";
    case QWebEnginePage::WarningMessageLevel:
        return "console.warn";
    case QWebEnginePage::ErrorMessageLevel:
        break;
    }
    return "console.error";
}

} // namespace

void consoleMessage(QWebEnginePage::JavaScriptConsoleMessageLevel level, const QString &message,
                    int lineNumber, const QString &sourceId)
{
    // Checked first: a page that logs in a loop costs nothing more than the check.
    const bool enabled = level == QWebEnginePage::InfoMessageLevel ? lcPage().isInfoEnabled()
                         : level == QWebEnginePage::WarningMessageLevel
                             ? lcPage().isWarningEnabled()
                             : lcPage().isCriticalEnabled();
    if (!enabled)
        return;
    const Budget::Turn turn = g_pageLines.take();
    if (turn == Budget::Drop)
        return;
    const QString line =
        turn == Budget::Notice
            ? QStringLiteral("further messages of the page are not logged")
            : QStringLiteral("%1 %2:%3: %4")
                  .arg(QLatin1String(levelName(level)), framework::echoUserText(sourceId, 120))
                  .arg(lineNumber)
                  .arg(framework::echoUserText(message, kLineChars));
    switch (level) {
    case QWebEnginePage::InfoMessageLevel:
        qCInfo(lcPage).noquote() << line;
        break;
    case QWebEnginePage::WarningMessageLevel:
        qCWarning(lcPage).noquote() << line;
        break;
    case QWebEnginePage::ErrorMessageLevel:
        qCCritical(lcPage).noquote() << line;
        break;
    }
}

void refusal(const QString &text)
{
    const Budget::Turn turn = g_refusalLines.take();
    if (turn == Budget::Drop)
        return;
    const QString line = turn == Budget::Notice
                             ? QStringLiteral("further requests of the page are refused silently")
                             : text;
    std::fprintf(stderr, "ldpn: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

std::optional<QByteArray> helperLine(const QByteArray &line)
{
    switch (g_engineLines.take()) {
    case Budget::Write:
        break;
    case Budget::Notice:
        return QByteArrayLiteral("further messages of the web engine are not logged");
    case Budget::Drop:
        return std::nullopt;
    }
    QByteArray text = line;
    if (text.endsWith('\r'))
        text.chop(1);
    return framework::echoUserText(QString::fromLocal8Bit(text), kLineChars).toLocal8Bit();
}

void installMessageFilter()
{
    static const bool installed = [] {
        g_next = qInstallMessageHandler(&filter);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace pagelog
