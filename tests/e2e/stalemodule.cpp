// A module left from another build of the program: it states an interface version that this
// build does not have. Were its entry ever called, the run would say so and end with 99.
#include "app/phasetwo.h"
#include "directory/ldapmodule.h"

#include <cstdio>

#ifdef STALE_WINDOW_MODULE
DAYPANE_MODULE_STAMP((platform::ModuleInterface{kPhaseTwoInterface.name,
                                                kPhaseTwoInterface.version - 1}));

extern "C" Q_DECL_EXPORT int daypane_phase_two(const PhaseTwoCall *)
{
    std::fputs("the stale window module was called\n", stderr);
    return 99;
}
#else
DAYPANE_MODULE_STAMP((platform::ModuleInterface{directory::ldapmodule::kInterface.name,
                                                directory::ldapmodule::kInterface.version - 1}));

extern "C" Q_DECL_EXPORT void daypane_ldap_lookup(const directory::ldapmodule::Request *,
                                                  directory::ldapmodule::Answer *)
{
    std::fputs("the stale LDAP module was called\n", stderr);
    std::_Exit(99);
}
#endif
