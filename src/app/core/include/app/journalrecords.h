#pragma once

#include "app/records.h"
#include "directory/config.h"
#include "platform/systemlog.h"

#include <QStringList>

// The records in the system's log, tagged "ldpn", with fields an administrator filters on
// (DAYPANE_URL, DAYPANE_MODE, DAYPANE_DECISION, DAYPANE_ACTION, ...). The journal adds user,
// session, host and time itself.
class JournalRecords : public Records
{
public:
    // `arguments` as the program got them (after its name): the address and the mode.
    JournalRecords(const QStringList &arguments, directory::SourceKind source,
                   platform::SystemLog &log = platform::systemLog());

    // A failure line of the directory during this run, for the decision's record.
    void noteDirectoryProblem(const QString &line);

    void decision(const DecisionFacts &facts) override;
    void action(Action action, const Details &details = {}) override;

private:
    void write(platform::LogPriority priority, const QString &message,
               std::vector<platform::LogField> fields);

    QString m_url;
    QString m_mode;
    QString m_interval; // the mode's text in interval mode
    QString m_source;
    QString m_directoryProblem;
    platform::SystemLog &m_log;
};
