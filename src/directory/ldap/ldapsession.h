#pragma once

// The LDAP session that the look-up runs on a thread of its own (ldapsession.cpp), and what the
// two share.

#include "directory/ldapmodule.h"

#include <condition_variable>
#include <mutex>
#include <string>

namespace ldaplookup {

// Shared by the look-up's thread and the caller, who stops waiting at the deadline. libldap
// leaves some waits without a limit (a TLS handshake with a server that never answers spins
// until the server speaks), so the caller then ends the connection under it.
struct Watch
{
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    int socket = -1; // the connection in use, while there is one
    directory::ldapmodule::Request request;
    directory::ldapmodule::Answer answer;
};

// Connects, binds and searches as `rq` asks, within its timeout, into `answer`; tells `watch`
// which socket it uses while it has one. Never throws.
void runSession(const directory::ldapmodule::Request &rq, directory::ldapmodule::Answer &answer,
                Watch &watch);

// " (no answer within 3 s)", for the reason of a look-up that ran out of time.
std::string noAnswerWithin(int ms);

} // namespace ldaplookup
