#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <QWebEnginePage>
#include <optional>

// What the page and the engine may put into the session log. The page's console goes nowhere
// unless the category daypane.page is switched on (QT_LOGGING_RULES="daypane.page=true");
// whatever does reach the log is one line per message, control characters escaped, cut to a
// length, and only so many lines per start.
Q_DECLARE_LOGGING_CATEGORY(lcPage)

namespace pagelog {

inline constexpr qsizetype kLineChars = 400; // characters of one message's text
inline constexpr int kPageLines = 100;       // console lines per start
inline constexpr int kEngineLines = 100;     // lines of the engine (and of Qt) per start
inline constexpr int kRefusalLines = 20;     // "ldpn: ..." lines about the page's requests

// One console message of the page, when daypane.page is on for its level.
void consoleMessage(QWebEnginePage::JavaScriptConsoleMessageLevel level, const QString &message,
                    int lineNumber, const QString &sourceId);

// One line on standard error about something of the page that the program refused
// ("ldpn: " and `text`); `text` must already be escaped.
void refusal(const QString &text);

// Routes every message of Qt and the engine through the rules above; the handler that was
// installed before still writes them. Once per process.
void installMessageFilter();

// One line that the engine's helper processes wrote to their standard error, as the log takes
// it (escaped, counted with the engine's messages), or nothing once the count is reached.
std::optional<QByteArray> helperLine(const QByteArray &line);

} // namespace pagelog
