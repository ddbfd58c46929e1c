#include "username.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

namespace platform {

QByteArray realUserName()
{
    if (const passwd *pw = getpwuid(getuid()); pw != nullptr && pw->pw_name != nullptr)
        return QByteArray(pw->pw_name);
    return {};
}

struct ScopedIgnoreBrokenPipe::Saved
{
    struct sigaction action = {};
};

ScopedIgnoreBrokenPipe::ScopedIgnoreBrokenPipe() : m_saved(std::make_unique<Saved>())
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    if (sigaction(SIGPIPE, &ignore, &m_saved->action) != 0)
        m_saved.reset();
}

ScopedIgnoreBrokenPipe::~ScopedIgnoreBrokenPipe()
{
    if (m_saved)
        sigaction(SIGPIPE, &m_saved->action, nullptr);
}

} // namespace platform
