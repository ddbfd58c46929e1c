#pragma once

#include "netware/nwclient.h"

#include <QString>
#include <cstdint>

namespace nw {

struct ServerInformation
{
    QString name;
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    std::uint8_t revision = 0;
    std::uint16_t maxConnections = 0;
    std::uint16_t maxConnectionsUsed = 0;
    std::uint16_t connectionsInUse = 0;
    std::uint16_t volumes = 0;
    std::uint8_t sftLevel = 0;
    std::uint8_t ttsLevel = 0;
};

// The server layer: its last-error cell and the operations on one server connection.
class TNWServer
{
public:
    QString lastErrorText() const;
    // False when the client cannot answer; no cell is written.
    bool information(NWCONN_HANDLE connection, ServerInformation &info) const;
    // Years above 1900 are given relative to 1900, as the client counts them.
    bool setDateAndTime(NWCONN_HANDLE connection, double dateTime) const;
    // A handle for the named server, 0 when none opens.
    NWCONN_HANDLE openConnectionByName(const QString &name) const;
};

// The property and print layers: no operations of their own, only their last-error texts.
class TNWProp
{
public:
    QString lastErrorText() const;
};

class TNWPrint
{
public:
    QString lastErrorText() const;
};

} // namespace nw
