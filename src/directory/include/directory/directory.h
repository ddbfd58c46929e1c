#pragma once

#include "dates/dates.h"

#include <QString>
#include <cstdint>

namespace directory {

// What the show decision asks of the directory: who the logged-in user is, the typeless form
// of a name, and one time attribute of an object. A source that cannot answer gives "", ""
// and false and leaves the destination as it was; none of them raises.
class Directory
{
public:
    virtual ~Directory() = default;
    virtual QString whoAmIName() = 0;
    virtual QString typelessName(const QString &name) = 0;
    // attributeIndex is an entry of the NetWare attribute-name table (47: "Last Login Time");
    // destination is a UTC date-time value.
    virtual bool readTimeAttribute(const QString &contextName, const QString &objectName,
                                   std::uint8_t attributeIndex, dates::TDateTime &destination) = 0;
};

} // namespace directory
