// demo-capture: renders the show frame by frame against a simulated music clock, offscreen,
// into PNG files or one video file with the soundtrack, or nowhere (for benchmarks).
//
//   demo-capture [--fps RATE] [--from SECONDS] [--to SECONDS] [--step K]
//                (--png DIR | --video FILE | --null)
//
// Frame N is drawn at music time N / RATE (RATE 60 unless given; a ratio such as 60000/1001
// is allowed). Every frame runs the script from 0 s, since the show's state depends on every
// earlier frame; only frames whose time lies in [from, to] are written, every K-th of them.
// Rendering stops when the script posts its quit or the time passes --to. Same arguments,
// same pictures: nothing here reads a real clock.
#include <GL/gl.h>
#include <SDL.h>

#include <csignal>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "app/capture_options.h"
#include "app/startup.h"
#include "platform/demo_window.h"
#include "platform/drawing_surface.h"
#include "texture/png_writer.h"
#include "timeline/demo_script.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

DemoClock demoClock;
Show show;

// Pipes raw frames into ffmpeg, which muxes them with the soundtrack.
class VideoWriter {
public:
    VideoWriter(const CaptureOptions& options, std::string* error) {
        const std::string command = videoCommand(options);
        pipe_ = popen(command.c_str(), "w");
        if (!pipe_) *error = "cannot start ffmpeg";
    }
    ~VideoWriter() { close(); }
    bool write(const std::vector<unsigned char>& rgb) {
        return pipe_ && std::fwrite(rgb.data(), 1, rgb.size(), pipe_) == rgb.size();
    }
    int close() {
        if (!pipe_) return 0;
        const int status = pclose(pipe_);
        pipe_ = nullptr;
        return status;
    }

private:
    FILE* pipe_ = nullptr;
};

struct Progress {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastReport = start;

    void report(long frame, long lastFrame, bool force = false) {
        const auto now = std::chrono::steady_clock::now();
        if (!force && now - lastReport < std::chrono::seconds(2)) return;
        lastReport = now;
        const double seconds = std::chrono::duration<double>(now - start).count();
        const double rate = seconds > 0 ? (frame + 1) / seconds : 0.0;
        const double left = rate > 0 ? (lastFrame - frame) / rate : 0.0;
        std::fprintf(stderr, "\rframe %ld of %ld, %.1f frames/s, %.0f s left   ", frame + 1,
                     lastFrame + 1, rate, left);
        if (force) std::fputc('\n', stderr);
    }
};

int fail(const std::string& message) {
    std::fprintf(stderr, "demo-capture: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error = parseCaptureOptions(argc, argv, options);
    if (!error.empty()) {
        std::fprintf(stderr, "demo-capture: %s\n%s", error.c_str(), captureUsage());
        return 2;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    std::unique_ptr<DemoWindow> window(createDemoWindow(kWidth, kHeight, 32, "klasa_okna", "demo engine", &error));
    if (!window) return fail(error);
    error = loadShow(show);
    if (!error.empty()) return fail(error);
    DrawingSurface surface;
    if (!surface.create(show.frame, &error)) std::fprintf(stderr, "demo-capture: %s; drawing into the window\n", error.c_str());

    std::unique_ptr<VideoWriter> video;
    if (options.output == CaptureOutput::Video) {
        // A failing ffmpeg is reported by the failed write, not by a silent SIGPIPE death.
        std::signal(SIGPIPE, SIG_IGN);
        video = std::make_unique<VideoWriter>(options, &error);
        if (!error.empty()) return fail(error);
    }

    DemoScript script(demoClock, show);
    const long lastFrame = options.lastFrame();
    Progress progress;
    for (long frame = 0; frame <= lastFrame; ++frame) {
        demoClock.demoTime = options.frameTime(frame);
        script.renderFrame();
        if (options.writes(frame)) {
            const std::vector<unsigned char> rgb = surface.readRgb();
            if (video && !video->write(rgb)) return fail("ffmpeg stopped taking frames");
            if (options.output == CaptureOutput::Png) {
                error = writePng(options.framePath(frame), kWidth, kHeight, rgb);
                if (!error.empty()) return fail(error);
            }
        }
        window->swapBuffers();
        progress.report(frame, lastFrame);
        if (script.quitRequested()) break;
    }
    progress.report(lastFrame, lastFrame, true);
    if (video && video->close() != 0) return fail("ffmpeg failed to write " + options.target);
    releaseShow(show);
    return 0;
}
