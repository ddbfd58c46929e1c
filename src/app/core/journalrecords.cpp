#include "app/journalrecords.h"

#include "app/startupenvironment.h"

using platform::LogField;
using platform::LogPriority;

namespace {

LogField field(const char *name, const QString &value)
{
    return {QByteArray(name), value.toUtf8()};
}

// The tag names the program already.
QString withoutTag(const QString &line)
{
    static const QLatin1String tag("ldpn: ");
    return line.startsWith(tag) ? line.mid(tag.size()) : line;
}

QString modeName(const QString &argument)
{
    if (argument.isEmpty())
        return {};
    const QString mode = upperAscii(argument);
    if (!mode.contains(QLatin1Char('/')))
        return QStringLiteral("interval");
    return mode == QLatin1String("/F") ? QStringLiteral("force") : QStringLiteral("normal");
}

QString sourceName(directory::SourceKind source)
{
    switch (source) {
    case directory::SourceKind::Ldap:
        return QStringLiteral("ldap");
    case directory::SourceKind::Logins:
        return QStringLiteral("logins");
    case directory::SourceKind::NetWare:
        break;
    }
    return QStringLiteral("netware");
}

const char *actionName(Records::Action action)
{
    switch (action) {
    case Records::Action::Shown:
        return "shown";
    case Records::Action::Loaded:
        return "loaded";
    case Records::Action::LoadFailed:
        return "load-failed";
    case Records::Action::Printed:
        return "printed";
    case Records::Action::PrintFailed:
        return "print-failed";
    case Records::Action::Browser:
        return "browser";
    case Records::Action::Exit:
        return "exit";
    case Records::Action::About:
        return "about";
    case Records::Action::Error:
        break;
    }
    return "error";
}

} // namespace

JournalRecords::JournalRecords(const QStringList &arguments, directory::SourceKind source,
                               platform::SystemLog &log)
    : m_url(arguments.value(0)), m_mode(modeName(arguments.value(1))), m_source(sourceName(source)),
      m_log(log)
{
    if (m_mode == QLatin1String("interval"))
        m_interval = arguments.value(1);
}

void JournalRecords::noteDirectoryProblem(const QString &line)
{
    m_directoryProblem = withoutTag(line);
}

void JournalRecords::write(LogPriority priority, const QString &message,
                           std::vector<LogField> fields)
{
    platform::LogRecord record;
    record.identifier = "ldpn";
    record.priority = priority;
    record.message = message.toUtf8();
    record.fields = {field("DAYPANE_URL", m_url), field("DAYPANE_MODE", m_mode)};
    if (!m_interval.isNull())
        record.fields.push_back(field("DAYPANE_INTERVAL", m_interval));
    for (LogField &f : fields)
        record.fields.push_back(std::move(f));
    m_log.write(record);
}

void JournalRecords::decision(const DecisionFacts &facts)
{
    using Outcome = DecisionFacts::Outcome;
    const QString page = m_url.isEmpty() ? QStringLiteral("no address given") : m_url;
    std::vector<LogField> fields;
    const QString error = withoutTag(facts.error);
    const char *decision = facts.outcome == Outcome::Show  ? "show"
                           : facts.outcome == Outcome::End ? "end"
                                                           : "error";
    fields.push_back(field("DAYPANE_DECISION", QLatin1String(decision)));
    fields.push_back(field("DAYPANE_SOURCE", m_source));
    fields.push_back(field("DAYPANE_PREVIOUS_LOGIN", facts.previousLogin));
    if (!facts.currentDay.isNull())
        fields.push_back(field("DAYPANE_CURRENT_DAY", facts.currentDay));
    if (!facts.lastLoginDay.isNull())
        fields.push_back(field("DAYPANE_LAST_LOGIN_DAY", facts.lastLoginDay));
    if (!facts.stampDay.isNull())
        fields.push_back(field("DAYPANE_STAMP_DAY", facts.stampDay));

    if (facts.outcome == Outcome::Error) {
        fields.push_back(field("DAYPANE_ERROR", error));
        write(LogPriority::Error, QStringLiteral("No decision for %1: %2").arg(page, error),
              std::move(fields));
        return;
    }
    QString message = facts.outcome == Outcome::Show ? QStringLiteral("Page due: %1").arg(page)
                                                     : QStringLiteral("Page not due: %1").arg(page);
    LogPriority priority = LogPriority::Info;
    if (facts.directoryAsked && !facts.directoryAnswered) {
        // Decided without the previous login: the administrator should hear of it.
        priority = LogPriority::Warning;
        message += QStringLiteral(" (no previous login from the directory)");
        if (!m_directoryProblem.isEmpty())
            fields.push_back(field("DAYPANE_ERROR", m_directoryProblem));
    }
    write(priority, message, std::move(fields));
}

void JournalRecords::action(Action action, const Details &given)
{
    Details details = given;
    details.reason = withoutTag(details.reason);
    std::vector<LogField> fields{field("DAYPANE_ACTION", QLatin1String(actionName(action)))};
    LogPriority priority = LogPriority::Info;
    QString message;
    switch (action) {
    case Action::Shown:
        message = QStringLiteral("Page shown: %1").arg(m_url);
        break;
    case Action::Loaded:
        message = QStringLiteral("Page loaded: %1").arg(m_url);
        break;
    case Action::LoadFailed:
        message = QStringLiteral("Page not loaded: %1: %2").arg(m_url, details.reason);
        break;
    case Action::Printed:
        message = QStringLiteral("Page printed: %1").arg(m_url);
        if (!details.printer.isEmpty()) {
            message += QStringLiteral(" on %1").arg(details.printer);
            fields.push_back(field("DAYPANE_PRINTER", details.printer));
        }
        if (!details.job.isEmpty())
            fields.push_back(field("DAYPANE_PRINT_JOB", details.job));
        break;
    case Action::PrintFailed:
        message = QStringLiteral("Page not printed: %1: %2").arg(m_url, details.reason);
        break;
    case Action::Browser:
        message = QStringLiteral("Page handed to the default browser: %1").arg(m_url);
        break;
    case Action::Exit:
        message = details.reason.isEmpty()
                      ? QStringLiteral("Page left by Exit: %1").arg(m_url)
                      : QStringLiteral("Page left: %1: %2").arg(m_url, details.reason);
        break;
    case Action::About:
        message = QStringLiteral("About box opened: %1").arg(m_url);
        break;
    case Action::Error:
        message = QStringLiteral("Error: %1 (%2)").arg(details.reason, m_url);
        break;
    }
    if (action == Action::LoadFailed || action == Action::PrintFailed || action == Action::Error) {
        priority = LogPriority::Error;
        fields.push_back(field("DAYPANE_ERROR", details.reason));
    }
    write(priority, message, std::move(fields));
}
