#include "directory/netwaredirectory.h"

#include "netware/nwNDS.h"
#include "netware/nwlib.h"

namespace directory {

NetWareDirectory::NetWareDirectory(Report report) : m_report(std::move(report)) {}

void NetWareDirectory::report(const QString &what)
{
    if (m_reported || !m_report)
        return;
    m_reported = true;
    m_report(QStringLiteral("ldpn: directory NetWare client: %1").arg(what));
}

QString NetWareDirectory::whoAmIName()
{
    const QString name = NDSWhoAmIName();
    if (name.isEmpty()) {
        const QString failure = nw::ClientLoadFailure();
        report(failure.isEmpty() ? QStringLiteral("no user is logged in to the directory")
                                 : printable(failure.toUtf8(), 300));
    }
    return name;
}

QString NetWareDirectory::typelessName(const QString &name)
{
    return NDSTypelessName(name);
}

bool NetWareDirectory::readTimeAttribute(const QString &contextName, const QString &objectName,
                                         std::uint8_t attributeIndex, dates::TDateTime &destination)
{
    if (NDSReadTimeAttribute(contextName, objectName, attributeIndex, destination))
        return true;
    if (!objectName.isEmpty())
        report(QStringLiteral("%1 has no %2 that can be read")
                   .arg(printable(objectName.toUtf8(), 200), nw::NDSAttributeName(attributeIndex)));
    return false;
}

Directory &netwareDirectory()
{
    static NetWareDirectory source;
    return source;
}

} // namespace directory
