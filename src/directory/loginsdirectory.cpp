#include "directory/loginsdirectory.h"

#include "directory/generalizedtime.h"
#include "directory/loginrecords.h"

namespace directory {

LoginsDirectory::LoginsDirectory(QString recordsFile, QString loginName, Report report)
    : m_file(std::move(recordsFile)), m_loginName(std::move(loginName)), m_report(std::move(report))
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
        QString error;
        const auto seconds = previousLoginSeconds(m_file, m_loginName.toLocal8Bit(), &error);
        if (seconds)
            m_previous = unixTimeToDateTime(*seconds);
        else if (!error.isEmpty() && m_report)
            m_report(QStringLiteral("ldpn: login records %1: %2").arg(m_file, error));
    }
    if (!m_previous)
        return false;
    destination = *m_previous;
    return true;
}

} // namespace directory
