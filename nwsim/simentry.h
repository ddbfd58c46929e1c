#pragma once

#include "simcore.h"

#include <string>

// A configured failure answers before the entry point does anything.
#define NWSIM_CONFIGURED_FAILURE(name)                                                             \
    if (const auto configured = ::nwsim::failure(#name))                                           \
        return ::nwsim::logged(#name, *configured, "configured");

inline std::string quoted(const std::string &text)
{
    return "\"" + text + "\"";
}
