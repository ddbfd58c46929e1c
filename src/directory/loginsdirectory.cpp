#include "directory/loginsdirectory.h"

#include "directory/generalizedtime.h"
#include "directory/loginrecords.h"

#include <QFile>

namespace directory {

LoginsDirectory::LoginsDirectory(QString recordsFile, QString loginName, Report report,
                                 int timeoutMs)
    : m_file(std::move(recordsFile)), m_loginName(std::move(loginName)),
      m_report(std::move(report)), m_timeoutMs(timeoutMs)
{
}

QString LoginsDirectory::whoAmIName()
{
    return m_loginName;
}

QString LoginsDirectory::typelessName(const QString &name)
{
    return name;
}

bool LoginsDirectory::readTimeAttribute(const QString &, const QString &objectName,
                                        std::uint8_t attributeIndex, dates::TDateTime &destination)
{
    if (attributeIndex != 47 || m_loginName.isEmpty() || objectName != m_loginName)
        return false;
    if (!m_done) {
        m_done = true;
        const LoginSearch found = searchLogins(m_file, m_loginName.toLocal8Bit(), m_timeoutMs);
        if (found.previous)
            m_previous = unixTimeToDateTime(*found.previous);
        // One login is this session's, the user's first: an answer. None at all is not.
        QString why = found.reason;
        if (why.isEmpty() && found.logins == 0)
            why = QStringLiteral("no login of %1 recorded").arg(printable(m_loginName.toUtf8()));
        if (!why.isEmpty() && m_report)
            m_report(QStringLiteral("ldpn: directory %1: %2")
                         .arg(printable(QFile::encodeName(m_file), 200), why));
    }
    if (!m_previous)
        return false;
    destination = *m_previous;
    return true;
}

} // namespace directory
