#include "platform/stop_signals.h"

#include <windows.h>

#include <csignal>

namespace stopsignals {
namespace {

volatile LONG recorded = 0;
bool endOnSecond = false;

int signalFor(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT: return SIGINT;
        case CTRL_BREAK_EVENT: return SIGBREAK;
        default: return SIGTERM;  // the console's close, a log-off, a shut-down
    }
}

// Runs on a thread of its own that Windows starts for the event. Returning TRUE from a close,
// log-off or shut-down lets Windows end the process at once, so for those it waits here while
// the main thread finishes what it has (Windows allows a few seconds).
BOOL WINAPI record(DWORD event) {
    const LONG before = InterlockedExchange(&recorded, signalFor(event));
    if (before != 0 && endOnSecond) return FALSE;  // the default: the process ends now
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) Sleep(INFINITE);
    return TRUE;
}

}  // namespace

void install(SecondSignal second) {
    endOnSecond = second == SecondSignal::Ends;
    SetConsoleCtrlHandler(record, TRUE);
}

// Windows raises no signal on a broken pipe: the write fails with EPIPE already.
void ignoreBrokenPipes() {}

int caught() { return static_cast<int>(recorded); }

int take() { return static_cast<int>(InterlockedExchange(&recorded, 0)); }

const char* name(int signal) {
    switch (signal) {
        case SIGINT: return "Ctrl-C";
        case SIGBREAK: return "Ctrl-Break";
        case SIGTERM: return "the console's close";
        default: return "a signal";
    }
}

}  // namespace stopsignals
