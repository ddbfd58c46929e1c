#pragma once

#include "netware/nwclient.h"

#include <QString>
#include <cstdint>

// Directory operations. Without a client they answer "", "" and false.
QString NDSWhoAmIName();
QString NDSTypelessName(const QString &name);
bool NDSReadTimeAttribute(const QString &contextName, const QString &objectName,
                          std::uint8_t attributeIndex, double &destination);

namespace nw {

// Loads the directory and locale libraries, binds the eager entry points in their fixed
// order and creates the main and lookup contexts; frees both contexts when destroyed.
class TNWNDS
{
public:
    TNWNDS();
    ~TNWNDS();
    TNWNDS(const TNWNDS &) = delete;
    TNWNDS &operator=(const TNWNDS &) = delete;
    QString lastErrorText() const;
};

// The eager chain, in the order in which it is bound.
inline constexpr int kEagerEntryCount = 27;

// Contexts and the client's Unicode tables.
bool NDSStartup();
bool NDSShutdown();
NWDSContextHandle NDSNewContext();
bool NDSReleaseContext(NWDSContextHandle context);
bool NDSSetNameContext(const QString &name);
bool NDSUseNameContext(NWDSContextHandle context, const QString &name);
QString NDSNameContext();
void NDSResetMainContext();
std::uint32_t NDSGetContextFlags();
bool NDSPutContextFlags(std::uint32_t flags);
bool NDSAddContextFlags(std::uint32_t bits);

// Names.
QString NDSCanonicalName(const QString &name);
bool NDSIsDirectoryServer(NWCONN_HANDLE connection);
QString NDSPreferredTreeName();
bool NDSSetPreferredTree(const QString &tree);
// The directory identifier of a name, 0 when it has none.
std::uint32_t NDSMapNameToID(NWCONN_HANDLE connection, const QString &name);
// The identifier as text: byte-swapped by the client, hexadecimal without leading zeros.
QString IdentifierText(std::uint32_t id);
QString NDSMapNameToIDText(NWCONN_HANDLE connection, const QString &name);

// Attributes.
inline constexpr int kAttributeCount = 161;
QString NDSAttributeName(std::uint8_t index);
bool NDSReadTextAttribute(const QString &contextName, const QString &objectName,
                          std::uint8_t attributeIndex, QString &destination);
// The destination must hold nwclient::kTextValueSize bytes.
bool NDSReadAttributeValue(NWDSContextHandle context, const QString &objectName,
                           std::uint8_t attributeIndex, void *destination);
bool NDSFindAttributeValue(NWDSContextHandle context, NWDSBufHandle result,
                           const QString &attributeName, void *destination);

} // namespace nw
