// What a capture costs at one frame size: the whole show with every frame rasterised, split
// into the renderer's share (the script's frame and glFinish) and the read-back with the black
// bars; how long reaching 170 s takes by drawing every frame against fast-forwarding; and the
// invitation-capture binary's own throughput with --null and with --video (start-up and, for the
// video, ffmpeg's encoding included). Figures, not a test.
//
//   bench_capture [--size WxH] [--fps RATE] [--no-video]
//
// One size per run (the show is loaded once per process, at its frame size). The default
// rate, 10 fps, keeps a 4K run within minutes; frames per second are per frame rendered.
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/capture_options.h"
#include "app/show_start_state.h"
#include "app/simulated_show.h"
#include "app/startup.h"
#include "gl/drawing_surface.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Wall seconds of one invitation-capture run from the build folder (where the soundtrack lies), or
// a negative number when it failed.
double timeCapture(const std::string& arguments) {
    const std::string command =
        std::string("cd '") + DEMO_BUILD_DIR + "' && '" + DEMO_CAPTURE_PATH + "' " + arguments + " 2>/dev/null";
    const Clock::time_point start = Clock::now();
    const int status = std::system(command.c_str());
    return status == 0 ? since(start) : -1.0;
}

}  // namespace

int main(int argc, char** argv) {
    Show show;
    std::string size = "800x600", fps = "10";
    bool video = true;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--size") && i + 1 < argc) size = argv[++i];
        else if (!std::strcmp(argv[i], "--fps") && i + 1 < argc) fps = argv[++i];
        else if (!std::strcmp(argv[i], "--no-video")) video = false;
    }
    CaptureOptions options;
    std::string error = parseCaptureArguments({"--size", size, "--fps", fps, "--null"}, options);
    if (!error.empty()) {
        std::fprintf(stderr, "bench_capture: %s\n", error.c_str());
        return 2;
    }

    const std::unique_ptr<GlContext> context = openShowContext(800, 600, &error);
    if (!context) {
        std::fprintf(stderr, "bench_capture: %s\n", error.c_str());
        return 1;
    }
    show.frame = options.showFrame();
    error = loadShow(show);
    DrawingSurface surface;
    if (!error.empty() || !surface.create(show.frame, &error)) {
        std::fprintf(stderr, "bench_capture: %s\n", error.c_str());
        return 1;
    }
    const ShowStartState start(show);
    const PixelRect box = options.showRect();
    const bool bars = box.width != options.width || box.height != options.height;
    std::vector<unsigned char> padded(bars ? static_cast<size_t>(options.width) * options.height * 3 : 0, 0);
    const long lastFrame = options.lastFrame();
    const long frameAt170 = options.firstFrameAtOrAfter(170.0);

    // Every frame rasterised and read back, as a --null capture of the whole show does.
    double rendering = 0.0, reading = 0.0, toReach170 = 0.0;
    long frames = 0;
    const Clock::time_point wholeStart = Clock::now();
    {
        SimulatedShow simulated(show, surface, options.rateNumerator, options.rateDenominator);
        for (long frame = 0; frame <= lastFrame; ++frame, ++frames) {
            const Clock::time_point t0 = Clock::now();
            simulated.runFrame(frame);
            glFinish();
            const Clock::time_point t1 = Clock::now();
            std::vector<unsigned char> rgb = surface.readRgb();
            if (bars) placeShowInFrame(rgb, box, options.width, options.height, padded);
            rendering += std::chrono::duration<double>(t1 - t0).count();
            reading += since(t1);
            if (frame == frameAt170) toReach170 = since(wholeStart);
            if (simulated.ended()) break;
        }
    }
    const double whole = since(wholeStart);

    // Fast-forward to 170 s: the frames before it without pixels, that one drawn and read.
    start.restore(show);
    const Clock::time_point seekStart = Clock::now();
    {
        SimulatedShow simulated(show, surface, options.rateNumerator, options.rateDenominator);
        for (long frame = 0; frame <= frameAt170; ++frame) simulated.runFrame(frame, frameUseAhead(frameAt170 - frame));
        surface.readRgb();
    }
    const double seek = since(seekStart);
    releaseShow(show);

    std::printf("%s (show %dx%d), %s fps, %ld frames\n", size.c_str(), show.frame.width, show.frame.height,
                fps.c_str(), frames);
    std::printf("  in-process, every frame rasterised: %6.1f s  %6.1f fps   renderFrame+glFinish %4.1f%%, "
                "read-back+bars %4.1f%%\n",
                whole, frames / whole, 100.0 * rendering / whole, 100.0 * reading / whole);
    std::printf("  reaching 170 s: drawing every frame %6.1f s, fast-forwarding %5.2f s (%.0fx)\n", toReach170, seek,
                toReach170 / seek);
    const std::string common = "--fps " + fps + " --size " + size;
    const double null = timeCapture(common + " --null");
    std::printf("  invitation-capture --null:  %6.1f s  %6.1f fps  (the renderer's share %4.1f%%)\n", null, frames / null,
                100.0 * rendering / null);
    if (video) {
        const std::string file = std::string(DEMO_BUILD_DIR) + "/bench_capture.mp4";
        const double encoded = timeCapture(common + " --video '" + file + "'");
        std::remove(file.c_str());
        std::printf("  invitation-capture --video: %6.1f s  %6.1f fps  (the renderer's share %4.1f%%)\n", encoded,
                    frames / encoded, 100.0 * rendering / encoded);
    }
    return 0;
}
