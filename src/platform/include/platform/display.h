#pragma once

namespace platform {

// Whether a graphical session can be reached, asked without loading any GUI library beyond
// a connection probe. Always true when a Qt platform plugin is chosen explicitly.
bool displayAvailable();

} // namespace platform
