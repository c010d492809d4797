// The demo: opens the window, loads what the show needs, starts the music and plays until
// Escape or a close (exit 0), the end of the show (exit 1; with --loop it starts over) or
// SIGINT, SIGTERM or SIGHUP (exit 128 + the signal, also during start-up). Every exit path
// puts the desktop's display mode and cursor back first. See demoUsage() for the command line.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/demo_options.h"
#include "app/main_loop.h"
#include "app/show_start_state.h"
#include "app/soundtrack_location.h"
#include "app/startup.h"
#include "audio/music.h"
#include "platform/demo_window.h"
#include "platform/stop_signals.h"
#include "platform/drawing_surface.h"
#include "timeline/demo_script.h"

namespace {

DemoClock demoClock;
FrameTimer frameTimer;
Show show;

constexpr int kExitNoDisplay = 2;
constexpr int kExitNoMusic = 1;

// A sharp show is never drawn smaller than this, however small the window gets.
constexpr int kSmallestSharpWidth = 160;

int fail(const std::string& message, int code) {
    std::fprintf(stderr, "invitation: %s\n", message.c_str());
    return code;
}

// The frame rate the show would have had over the frames it skips: the display's refresh
// with vsync, else the pacer's limit.
double fastForwardRate(const DemoWindow& window, bool vsync) {
    const int refresh = window.refreshRate();
    return vsync && refresh > 0 && refresh < kFramePacingRate ? refresh : kFramePacingRate;
}

// Brings the show's state to `seconds` by running the script over the frames before it, at
// `rate` frames per second, touching no pixel. The first frame shown is then the one the show
// has at that time. Reaching a late start takes seconds, so a stop signal cuts it short.
void fastForward(DemoScript& script, DrawingSurface& surface, double seconds, double rate) {
    surface.setRasterising(false);
    for (long frame = 0; frame / rate < seconds && !stopsignals::caught(); ++frame) {
        demoClock.demoTime = frame / rate;
        script.renderFrame();
    }
    surface.setRasterising(true);
    demoClock.demoTime = seconds;
}

// The surface follows the window's width x height (straight into it at the frame's own size,
// else scaled); with --sharp the frame itself follows the letterboxed area of the window.
void fitSurface(int width, int height, DrawingSurface& surface, bool sharp) {
    const FrameSize wanted = FrameSize::fitting(width, height);
    if (sharp && surface.canScale() && wanted.width >= kSmallestSharpWidth) show.frame = wanted;
    std::string why;
    if (!surface.fit(show.frame, width, height, &why))
        std::fprintf(stderr, "invitation: %s; drawing straight into the window\n", why.c_str());
}

// After the loop, or instead of it when a stop signal came first: the desktop before anything
// else, and a word when a signal ended the show, so whoever sent it sees it was taken.
int shutDown(DemoWindow& window, int exitCode) {
    window.restoreDesktop();
    stopMusic();
    delete showState.displaySettings;
    showState.displaySettings = nullptr;
    releaseShow(show);
    if (const int signal = stopsignals::signalOfExitCode(exitCode))
        std::fprintf(stderr, "invitation: stopped by %s\n", stopsignals::name(signal));
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    const ProgramInfo program{"invitation", demoUsage()};
    const int helpCode = handleHelpAndVersion(program, argc, argv);
    if (helpCode >= 0) return helpCode;
    DemoOptions options;
    std::string error = parseDemoOptions(argc, argv, options);
    if (!error.empty()) return usageError(program, error);

    // Before the window: without its music there is no show, and no reason to touch the display.
    const SoundtrackLocation soundtrack = findSoundtrack();
    if (soundtrack.path.empty()) return fail(soundtrack.places, kExitNoMusic);

    catchStopSignals();
    options.window.pixelBits = showState.displaySettings->bitsPerPixel;
    std::unique_ptr<DemoWindow> window(
        createDemoWindow(800, 600, 32, "klasa_okna", "demo engine", &error, options.window));
    if (!window) return fail(error, kExitNoDisplay);
    if (!window->note().empty()) std::fprintf(stderr, "invitation: %s\n", window->note().c_str());
    // Loading takes a fraction of a second: a signal caught meanwhile is acted on after it.
    error = loadShow(show);
    if (const int signal = stopsignals::caught()) return shutDown(*window, stopsignals::exitCodeFor(signal));
    if (!error.empty()) return fail(error, kExitNoDisplay);
    DrawingSurface surface;
    int width = 0, height = 0;
    window->drawableSize(width, height);
    fitSurface(width, height, surface, options.sharp);

    const std::unique_ptr<ShowStartState> startState(options.loop ? new ShowStartState(show) : nullptr);
    std::optional<DemoScript> script(std::in_place, demoClock, show);
    if (options.start > 0.0) {
        // Seconds of waiting for a late start: worth a word before the screen stays dark.
        std::fprintf(stderr, "invitation: bringing the show to %.1f s\n", options.start);
        fastForward(*script, surface, options.start, fastForwardRate(*window, options.window.vsync));
        if (const int signal = stopsignals::caught()) return shutDown(*window, stopsignals::exitCodeFor(signal));
    }

    window->show();
    if (startMusic(soundtrack.path.c_str(), options.start) != 0) return shutDown(*window, kExitNoMusic);

    bool startOver = false;
    const FrameHooks hooks{
        [&] {
            if (startOver) {
                // As after start-up: the same state, the clock at 0, the music from its start.
                startState->restore(show);
                demoClock = DemoClock{};
                script.emplace(demoClock, show);
                seekMusic(0.0);
                startOver = false;
            }
            window->drawableSize(width, height);
            fitSurface(width, height, surface, options.sharp);
            surface.bind();
            script->renderFrame();
            surface.present(width, height);
            if (!script->quitRequested()) return;
            if (options.loop)
                startOver = true;
            else
                postQuitMessage(script->quitCode());
        },
        [] { return musicTimeSeconds(); },
    };
    return shutDown(*window, runMainLoop(*window, demoClock, frameTimer, hooks));
}
