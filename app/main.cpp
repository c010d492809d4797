// The demo: opens the full-screen window, loads what the show needs, starts the music and
// plays until Escape (exit 0) or the end of the show (exit 1). No command line.
#include <cstdio>
#include <string>

#include "app/main_loop.h"
#include "audio/music.h"
#include "platform/demo_window.h"
#include "timeline/demo_script.h"

namespace {

DemoClock demoClock;
FrameTimer frameTimer;
DemoScript demoScript(demoClock);

constexpr int kExitNoDisplay = 2;

}  // namespace

int main() {
    std::string error;
    DemoWindow* window = createDemoWindow(800, 600, 32, "klasa_okna", "demo engine", &error);
    if (!window) {
        std::fprintf(stderr, "demo: %s\n", error.c_str());
        return kExitNoDisplay;
    }
    window->show();
    if (startMusic("inv2.mp3") != 0) {
        window->restoreDesktop();
        return 1;
    }
    const FrameHooks hooks{
        [&] {
            demoScript.renderFrame();
            if (demoScript.quitRequested()) postQuitMessage(demoScript.quitCode());
        },
        [] { return musicTimeSeconds(); },
    };
    const int exitCode = runMainLoop(*window, demoClock, frameTimer, hooks);
    window->restoreDesktop();
    stopMusic();
    delete displaySettings;
    displaySettings = nullptr;
    return exitCode;
}
