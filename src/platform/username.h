#pragma once

#include <QByteArray>
#include <memory>

namespace platform {

// The password-database name of the real user id; empty when it has none.
QByteArray realUserName();

// Writing to a connection that the other side has closed raises SIGPIPE, which would end the
// process; while this object lives such a write fails with an error instead. The previous
// disposition comes back afterwards, so that child processes started later inherit it.
class ScopedIgnoreBrokenPipe
{
public:
    ScopedIgnoreBrokenPipe();
    ~ScopedIgnoreBrokenPipe();
    ScopedIgnoreBrokenPipe(const ScopedIgnoreBrokenPipe &) = delete;
    ScopedIgnoreBrokenPipe &operator=(const ScopedIgnoreBrokenPipe &) = delete;

private:
    struct Saved;
    std::unique_ptr<Saved> m_saved;
};

} // namespace platform
