#include "platform/display.h"

#include <QFile>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

namespace platform {
namespace {

std::int64_t nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

} // namespace

DisplayAnswer connectWayland(const QString &socketPath, int timeoutMs)
{
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || std::size_t(path.size()) >= sizeof address.sun_path)
        return DisplayAnswer::Absent;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return DisplayAnswer::Absent;
    const auto closing = [fd](DisplayAnswer a) {
        ::close(fd);
        return a;
    };
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        return closing(DisplayAnswer::Absent); // refused, missing, or its queue is full
    // wl_display.sync(new callback 2): object 1, request 0, 12 bytes. Any answer will do: the
    // callback's done event, or an error event.
    const std::uint32_t sync[3] = {1, (12u << 16) | 0u, 2};
    if (::send(fd, sync, sizeof sync, MSG_NOSIGNAL) != ssize_t(sizeof sync))
        return closing(DisplayAnswer::Absent);
    const std::int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
        const std::int64_t left = deadline - nowMs();
        if (left <= 0)
            return closing(DisplayAnswer::Silent);
        pollfd p{fd, POLLIN, 0};
        const int n = ::poll(&p, 1, int(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return closing(n == 0 ? DisplayAnswer::Silent : DisplayAnswer::Absent);
        char byte = 0;
        const ssize_t got = ::recv(fd, &byte, 1, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        return closing(got == 1 ? DisplayAnswer::Answers : DisplayAnswer::Absent);
    }
}

} // namespace platform
