#pragma once

#include <QByteArray>
#include <string>
#include <vector>

namespace platform {

// Severities as syslog numbers them.
enum class LogPriority { Error = 3, Warning = 4, Info = 6 };

// One field of a record: a name of capital letters, digits and '_' (not first), and any bytes.
struct LogField
{
    QByteArray name;
    QByteArray value;
};

struct LogRecord
{
    QByteArray identifier; // the program's tag
    LogPriority priority = LogPriority::Info;
    QByteArray message;
    std::vector<LogField> fields;
};

// Each value is cut to this many bytes (on a character boundary, with "..." added), so that a
// record always fits one datagram and one syslog line.
inline constexpr qsizetype kMaxLogValueBytes = 2048;

// The system's log: the journal when it listens, else the syslog socket, else nothing. A write
// never blocks and never fails the caller.
class SystemLog
{
public:
    enum class Sink { Journal, Syslog, None };

    virtual ~SystemLog() = default;
    // Where the record went.
    virtual Sink write(const LogRecord &record) = 0;
};

inline constexpr const char *kJournalSocket = "/run/systemd/journal/socket";
inline constexpr const char *kSyslogSocket = "/dev/log";

// Writes to the journal's native socket, else one line to the syslog socket. Tests of this
// layer name sockets of their own.
class SocketSystemLog : public SystemLog
{
public:
    explicit SocketSystemLog(std::string journalSocket = kJournalSocket,
                             std::string syslogSocket = kSyslogSocket);
    Sink write(const LogRecord &record) override;

private:
    std::string m_journal;
    std::string m_syslog;
};

SystemLog &systemLog();

// The record in the journal's native protocol: KEY=value lines, a value holding a newline or a
// NUL in the length-prefixed form. Fields with a name the journal refuses are left out.
QByteArray journalDatagram(const LogRecord &record);

// The record as one syslog line (RFC 3164, as the C library writes it to the local socket):
// "<PRI>Mmm dd hh:mm:ss tag[pid]: message NAME="value" ...". Quotes, backslashes and control
// bytes are escaped in the message and the values, so no value can end its quotes or the line.
// `timestamp` is the local time as "Mmm dd hh:mm:ss".
QByteArray syslogLine(const LogRecord &record, const QByteArray &timestamp, long pid);

} // namespace platform
