// A module for the loader's tests, built with the stamp each case needs.
#include "platform/module.h"

#ifdef STAMP_NAME
DAYPANE_MODULE_STAMP((platform::ModuleInterface{STAMP_NAME, STAMP_VERSION}));
#endif

extern "C" Q_DECL_EXPORT int test_module_answer()
{
    return 42;
}
