#include "platform/sockets.h"

#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

namespace platform {

void shutdownSocket(int socket)
{
    if (socket >= 0)
        ::shutdown(socket, SHUT_RDWR);
}

void blockBrokenPipeInThisThread()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

} // namespace platform
