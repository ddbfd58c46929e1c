#include "platform/systemlog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {
namespace {

// Sends `data` as one message to the socket at `path` without ever waiting: a log that does not
// take it at once loses it. With `orStream`, a stream socket (some syslog daemons listen on one)
// gets it with a NUL after it, as the C library sends its lines.
bool sendTo(const std::string &path, const QByteArray &data, bool orStream)
{
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    const auto *to = reinterpret_cast<const sockaddr *>(&address);

    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    ssize_t sent =
        ::sendto(fd, data.constData(), size_t(data.size()), MSG_NOSIGNAL, to, sizeof(address));
    const int error = errno;
    ::close(fd);
    if (sent == data.size())
        return true;
    if (sent >= 0 || error != EPROTOTYPE || !orStream)
        return false;

    fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    const QByteArray line = data + '\0';
    bool done = false;
    if (::connect(fd, to, sizeof(address)) == 0)
        done = ::send(fd, line.constData(), size_t(line.size()), MSG_NOSIGNAL) == line.size();
    ::close(fd);
    return done;
}

QByteArray syslogTimestamp()
{
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    if (::localtime_r(&now, &t) == nullptr || t.tm_mon < 0 || t.tm_mon > 11)
        return "Jan  1 00:00:00";
    char text[32];
    std::snprintf(text, sizeof(text), "%s %2d %02d:%02d:%02d", months[t.tm_mon], t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return QByteArray(text);
}

} // namespace

SocketSystemLog::SocketSystemLog(std::string journalSocket, std::string syslogSocket)
    : m_journal(std::move(journalSocket)), m_syslog(std::move(syslogSocket))
{
}

SystemLog::Sink SocketSystemLog::write(const LogRecord &record)
{
    if (sendTo(m_journal, journalDatagram(record), false))
        return Sink::Journal;
    if (sendTo(m_syslog, syslogLine(record, syslogTimestamp(), long(::getpid())), true))
        return Sink::Syslog;
    return Sink::None;
}

SystemLog &systemLog()
{
    static SocketSystemLog log;
    return log;
}

} // namespace platform
