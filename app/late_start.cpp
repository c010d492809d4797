#define GL_GLEXT_PROTOTYPES 1
#include "app/late_start.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "app/command_line.h"
#include "app/fast_forward.h"
#include "app/main_loop.h"

namespace {

// The wait on stderr. On a terminal, one line with a bar, redrawn in place and finished with a
// newline; into a log only its first line, as a line per redraw would bury everything else.
class WaitLine {
public:
    explicit WaitLine(double target) : target_(target), terminal_(isatty(STDERR_FILENO)) {
        if (!terminal_) std::fprintf(stderr, "invitation: bringing the show to %.1f s\n", target_);
    }

    void show(double reached) const {
        if (!terminal_) return;
        std::fprintf(stderr, "\rinvitation: bringing the show to %.1f s [%s] %.1f s\033[K", target_,
                     textBar(reached / target_).c_str(), reached);
    }

    void finish(double reached) const {
        if (!terminal_) return;
        show(reached);
        std::fputc('\n', stderr);
    }

private:
    const double target_;
    const bool terminal_;
};

void clearBox(int x, int y, int width, int height, float grey) {
    glScissor(x, y, width, height);
    glClearColor(grey, grey, grey, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

}  // namespace

void drawWaitBar(int width, int height, double fraction) {
    // The window's own buffer, whatever the show had bound: where a framebuffer object is not
    // to be had, the binding reads 0 and nothing is rebound.
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    if (bound) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT | GL_ENABLE_BIT);
    glDisable(GL_DITHER);  // a 16-bit window would dither the greys
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_SCISSOR_TEST);

    clearBox(0, 0, width, height, 0.0f);
    // Half the width of the 4:3 area the show will fill, a fortieth of its height.
    const int showWidth = std::min(width, height * 4 / 3);
    const int barWidth = std::max(showWidth / 2, 2);
    const int barHeight = std::max(height / 40, 2);
    const int x = (width - barWidth) / 2;
    const int y = (height - barHeight) / 2;
    clearBox(x, y, barWidth, barHeight, 0.25f);
    const int filled = static_cast<int>(barWidth * std::clamp(fraction, 0.0, 1.0));
    if (filled > 0) clearBox(x, y, filled, barHeight, 0.9f);

    glPopAttrib();
    if (bound) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(bound));
}

std::optional<int> bringShowForward(DemoWindow& window, DemoScript& script, DemoClock& clock,
                                    DrawingSurface& surface, double seconds, double rate,
                                    std::chrono::microseconds frameDelay) {
    const WaitLine line(seconds);
    long frame = 0;
    const auto reached = [&] { return std::min(frame / rate, seconds); };
    // Frames from this one to the first frame shown, the one at `seconds`.
    const auto framesAhead = [&] {
        long ahead = 1;
        while (ahead <= kSettlingFrames && (frame + ahead) / rate < seconds) ++ahead;
        return ahead;
    };
    FrameModes modes(surface, script);
    const WaitHooks hooks{
        [&] {
            if (frame / rate >= seconds) return false;
            modes.set(frameUseAhead(framesAhead()));
            clock.demoTime = frame / rate;
            script.renderFrame();
            ++frame;
            if (frameDelay.count() > 0) std::this_thread::sleep_for(frameDelay);
            return true;
        },
        [&] {
            modes.callsOn();
            int width = 0, height = 0;
            window.drawableSize(width, height);
            drawWaitBar(width, height, reached() / seconds);
            line.show(reached());
        },
    };
    const std::optional<int> code = runWaitLoop(window, hooks);
    modes.set(FrameUse::Shown);
    line.finish(reached());
    clock.demoTime = seconds;
    return code;
}
