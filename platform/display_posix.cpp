#include "platform/display.h"

#include <cstdlib>

namespace display {

bool serverMissing() { return !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"); }

const char* hiddenDriver() { return "offscreen"; }

}  // namespace display
