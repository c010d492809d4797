#include "app/main_loop.h"

int runMainLoop(DemoWindow& window, DemoClock& clock, FrameTimer& timer, const FrameHooks& hooks) {
    Message message;
    for (;;) {
        if (window.peekMessage(message)) {
            if (message.kind == MessageKind::Quit) return message.code;
            window.dispatchMessage(message);
            continue;
        }
        hooks.renderFrame();
        window.swapBuffers();
        clock.demoTime = hooks.musicTimeSeconds();
        timer.tick(kFramePacingRate);
    }
}
