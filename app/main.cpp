// The demo: opens the full-screen window, loads what the show needs, starts the music and
// plays until Escape or a close (exit 0) or the end of the show (exit 1). No command line.
// Every exit path puts the desktop's display mode and cursor back first.
#include <cstdio>
#include <memory>
#include <string>

#include "app/main_loop.h"
#include "app/startup.h"
#include "audio/music.h"
#include "platform/demo_window.h"
#include "timeline/demo_script.h"

namespace {

DemoClock demoClock;
FrameTimer frameTimer;
Show show;

constexpr int kExitNoDisplay = 2;
constexpr int kExitNoMusic = 1;

}  // namespace

int main() {
    std::string error;
    std::unique_ptr<DemoWindow> window(createDemoWindow(800, 600, 32, "klasa_okna", "demo engine", &error));
    if (!window) {
        std::fprintf(stderr, "demo: %s\n", error.c_str());
        return kExitNoDisplay;
    }
    error = loadShow(show);
    if (!error.empty()) {
        std::fprintf(stderr, "demo: %s\n", error.c_str());
        return kExitNoDisplay;
    }
    window->show();
    if (startMusic("inv2.mp3") != 0) return kExitNoMusic;

    // Made after start-up: the first finale backdrop is read when the script is created.
    DemoScript script(demoClock, show);
    const FrameHooks hooks{
        [&] {
            script.renderFrame();
            if (script.quitRequested()) postQuitMessage(script.quitCode());
        },
        [] { return musicTimeSeconds(); },
    };
    const int exitCode = runMainLoop(*window, demoClock, frameTimer, hooks);
    window->restoreDesktop();
    stopMusic();
    delete displaySettings;
    displaySettings = nullptr;
    releaseShow(show);
    return exitCode;
}
