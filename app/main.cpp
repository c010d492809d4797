// The demo: opens the window, loads what the show needs, starts the music and plays until
// Escape or a close (exit 0), the end of the show (exit 1; with --loop it starts over) or
// SIGINT, SIGTERM or SIGHUP (exit 128 + the signal, also during start-up). Every exit path
// puts the desktop's display mode and cursor back first. See demoUsage() for the command line.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/demo_options.h"
#include "app/late_start.h"
#include "app/main_loop.h"
#include "app/program_console.h"
#include "app/show_start_state.h"
#include "app/soundtrack_location.h"
#include "app/startup.h"
#include "audio/music.h"
#include "platform/demo_window.h"
#include "platform/stop_signals.h"
#include "gl/drawing_surface.h"
#include "gl/frame_size.h"
#include "timeline/demo_script.h"

namespace {

constexpr int kExitNoDisplay = 2;
constexpr int kExitStartFailed = 2;
constexpr int kExitNoMusic = 1;

// A sharp show is never drawn smaller than this, however small the window gets.
constexpr int kSmallestSharpWidth = 160;

int fail(const std::string& message, int code) {
    std::fprintf(stderr, "invitation: %s\n", message.c_str());
    return code;
}

// Tests name a start-up step here (soundtrack, window, load, music) to make it fail as it would
// on a machine that lacks what the step needs; with it set, the shutdown says it ran, so a test
// sees every way out take it with the step's own exit code. Nobody else sets it.
const char* const kFailAtVariable = "INVITATION_TEST_FAIL_AT";

std::optional<int> injectedFailure(const char* step, int code) {
    const char* asked = std::getenv(kFailAtVariable);
    if (!asked || std::strcmp(asked, step) != 0) return std::nullopt;
    return fail(std::string(step) + " failed (" + kFailAtVariable + ")", code);
}

// Tests that look at the wait before a late start slow it down here to a millisecond a frame (an
// old machine's pace), or it would be over before they look; nobody else sets it.
std::chrono::microseconds waitFrameDelay() {
    return std::getenv("INVITATION_TEST_SLOW_WAIT") ? std::chrono::milliseconds(1) : std::chrono::microseconds(0);
}

// The frame rate the show would have had over the frames it skips: the display's refresh
// with vsync, else the pacer's limit.
double fastForwardRate(const DemoWindow& window, bool vsync) {
    const int refresh = window.refreshRate();
    return vsync && refresh > 0 && refresh < kFramePacingRate ? refresh : kFramePacingRate;
}

// The surface follows the window's width x height (straight into it at the frame's own size,
// else scaled); with --sharp the frame itself follows the letterboxed area of the window.
void fitSurface(int width, int height, DrawingSurface& surface, Show& show, bool sharp) {
    const FrameSize wanted = FrameSize::fitting(width, height);
    if (sharp && surface.canScale() && wanted.width >= kSmallestSharpWidth) show.frame = wanted;
    std::string why;
    if (!surface.fit(show.frame, width, height, &why))
        std::fprintf(stderr, "invitation: %s; drawing straight into the window\n", why.c_str());
}

// Start-up, the wait for a late start and the show, up to the exit code, whichever way they
// end: every return here is followed by the caller's shutDown. The window, once made, is left
// in `window` for it.
int play(DemoOptions options, Show& show, std::unique_ptr<DemoWindow>& window) {
    // Before the window: without its music there is no show, and no reason to touch the display.
    const SoundtrackLocation soundtrack = findSoundtrack();
    if (soundtrack.path.empty()) return fail(soundtrack.places, kExitNoMusic);
    if (const std::optional<int> code = injectedFailure("soundtrack", kExitNoMusic)) return *code;

    catchStopSignals();
    options.window.pixelBits = show.state.displaySettings.bitsPerPixel;
    if (const std::optional<int> code = injectedFailure("window", kExitNoDisplay)) return *code;
    std::string error;
    window.reset(createDemoWindow(FrameSize::kDesignWidth, FrameSize::kDesignHeight, 32, "klasa_okna", "demo engine",
                                  &error, options.window));
    if (!window) return fail(error, kExitNoDisplay);
    if (!window->note().empty()) std::fprintf(stderr, "invitation: %s\n", window->note().c_str());
    // Loading takes a fraction of a second: a signal caught meanwhile is acted on after it.
    error = loadShow(show);
    if (const int signal = stopsignals::caught()) return stopsignals::exitCodeFor(signal);
    if (!error.empty()) return fail(error, kExitStartFailed);
    if (const std::optional<int> code = injectedFailure("load", kExitStartFailed)) return *code;
    DrawingSurface surface;
    int width = 0, height = 0;
    window->drawableSize(width, height);
    fitSurface(width, height, surface, show, options.sharp);

    DemoClock demoClock;
    FrameTimer frameTimer;
    const std::unique_ptr<ShowStartState> startState(options.loop ? new ShowStartState(show) : nullptr);
    std::optional<DemoScript> script(std::in_place, demoClock, show);
    window->show();
    if (options.start > 0.0) {
        const double rate = fastForwardRate(*window, options.window.vsync);
        if (const std::optional<int> code = bringShowForward(*window, *script, demoClock, surface, options.start, rate,
                                                                       waitFrameDelay()))
            return *code;
    }

    if (const std::optional<int> code = injectedFailure("music", kExitNoMusic)) return *code;
    // Music shorter than the show, or a start past its end, leaves the show to its own end.
    if (startMusic(soundtrack.path.c_str(), options.start, MusicEnd::ClockRunsOn) != 0) return kExitNoMusic;

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
            fitSurface(width, height, surface, show, options.sharp);
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
    return runMainLoop(*window, demoClock, frameTimer, hooks);
}

// The one way out, whatever ended the run: the desktop before anything else, and a word when a
// signal ended the show, so whoever sent it sees it was taken. Without a window (start-up
// ended before it was made) there is no desktop to put back.
int shutDown(DemoWindow* window, Show& show, int exitCode) {
    if (window) window->restoreDesktop();
    stopMusic();
    releaseShow(show);
    if (const int signal = stopsignals::signalOfExitCode(exitCode))
        std::fprintf(stderr, "invitation: stopped by %s\n", stopsignals::name(signal));
    if (std::getenv(kFailAtVariable))
        std::fprintf(stderr, "invitation: shut down (%s), exit code %d\n",
                     window ? "desktop restored" : "no window was made", exitCode);
    return exitCode;
}

int run(int argc, char** argv) {
    const ProgramInfo program{"invitation", demoUsage()};
    const int helpCode = handleHelpAndVersion(program, argc, argv);
    if (helpCode >= 0) return helpCode;
    DemoOptions options;
    const std::string error = parseDemoOptions(argc, argv, options);
    if (!error.empty()) return usageError(program, error);

    // Made before the window, so it is gone only after the window. shutDown releases its GL
    // objects; after Escape, a close or a signal the window's destroy has already released the
    // context, and those deletes go to no context at all: the driver freed the objects with it.
    Show show;
    std::unique_ptr<DemoWindow> window;
    const int exitCode = play(options, show, window);
    return shutDown(window.get(), show, exitCode);
}

}  // namespace

int main(int argc, char** argv) {
    programconsole::attach();
    return programconsole::finish("invitation", run(argc, argv));
}
