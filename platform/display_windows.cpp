#include "platform/display.h"

namespace display {

// Every Windows session has a desktop; a service's hidden one fails at the window instead.
bool serverMissing() { return false; }

// SDL's offscreen driver needs EGL, which Windows' OpenGL drivers do not offer.
const char* hiddenDriver() { return nullptr; }

}  // namespace display
