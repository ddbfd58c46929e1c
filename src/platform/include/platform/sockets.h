#pragma once

namespace platform {

// Ends both directions of a connected socket, so that a thread blocked or spinning on it sees
// the end of the connection. The socket stays open for its owner to close.
void shutdownSocket(int socket);

// A write to a connection that the other side has closed then fails with an error in the
// calling thread instead of raising SIGPIPE, which would end the process. For threads that
// run a library's network code.
void blockBrokenPipeInThisThread();

} // namespace platform
