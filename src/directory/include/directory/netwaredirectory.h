#pragma once

#include "directory/directory.h"

namespace directory {

// The NetWare client bound at run time: the default source.
class NetWareDirectory : public Directory
{
public:
    QString whoAmIName() override;
    QString typelessName(const QString &name) override;
    bool readTimeAttribute(const QString &contextName, const QString &objectName,
                           std::uint8_t attributeIndex, dates::TDateTime &destination) override;
};

// The process's one NetWare source.
Directory &netwareDirectory();

} // namespace directory
