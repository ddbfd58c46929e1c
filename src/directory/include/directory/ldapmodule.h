#pragma once

// The interface of the LDAP module, loaded at run time only when the source is LDAP, so that
// the other sources never map libldap. Plain data both ways: the module connects, binds and
// searches; parsing and conversion stay in the directory layer, where they are tested.

#include "platform/module.h"

#include <string>

namespace directory::ldapmodule {

// Raised whenever Request, Answer or the entry change, so that a stale module is refused.
inline constexpr platform::ModuleInterface kInterface{"LDAP module", 3};

inline constexpr char kFileName[] = "libdaypane-ldap.so";
inline constexpr char kEntryName[] = "daypane_ldap_lookup";

enum class Bind : int { Anonymous, Simple, Sasl };
enum class StartTls : int { No, Yes, Demand };

struct Request
{
    std::string uri;       // empty: ldap.conf's URI
    std::string base;      // empty: ldap.conf's BASE
    std::string filter;    // complete, the login name already escaped
    std::string attribute; // the one attribute asked for
    Bind bind = Bind::Anonymous;
    std::string bindDn;
    std::string password;
    std::string saslMech;
    StartTls startTls = StartTls::No;
    int timeoutMs = 3000; // connect, bind and search together
};

struct Answer
{
    enum class Outcome : int { Found, NoEntry, Ambiguous, Failed };
    Outcome outcome = Outcome::Failed;
    int entries = 0;          // the entries the search found (Ambiguous: two or more)
    bool moreEntries = false; // the server stopped at a size limit: there are more
    std::string dn;
    bool hasValue = false;
    std::string value;  // the attribute's first value as the server sent it
    std::string server; // the address for the error line
    std::string reason; // why it failed
};

// void daypane_ldap_lookup(const Request *, Answer *): one connection, one bind, one search.
// It never throws.
using LookupFunction = void(const Request *, Answer *);

} // namespace directory::ldapmodule
