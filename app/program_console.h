#pragma once
// Where a program's messages go when it may have no console of its own. On Windows the demo is
// a windowed program, so that no console window opens when it is double-clicked: it writes to
// the console or redirection of whoever started it, and when there is none it shows what it
// had to say about a failed run in a message box (program_console_windows.cpp). Elsewhere
// standard error is always there and these do nothing (program_console_posix.cpp).

namespace programconsole {

// First thing in main: connects standard output and error to the starter's console, or keeps
// what is written to them for `finish`.
void attach();

// Last thing in main: when the messages had nowhere to go and the run failed (a non-zero
// `exitCode` with something said), shows them in a box titled `program`. Returns `exitCode`.
int finish(const char* program, int exitCode);

}  // namespace programconsole
