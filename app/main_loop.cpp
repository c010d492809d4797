#include "app/main_loop.h"

#include "platform/stop_signals.h"

int runMainLoop(DemoWindow& window, DemoClock& clock, FrameTimer& timer, const FrameHooks& hooks) {
    for (;;) {
        if (const std::optional<int> code = takeMessages(window)) return *code;
        hooks.renderFrame();
        window.swapBuffers();
        clock.demoTime = hooks.musicTimeSeconds();
        timer.tick(kFramePacingRate);
    }
}

std::optional<int> takeMessages(DemoWindow& window) {
    Message message;
    while (window.peekMessage(message)) {
        if (message.kind == MessageKind::Quit) return message.code;
        window.dispatchMessage(message);
    }
    return std::nullopt;
}

std::optional<int> runWaitLoop(DemoWindow& window, const WaitHooks& hooks) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastDraw{};  // long ago: the progress shows from the first pass
    Clock::time_point lastLook{};
    for (bool working = true; working; working = hooks.step()) {
        const Clock::time_point now = Clock::now();
        // A stop signal is only a flag to read: it need not wait for the next look.
        if (now - lastLook < kWaitMessageInterval && !stopsignals::caught()) continue;
        lastLook = now;
        if (const std::optional<int> code = takeMessages(window)) return code;
        if (now - lastDraw < kWaitDrawInterval) continue;
        lastDraw = now;
        hooks.drawProgress();
        window.swapBuffers();
    }
    return takeMessages(window);
}
