#pragma once
// How the programs here stop when asked to by a signal: SIGINT (Ctrl-C), SIGTERM (kill, a
// service manager) and SIGHUP (the terminal went away). On Windows the console's control
// events stand for them: Ctrl-C is SIGINT, Ctrl-Break SIGBREAK, and the console's close, a
// log-off or a shut-down SIGTERM (stop_signals_windows.cpp). The handler only records the signal;
// the program looks at the record between frames and ends the way it ends on its own
// (desktop restored, files finished) with exit code 128 + the signal, so a caller can tell
// a stop from a normal end. Plain POSIX: no SDL here, but a program that uses SDL must
// install these before SDL starts, or turn SDL's own handlers off, since SDL turns SIGINT
// and SIGTERM into a quit event that looks like a window being closed.

namespace stopsignals {

enum class SecondSignal {
    Recorded,  // a second signal is recorded like the first
    Ends,      // a second signal takes its default action: a stop that hangs can still be forced
};

// A signal ignored when the program started (nohup, a script's background job) stays
// ignored: whoever started the program meant it to pass by.
void install(SecondSignal second = SecondSignal::Recorded);

// The signal recorded, 0 when none.
int caught();
// The same, and forgets it, for a caller that hands it on once.
int take();

// A write into a pipe whose reader has gone fails with EPIPE instead of ending the program.
void ignoreBrokenPipes();

constexpr int exitCodeFor(int signal) { return 128 + signal; }
// The signal behind such an exit code; 0 for the program's own codes.
constexpr int signalOfExitCode(int code) { return code > 128 ? code - 128 : 0; }

// "SIGINT", "SIGTERM", "SIGHUP"; "a signal" for any other.
const char* name(int signal);

}  // namespace stopsignals
