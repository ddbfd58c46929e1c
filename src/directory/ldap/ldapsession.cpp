// The LDAP session of the look-up: one connection, one bind, one search, all within the
// request's deadline, with libldap.
#include "ldapsession.h"

#include <ldap.h>
#include <sasl/sasl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

namespace ldaplookup {
namespace {

using directory::ldapmodule::Answer;
using directory::ldapmodule::Bind;
using directory::ldapmodule::Request;
using directory::ldapmodule::StartTls;
using Clock = std::chrono::steady_clock;

const char *const kTlsFailed =
    "TLS handshake failed: is the server's certificate trusted and issued for this name?";

// libldap starts Cyrus SASL at its first use, and that loads every SASL plugin installed (with
// libcrypto and libdb behind them): a fifth of the look-up's time. Only a SASL bind other than
// EXTERNAL, which is built into the SASL library, needs one; the others get no plugin folder.
// This holds for the process, as libldap starts SASL once: ldpn makes one look-up per run.
void skipSaslPluginsUnlessNeeded(const Request &rq)
{
    static std::once_flag once;
    std::call_once(once, [&rq] {
        if (rq.bind != Bind::Sasl || rq.saslMech == "EXTERNAL")
            sasl_set_path(SASL_PATH_TYPE_PLUGIN, const_cast<char *>("/nonexistent/daypane"));
    });
}

// A value longer than this is no time stamp; it is cut rather than copied whole.
constexpr std::size_t kMaxValue = 1024;

// No answer to one search for one attribute comes near this; a server that sends more (or says
// it will) ends the look-up before the program holds it in memory.
constexpr ber_len_t kMaxMessage = 1024 * 1024;

// Entries counted for the line that says the filter is not unique; a search stops there.
constexpr int kEntriesCounted = 100;

class Deadline
{
public:
    explicit Deadline(int ms) : m_end(Clock::now() + std::chrono::milliseconds(std::max(ms, 1))) {}
    long long remainingMs() const
    {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(m_end - Clock::now()).count();
        return std::max<long long>(left, 0);
    }
    bool passed() const { return remainingMs() == 0; }
    // Never zero: a zero wait would be a poll, not a limit.
    timeval timeLeft(long long divideBy = 1) const
    {
        const long long ms = std::max<long long>(remainingMs() / std::max(divideBy, 1LL), 1);
        timeval tv{};
        tv.tv_sec = static_cast<decltype(tv.tv_sec)>(ms / 1000);
        tv.tv_usec = static_cast<decltype(tv.tv_usec)>(ms % 1000 * 1000);
        return tv;
    }

private:
    Clock::time_point m_end;
};

class Session
{
public:
    Session(const Request &rq, Answer &a, Watch &watch)
        : m_rq(rq), m_a(a), m_watch(watch), m_deadline(rq.timeoutMs)
    {
    }
    ~Session()
    {
        if (m_ld != nullptr)
            ldap_unbind_ext_s(m_ld, nullptr, nullptr);
    }

