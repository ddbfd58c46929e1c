#pragma once

#include "directory/directory.h"
#include "directory/ldapdirectory.h"

namespace directory {

// The NetWare client bound at run time: the default source. It answers through the process's
// one binding; a client that cannot be loaded, no logged-in user or no "Last Login Time" is one
// reported line, given once.
class NetWareDirectory : public Directory
{
public:
    explicit NetWareDirectory(Report report = nullptr);

    QString whoAmIName() override;
    QString typelessName(const QString &name) override;
    bool readTimeAttribute(const QString &contextName, const QString &objectName,
                           std::uint8_t attributeIndex, dates::TDateTime &destination) override;

private:
    void report(const QString &what);

    Report m_report;
    bool m_reported = false;
};

// A NetWare source that reports nothing, for whoever needs one without a choice.
Directory &netwareDirectory();

} // namespace directory
