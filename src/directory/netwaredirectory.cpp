#include "directory/netwaredirectory.h"

#include "netware/nwNDS.h"

namespace directory {

QString NetWareDirectory::whoAmIName()
{
    return NDSWhoAmIName();
}

QString NetWareDirectory::typelessName(const QString &name)
{
    return NDSTypelessName(name);
}

bool NetWareDirectory::readTimeAttribute(const QString &contextName, const QString &objectName,
                                         std::uint8_t attributeIndex, dates::TDateTime &destination)
{
    return NDSReadTimeAttribute(contextName, objectName, attributeIndex, destination);
}

Directory &netwareDirectory()
{
    static NetWareDirectory source;
    return source;
}

} // namespace directory
