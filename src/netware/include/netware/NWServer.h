#pragma once

#include "netware/nwclient.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <type_traits>

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

class ServerConnection;

// Anything that finds a connection handle when called.
template <class F>
concept ConnectionFinder = std::is_invocable_r_v<NWCONN_HANDLE, F &> &&
    !std::is_same_v<std::remove_cvref_t<F>, ServerConnection>;

// The connection a query runs on: a handle, or a way to find one that is asked only once the
// query's entry point is bound, since finding it may itself call the client.
class ServerConnection
{
public:
    ServerConnection(NWCONN_HANDLE handle) : m_handle(handle) {}
    template <ConnectionFinder F> ServerConnection(F find) : m_find(std::move(find)) {}

    NWCONN_HANDLE operator()() const { return m_find ? m_find() : m_handle; }

private:
    NWCONN_HANDLE m_handle = 0;
    std::function<NWCONN_HANDLE()> m_find;
};

using DateTimeRecord = std::array<std::uint8_t, nwclient::kDateTimeSize>;

// Two readings of a server's clock; empty where the call failed or could not be made.
struct ServerClock
{
    std::optional<DateTimeRecord> date;
    std::optional<DateTimeRecord> time;
};

// The server layer: its last-error cell and the operations on one server connection.
//
// The queries look their entry point up before anything else and give their failure result
// without a call when it is not bound. Each says which cells it records into: the calls
// cells, the server's own, or none.
class TNWServer
{
public:
    QString lastErrorText() const;

    // The server's name, "LOCAL" when the client cannot tell (connection 0: the primary
    // one). Calls cells.
    QString serverName(NWCONN_HANDLE connection) const;
    // Our connection number on the server, 0 when the client cannot tell. Calls cells.
    std::uint16_t connectionNumber(const ServerConnection &connection) const;
    // The object logged in on our connection number, "" when unknown. Calls cells.
    QString loginName(const ServerConnection &connection) const;
    // The bindery identifier of the named object of that type. Calls cells.
    bool objectID(const ServerConnection &connection, const QString &name, std::uint16_t type,
                  std::uint32_t &id) const;
    // The IDENTIFICATION property of a bindery object; its type is asked for only when the
    // client can read properties. Nothing recorded.
    bool identification(const ServerConnection &connection, const QString &name,
                        const std::function<std::uint16_t()> &type, QString &value) const;
    // Whether our login has console operator or manager rights there. Nothing recorded.
    bool consoleOperator(const ServerConnection &connection) const;
    bool manager(const ServerConnection &connection) const;
    // The broadcast mode the connection reports. Nothing recorded.
    std::optional<std::uint16_t> broadcastMode(const ServerConnection &connection) const;
    void setBroadcastMode(const ServerConnection &connection, std::uint16_t mode) const;
    // The server's date and time, asked twice on one connection: the date part and the time
    // part each take a reading of their own. Calls cells.
    ServerClock clock(const ServerConnection &connection) const;
    // Makes the named server the workstation's preferred one. Calls cells.
    bool makePreferred(const QString &name) const;

    // False when the client cannot answer. Nothing recorded.
    bool information(NWCONN_HANDLE connection, ServerInformation &info) const;
    // Years above 1900 are given relative to 1900, as the client counts them. Server cells.
    bool setDateAndTime(NWCONN_HANDLE connection, double dateTime) const;
    // A handle for the named server, 0 when none opens. Server cells.
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
