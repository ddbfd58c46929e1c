#pragma once

#include "directory/directory.h"
#include "directory/ldapdirectory.h"

#include <optional>

namespace directory {

// The workstation's own login records: who am I and the typeless name are the login name; the
// previous login is the user's login before the newest one (the current session). Records that
// cannot be searched, or that hold no login of the user at all, are one reported line.
class LoginsDirectory : public Directory
{
public:
    LoginsDirectory(QString recordsFile, QString loginName, Report report,
                    int timeoutMs = kDefaultTimeoutMs);

    QString whoAmIName() override;
    QString typelessName(const QString &name) override;
    bool readTimeAttribute(const QString &contextName, const QString &objectName,
                           std::uint8_t attributeIndex, dates::TDateTime &destination) override;

private:
    QString m_file;
    QString m_loginName;
    Report m_report;
    int m_timeoutMs;
    bool m_done = false;
    std::optional<dates::TDateTime> m_previous;
};

} // namespace directory
