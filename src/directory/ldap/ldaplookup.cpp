// The LDAP look-up of the previous login: the module's entry, which runs the session on a
// thread of its own and stops waiting for it at the request's deadline. Loaded at run time; it
// needs nothing of the program but the interface header and the platform's socket helpers.
#include "ldapsession.h"
#include "platform/sockets.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

using directory::ldapmodule::Answer;
using directory::ldapmodule::Request;
using ldaplookup::noAnswerWithin;
using ldaplookup::runSession;
using ldaplookup::Watch;
using Clock = std::chrono::steady_clock;

DAYPANE_MODULE_STAMP(directory::ldapmodule::kInterface);

extern "C" Q_DECL_EXPORT void daypane_ldap_lookup(const Request *request, Answer *answer)
{
    if (answer == nullptr)
        return;
    *answer = Answer{};
    if (request == nullptr) {
        answer->reason = "no request";
        return;
    }
    try {
        auto watch = std::make_shared<Watch>();
        watch->request = *request;
        watch->answer.server = request->uri;
        std::thread worker([watch] {
            platform::blockBrokenPipeInThisThread();
            Answer a;
            runSession(watch->request, a, *watch);
            const std::lock_guard<std::mutex> lock(watch->mutex);
            watch->answer = std::move(a);
            watch->done = true;
            watch->finished.notify_all();
        });
        std::unique_lock<std::mutex> lock(watch->mutex);
        bool cut = false;
        const auto deadline =
            Clock::now() + std::chrono::milliseconds(std::max(request->timeoutMs, 1));
        // A little past the deadline: libldap's own limits end it in time where they can.
        if (!watch->finished.wait_until(lock, deadline + std::chrono::milliseconds(100),
                                        [&] { return watch->done; })) {
            platform::shutdownSocket(watch->socket);
            cut = true;
            watch->finished.wait_for(lock, std::chrono::seconds(1), [&] { return watch->done; });
        }
        const std::string timedOut = "Timed out" + noAnswerWithin(request->timeoutMs);
        if (watch->done) {
            lock.unlock();
            worker.join();
            *answer = watch->answer;
            // Whatever libldap made of the connection ended under it, the cause was the time.
            if (cut && answer->outcome == Answer::Outcome::Failed)
                answer->reason = timedOut;
            return;
        }
        // Stuck where no connection can be ended (a name look-up, say): it is left behind,
        // holding only its own copy of the request.
        answer->server = watch->answer.server;
        lock.unlock();
        worker.detach();
        answer->outcome = Answer::Outcome::Failed;
        answer->reason = timedOut;
    } catch (...) {
        answer->outcome = Answer::Outcome::Failed;
        answer->reason = "out of memory";
    }
}
