#include "platform/display.h"

namespace display {

// Every Windows session has a desktop; a service's hidden one fails at the window instead.
bool serverMissing() { return false; }

}  // namespace display