    void run()
    {
        m_a.server = m_rq.uri;
        skipSaslPluginsUnlessNeeded(m_rq);
        const int rc = ldap_initialize(&m_ld, m_rq.uri.empty() ? nullptr : m_rq.uri.c_str());
        if (rc != LDAP_SUCCESS || m_ld == nullptr) {
            m_ld = nullptr;
            fail(rc, "");
            return;
        }
        char *uri = nullptr;
        if (ldap_get_option(m_ld, LDAP_OPT_URI, &uri) == LDAP_OPT_SUCCESS && uri != nullptr) {
            m_a.server = uri;
            ldap_memfree(uri);
            const std::lock_guard<std::mutex> lock(m_watch.mutex);
            m_watch.answer.server = m_a.server; // for a caller that stops waiting
        }
        if (!configure() || !connect() || !startTls() || !bind())
            return;
        search();
    }

private:
    bool configure()
    {
        const int version = LDAP_VERSION3;
        ldap_set_option(m_ld, LDAP_OPT_PROTOCOL_VERSION, &version);
        // Referrals would mean more connections than the one this look-up may take.
        ldap_set_option(m_ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
        // Each server of the list gets its share of the time, so that the whole list fits.
        const timeval perServer = m_deadline.timeLeft(serverCount());
        ldap_set_option(m_ld, LDAP_OPT_NETWORK_TIMEOUT, &perServer);
        const timeval api = m_deadline.timeLeft();
        ldap_set_option(m_ld, LDAP_OPT_TIMEOUT, &api);
        return true;
    }

    long long serverCount() const
    {
        long long n = 0;
        bool inWord = false;
        for (const char c : m_a.server) {
            const bool sep = c == ' ' || c == ',' || c == '\t';
            if (!sep && !inWord)
                ++n;
            inWord = !sep;
        }
        return std::max(n, 1LL);
    }

    static int connected(LDAP *, Sockbuf *sb, LDAPURLDesc *srv, sockaddr *, ldap_conncb *ctx)
    {
        auto *self = static_cast<Session *>(ctx->lc_arg);
        self->m_connected = true;
        ber_len_t max = kMaxMessage;
        ber_sockbuf_ctrl(sb, LBER_SB_OPT_SET_MAX_INCOMING, &max);
        ber_socket_t fd = -1;
        if (ber_sockbuf_ctrl(sb, LBER_SB_OPT_GET_FD, &fd) == 1 && fd >= 0) {
            const std::lock_guard<std::mutex> lock(self->m_watch.mutex);
            self->m_watch.socket = fd;
        }
        self->m_tls = srv != nullptr && srv->lud_scheme != nullptr &&
                      std::strcmp(srv->lud_scheme, "ldaps") == 0;
        return 0;
    }
    static void disconnected(LDAP *, Sockbuf *, ldap_conncb *ctx)
    {
        // Before libldap closes it, so that the caller never shuts down a reused number.
        auto *self = static_cast<Session *>(ctx->lc_arg);
        const std::lock_guard<std::mutex> lock(self->m_watch.mutex);
        self->m_watch.socket = -1;
    }

    bool connect()
    {
        // Told when a server has accepted the connection: a failure after that on ldaps:// is
        // the TLS handshake, most often a certificate that is not trusted or not for this name.
        m_callback.lc_add = connected;
        m_callback.lc_del = disconnected;
        m_callback.lc_arg = this;
        ldap_set_option(m_ld, LDAP_OPT_CONNECT_CB, &m_callback);
        const int rc = ldap_connect(m_ld);
        if (rc != LDAP_SUCCESS) {
            if (m_connected && m_tls && !m_timedOut)
                return fail(rc, "", kTlsFailed);
            return fail(rc, "");
        }
        return true;
    }

    bool startTls()
    {
        if (m_rq.startTls == StartTls::No || ldap_tls_inplace(m_ld))
            return true;
        int msgid = 0;
        int rc = ldap_start_tls(m_ld, nullptr, nullptr, &msgid);
        if (rc != LDAP_SUCCESS)
            return fail(rc, "StartTLS: ");
        LDAPMessage *res = nullptr;
        rc = await(msgid, &res);
        if (rc != LDAP_SUCCESS)
            return fail(rc, "StartTLS: ");
        int result = LDAP_OTHER;
        char *diag = nullptr;
        rc = ldap_parse_result(m_ld, res, &result, nullptr, &diag, nullptr, nullptr, 1);
        const std::string message = diag ? diag : "";
        ldap_memfree(diag);
        if (rc != LDAP_SUCCESS)
            return fail(rc, "StartTLS: ");
        if (result != LDAP_SUCCESS) {
            // "yes" goes on in plain text only when the server does not offer TLS at all.
            if (m_rq.startTls == StartTls::Yes)
                return true;
            return fail(result, "StartTLS: ", message);
        }
        // A certificate that fails verification ends the look-up, never plain text.
        rc = ldap_install_tls(m_ld);
        if (rc != LDAP_SUCCESS)
            return fail(rc, "StartTLS: ", kTlsFailed);
        return true;
    }

    static int interact(LDAP *, unsigned, void *, void *list)
    {
        // Nothing to ask: GSSAPI takes the login's ticket, EXTERNAL the connection's identity.
        for (auto *in = static_cast<sasl_interact_t *>(list); in->id != SASL_CB_LIST_END; ++in) {
            const char *value = in->defresult ? in->defresult : "";
            in->result = value;
            in->len = static_cast<unsigned>(std::strlen(value));
        }
        return LDAP_SUCCESS;
    }

    bool bind()
    {
        switch (m_rq.bind) {
        case Bind::Anonymous:
            return true; // LDAPv3 needs no bind for that, and it saves a round trip
        case Bind::Simple: {
            berval cred{};
            cred.bv_val = const_cast<char *>(m_rq.password.data());
            cred.bv_len = m_rq.password.size();
            int msgid = 0;
            int rc = ldap_sasl_bind(m_ld, m_rq.bindDn.c_str(), LDAP_SASL_SIMPLE, &cred, nullptr,
                                    nullptr, &msgid);
            if (rc != LDAP_SUCCESS)
                return fail(rc, "bind: ");
            LDAPMessage *res = nullptr;
            rc = await(msgid, &res);
            if (rc != LDAP_SUCCESS)
                return fail(rc, "bind: ");
            return checkResult(res, "bind: ");
        }
        case Bind::Sasl: {
            LDAPMessage *res = nullptr;
            const char *rmech = nullptr;
            int msgid = 0;
            int rc = LDAP_SASL_BIND_IN_PROGRESS;
            while (true) {
                rc = ldap_sasl_interactive_bind(m_ld, nullptr, m_rq.saslMech.c_str(), nullptr,
                                                nullptr, LDAP_SASL_QUIET, interact, nullptr, res,
                                                &rmech, &msgid);
                ldap_msgfree(res);
                res = nullptr;
                if (rc != LDAP_SASL_BIND_IN_PROGRESS)
                    break;
                rc = await(msgid, &res);
                if (rc != LDAP_SUCCESS)
                    break;
            }
            if (rc != LDAP_SUCCESS)
                return fail(rc, "bind: ");
            return true;
        }
        }
        return fail(LDAP_PARAM_ERROR, "bind: ");
    }

    void search()
    {
        char *attrs[] = {const_cast<char *>(m_rq.attribute.c_str()), nullptr};
        timeval limit = m_deadline.timeLeft();
        if (limit.tv_usec > 0) { // the server counts whole seconds
            ++limit.tv_sec;
            limit.tv_usec = 0;
        }
        int msgid = 0;
        int rc = ldap_search_ext(m_ld, m_rq.base.empty() ? nullptr : m_rq.base.c_str(),
                                 LDAP_SCOPE_SUBTREE, m_rq.filter.c_str(), attrs, 0, nullptr,
                                 nullptr, &limit, kEntriesCounted, &msgid);
        if (rc != LDAP_SUCCESS) {
            fail(rc, "search: ");
            return;
        }
        int entries = 0;
        while (true) {
            LDAPMessage *msg = nullptr;
            rc = await(msgid, &msg, LDAP_MSG_ONE);
            if (rc != LDAP_SUCCESS) {
                fail(rc, "search: ");
                return;
            }
            const int type = ldap_msgtype(msg);
            if (type == LDAP_RES_SEARCH_ENTRY) {
                // Only the first is taken; the others are counted for the line.
                if (++entries == 1)
                    takeEntry(msg);
                ldap_msgfree(msg);
                m_a.entries = entries;
                continue;
            }
            if (type != LDAP_RES_SEARCH_RESULT) { // references are not followed
                ldap_msgfree(msg);
                continue;
            }
            int result = LDAP_OTHER;
            char *diag = nullptr;
            rc = ldap_parse_result(m_ld, msg, &result, nullptr, &diag, nullptr, nullptr, 1);
            const std::string message = diag ? diag : "";
            ldap_memfree(diag);
            if (rc != LDAP_SUCCESS) {
                fail(rc, "search: ");
            } else if (result == LDAP_SIZELIMIT_EXCEEDED && entries >= 1) {
                m_a.outcome = Answer::Outcome::Ambiguous;
                m_a.moreEntries = true;
            } else if (result != LDAP_SUCCESS) {
                fail(result, "search: ", message);
            } else if (entries > 1) {
                m_a.outcome = Answer::Outcome::Ambiguous;
            } else {
                m_a.outcome = entries == 1 ? Answer::Outcome::Found : Answer::Outcome::NoEntry;
            }
            return;
        }
    }

    void takeEntry(LDAPMessage *entry)
    {
        if (char *dn = ldap_get_dn(m_ld, entry)) {
            m_a.dn = dn;
            ldap_memfree(dn);
        }
        berval **values = ldap_get_values_len(m_ld, entry, m_rq.attribute.c_str());
        if (values != nullptr && values[0] != nullptr) {
            m_a.hasValue = true;
            m_a.value.assign(values[0]->bv_val,
                             std::min<std::size_t>(values[0]->bv_len, kMaxValue));
        }
        ldap_value_free_len(values);
    }

    // Waits for the answer to msgid until the deadline; abandons it when the time is up.
    int await(int msgid, LDAPMessage **res, int all = LDAP_MSG_ALL)
    {
        *res = nullptr;
        if (m_deadline.passed())
            return timedOut(msgid);
        timeval tv = m_deadline.timeLeft();
        errno = 0;
        const int type = ldap_result(m_ld, msgid, all, &tv, res);
        const int readError = errno;
        if (type == 0)
            return timedOut(msgid);
        if (type < 0 || *res == nullptr) {
            // liblber refuses a message over the connection's limit with ERANGE.
            if (type < 0 && readError == ERANGE) {
                m_tooLarge = true;
                return LDAP_SERVER_DOWN;
            }
            int rc = LDAP_OTHER;
            ldap_get_option(m_ld, LDAP_OPT_RESULT_CODE, &rc);
            return rc == LDAP_SUCCESS ? LDAP_OTHER : rc;
        }
        return LDAP_SUCCESS;
    }

    int timedOut(int msgid)
    {
        ldap_abandon_ext(m_ld, msgid, nullptr, nullptr);
        m_timedOut = true;
        return LDAP_TIMEOUT;
    }

    bool checkResult(LDAPMessage *res, const char *stage)
    {
        int result = LDAP_OTHER;
        char *diag = nullptr;
        const int rc = ldap_parse_result(m_ld, res, &result, nullptr, &diag, nullptr, nullptr, 1);
        const std::string message = diag ? diag : "";
        ldap_memfree(diag);
        if (rc != LDAP_SUCCESS)
            return fail(rc, stage);
        if (result != LDAP_SUCCESS)
            return fail(result, stage, message);
        return true;
    }

    bool fail(int rc, const char *stage, std::string detail = {})
    {
        if (detail.empty() && m_ld != nullptr) {
            char *diag = nullptr;
            if (ldap_get_option(m_ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diag) == LDAP_OPT_SUCCESS &&
                diag != nullptr) {
                // GnuTLS leaves only this behind, which tells nothing.
                if (std::strcmp(diag, "(unknown error code)") != 0)
                    detail = diag;
                ldap_memfree(diag);
            }
        }
        m_a.outcome = Answer::Outcome::Failed;
        if (m_tooLarge) {
            m_a.reason = std::string(stage) + "the server's answer is larger than 1 MiB";
            return false;
        }
        m_a.reason = std::string(stage) + ldap_err2string(rc);
        if (m_timedOut || rc == LDAP_TIMEOUT)
            m_a.reason += noAnswerWithin(m_rq.timeoutMs);
        else if (!detail.empty() && detail != ldap_err2string(rc))
            m_a.reason += " (" + detail + ")";
        return false;
    }

    const Request &m_rq;
    Answer &m_a;
    Watch &m_watch;
    Deadline m_deadline;
    LDAP *m_ld = nullptr;
    ldap_conncb m_callback{};
    bool m_connected = false;
    bool m_tls = false;
    bool m_timedOut = false;
    bool m_tooLarge = false;
};

} // namespace

std::string noAnswerWithin(int ms)
{
    const std::string whole = std::to_string(ms / 1000);
    const std::string tenths = ms % 1000 >= 100 ? "." + std::to_string(ms % 1000 / 100) : "";
    return " (no answer within " + whole + tenths + " s)";
}

void runSession(const Request &rq, Answer &answer, Watch &watch)
{
    Session session(rq, answer, watch);
    session.run();
}

} // namespace ldaplookup
