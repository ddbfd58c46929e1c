// A module left from another build of the program: it states an interface version that this
// build does not have. Were its entry ever called, the run would say so and end with 99.
#include "app/phasetwo.h"

#include <cstdio>

DAYPANE_MODULE_STAMP((platform::ModuleInterface{kPhaseTwoInterface.name,
                                                kPhaseTwoInterface.version - 1}));

extern "C" Q_DECL_EXPORT int daypane_phase_two(const PhaseTwoCall *)
{
    std::fputs("the stale window module was called\n", stderr);
    return 99;
}
