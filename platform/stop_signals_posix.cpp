#include "platform/stop_signals.h"

#include <csignal>
#include <initializer_list>

namespace stopsignals {
namespace {

volatile std::sig_atomic_t recorded = 0;

extern "C" void record(int signal) { recorded = signal; }

}  // namespace

void install(SecondSignal second) {
    struct sigaction action {};
    action.sa_handler = record;
    sigemptyset(&action.sa_mask);
    // System calls carry on after the handler (a frame half-written to a pipe is not cut
    // short): the record is looked at between frames.
    action.sa_flags = SA_RESTART | (second == SecondSignal::Ends ? SA_RESETHAND : 0);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        sigaction(signal, nullptr, &previous);
        if (previous.sa_handler != SIG_IGN) sigaction(signal, &action, nullptr);
    }
}

void ignoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

int caught() { return recorded; }

// A signal that lands between the read and the reset is lost; the first one already stops.
int take() {
    const int signal = recorded;
    recorded = 0;
    return signal;
}

const char* name(int signal) {
    switch (signal) {
        case SIGINT: return "SIGINT";
        case SIGTERM: return "SIGTERM";
        case SIGHUP: return "SIGHUP";
        default: return "a signal";
    }
}

}  // namespace stopsignals
