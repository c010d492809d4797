// The command line of the demo: how the show reaches the screen, and where it starts.
//
//   demo [--window [WxH]] [--mode-switch] [--no-vsync] [--sharp] [--start SECONDS] [--loop]
//
// Times are seconds of music; sizes are pixels.
#pragma once

#include <string>

#include "platform/demo_window.h"

struct DemoOptions {
    WindowDescription window{DisplayMode::Desktop};
    bool sharp = false;       // render at the letterboxed size instead of scaling 800x600 up
    double start = 0.0;       // music position of the first frame shown
    bool loop = false;        // start over at the end instead of leaving
};

// Returns an error text naming the flag, empty when the arguments were understood. --help
// and --version are the caller's (they end the program before this runs).
std::string parseDemoOptions(int argc, char** argv, DemoOptions& options);
const char* demoUsage();
