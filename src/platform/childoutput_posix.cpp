#include "platform/childoutput.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace platform {
namespace {

void writeAll(int fd, const QByteArray &data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += n;
    }
}

// Reads the pipe until every writer has gone, one line at a time, and writes to `out` (the
// program's standard error as it was, never the pipe).
void relay(int fd, int out, const ErrorLineFilter &filter, int maxLineBytes)
{
    QByteArray line;
    bool cut = false; // the rest of an over-long line is being dropped
    char buffer[4096];
    const auto pass = [&] {
        if (std::optional<QByteArray> passed = filter(line))
            writeAll(out, *passed + '\n');
        line.clear();
    };
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] == '\n') {
                if (!cut)
                    pass();
                cut = false;
                continue;
            }
            if (cut)
                continue;
            line += buffer[i];
            if (line.size() >= maxLineBytes) {
                pass();
                cut = true;
            }
        }
    }
    if (!line.isEmpty() && !cut)
        pass();
    ::close(fd);
    ::close(out);
}

} // namespace

void startWithFilteredErrorOutput(const std::function<void()> &start, ErrorLineFilter filter,
                                  int maxLineBytes)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        start();
        return;
    }
    std::fflush(stderr);
    const int saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    const int out = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    // The write end becomes standard error, which children inherit (dup2 leaves it open
    // across exec); the read end stays the relay's alone.
    if (saved < 0 || out < 0 || ::dup2(fds[1], STDERR_FILENO) < 0) {
        for (const int fd : {saved, out, fds[0], fds[1]})
            if (fd >= 0)
                ::close(fd);
        start();
        return;
    }
    ::close(fds[1]);
    std::thread(relay, fds[0], out, std::move(filter), maxLineBytes).detach();
    start();
    std::fflush(stderr);
    // Only the children hold the pipe now: the relay ends with the last of them.
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
}

} // namespace platform
