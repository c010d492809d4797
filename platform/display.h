#pragma once
// Whether there is a desktop to open a window on, asked before the video system starts so that
// a missing one is named plainly. One implementation per system (display_posix.cpp,
// display_windows.cpp).

namespace display {

// True when the session plainly has no display server to ask.
bool serverMissing();

// The video driver that draws nowhere, for the hidden contexts (the capture, the tests): SDL's
// "offscreen" where it has one that works (EGL), else null: a hidden window of the system's own.
const char* hiddenDriver();

}  // namespace display
