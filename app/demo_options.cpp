#include "app/demo_options.h"

#include "app/command_line.h"
#include "timeline/demo_clock.h"

namespace {

bool looksLikeSize(const char* text) { return text && text[0] >= '0' && text[0] <= '9'; }

}  // namespace

const char* demoUsage() {
    return "usage: invitation [--window [WxH]] [--mode-switch] [--no-vsync] [--sharp] [--start SECONDS] [--loop]\n"
           "  (default)        full screen at the desktop's own resolution, the show scaled to fit\n"
           "  --window [WxH]   a resizable window, 800x600 unless given\n"
           "  --mode-switch    switch the display to 800x600 where it offers that mode\n"
           "  --no-vsync       do not wait for the display's refresh\n"
           "  --sharp          render at the screen's resolution instead of scaling 800x600 up\n"
           "  --start SECONDS  start the show (and the music) there, 0 to 175.5\n"
           "  --loop           start over at the end; Esc ends\n"
           "  --help           this text\n"
           "  --version        the version\n"
           "  F11 or Alt+Enter switches between full screen and a window; Esc ends the show.\n"
           "The soundtrack inv2.mp3 is played from the working directory, else from the installed\n"
           "  data folder (PREFIX/share/invitation).\n"
           "exit codes: 0 after Esc or a close; 1 at the end of the show, or without inv2.mp3;\n"
           "  2 for a bad command line or no display; 128 + the signal after SIGINT (130),\n"
           "  SIGTERM (143) or SIGHUP (129), which end the show like a close.\n";
}

std::string parseDemoOptions(int argc, char** argv, DemoOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--window") {
            options.window.mode = DisplayMode::Window;
            if (i + 1 < argc && looksLikeSize(argv[i + 1])) {
                const std::string size = argv[++i];
                int& width = options.window.windowWidth;
                int& height = options.window.windowHeight;
                if (!parsePixelSize(size, width, height) || !withinPixelLimits(width, height))
                    return "--window: not a size from 160x120 to 7680x4320: " + size;
            }
        } else if (flag == "--mode-switch") {
            options.window.mode = DisplayMode::ModeSwitch;
        } else if (flag == "--no-vsync") {
            options.window.vsync = false;
        } else if (flag == "--sharp") {
            options.sharp = true;
        } else if (flag == "--loop") {
            options.loop = true;
        } else if (flag == "--start") {
            if (i + 1 >= argc) return "--start needs a value";
            const char* value = argv[++i];
            if (!parseNumber(value, options.start) || options.start < 0.0 || showIsOver(options.start))
                return std::string("--start: not a time from 0 to 175.5 seconds: ") + value;
        } else if (flag == "--") {
            // Ends the options; the demo takes nothing else.
            if (i + 1 < argc) return "unexpected argument \"" + std::string(argv[i + 1]) + "\"";
        } else if (looksLikeOption(argv[i])) {
            return "unknown option " + flag;
        } else {
            return "unexpected argument \"" + flag + "\"";
        }
    }
    return {};
}
