#pragma once
// Whether there is a desktop to open a window on, asked before the video system starts so that
// a missing one is named plainly. One implementation per system (display_posix.cpp,
// display_windows.cpp).

namespace display {

// True when the session plainly has no display server to ask.
bool serverMissing();

}  // namespace display
