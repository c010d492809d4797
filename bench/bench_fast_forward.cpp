// What bringing the show to a later time costs, side by side in one run: per frame, a frame
// drawn (its pixels, glFinish), a frame run with its GL calls but no pixels (how the show was
// fast-forwarded before: every vertex still transformed and clipped), and a skipped frame (GL
// calls going nowhere and the effects' bulk geometry left out, how it is fast-forwarded now);
// then reaching 170 s both ways in process, and invitation-capture --from 170 --to 170 against
// --from 0 --to 0 as whole processes (wall and CPU, start-up included). Figures, not a test.
//
//   bench_fast_forward [--fps RATE] [--to SECONDS]
#include <GL/gl.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
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

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double mean(const std::vector<double>& v) {
    double sum = 0.0;
    for (double x : v) sum += x;
    return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
}

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One invitation-capture run from the build folder, where the soundtrack lies: wall and CPU
// seconds (its own and its children's).
void timeCapture(const std::string& arguments) {
    const std::string command =
        std::string("cd '") + DEMO_BUILD_DIR + "' && '" + DEMO_CAPTURE_PATH + "' " + arguments + " --null 2>/dev/null";
    const double cpuBefore = cpuSeconds(RUSAGE_CHILDREN);
    const Clock::time_point start = Clock::now();
    const int status = std::system(command.c_str());
    const double wall = since(start), cpu = cpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
    std::printf("  invitation-capture %-22s %6.2f s wall %6.2f s CPU%s\n", arguments.c_str(), wall, cpu,
                status == 0 ? "" : "  (failed)");
}

// Runs frames 0 to `last` in `use`, but every `drawEvery`-th frame (0: none) drawn after a
// settling frame; returns the per-frame seconds of the frames in `use` and of the drawn ones.
struct Pass {
    std::vector<double> inUse, drawn;
    double wholeSeconds = 0.0;
    double cpuSeconds = 0.0;  // the process's, the renderer's threads included
};

Pass runPass(Show& show, DrawingSurface& surface, const CaptureOptions& options, long last, FrameUse use,
             long drawEvery) {
    Pass pass;
    SimulatedShow simulated(show, surface, options.rateNumerator, options.rateDenominator);
    const Clock::time_point whole = Clock::now();
    const double cpuStart = cpuSeconds(RUSAGE_SELF);
    for (long frame = 0; frame <= last && !simulated.ended(); ++frame) {
        const long ahead = drawEvery ? (drawEvery - frame % drawEvery) % drawEvery : kSettlingFrames + 1;
        const FrameUse frameUse = ahead <= kSettlingFrames ? frameUseAhead(ahead) : use;
        const Clock::time_point start = Clock::now();
        simulated.runFrame(frame, frameUse);
        if (frameUse != FrameUse::Skipped) glFinish();
        const double seconds = since(start);
        if (frameUse == use) pass.inUse.push_back(seconds);
        if (frameUse == FrameUse::Shown && use != FrameUse::Shown) pass.drawn.push_back(seconds);
    }
    pass.wholeSeconds = since(whole);
    pass.cpuSeconds = cpuSeconds(RUSAGE_SELF) - cpuStart;
    return pass;
}

}  // namespace

int main(int argc, char** argv) {
    std::string fps = "60", to = "170";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--fps")) fps = argv[i + 1];
        if (!std::strcmp(argv[i], "--to")) to = argv[i + 1];
    }
    CaptureOptions options;
    std::string error = parseCaptureArguments({"--fps", fps, "--to", to, "--null"}, options);
    const std::unique_ptr<GlContext> context = error.empty() ? openShowContext(800, 600, &error) : nullptr;
    Show show;
    if (context) error = loadShow(show);
    DrawingSurface surface;
    if (!context || !error.empty() || !surface.fit(show.frame, 800, 600, &error)) {
        std::fprintf(stderr, "bench_fast_forward: %s\n", error.c_str());
        return 1;
    }
    const ShowStartState start(show);
    const long last = options.lastFrame();

    // With calls and no pixels, one frame in 50 drawn: the drawn frames' cost and the old way's.
    const Pass old = runPass(show, surface, options, last, FrameUse::Settling, 50);
    start.restore(show);
    const Pass skipped = runPass(show, surface, options, last, FrameUse::Skipped, 0);
    start.restore(show);
    releaseShow(show);

    // The mean as well: a frame's cost varies tenfold with the effects on screen.
    std::printf("frames 0 to %ld (%s s at %s fps), 800x600, per frame (median, mean):\n", last, to.c_str(), fps.c_str());
    std::printf("  drawn                          %8.1f us %8.1f us  (%zu frames)\n", 1e6 * median(old.drawn),
                1e6 * mean(old.drawn), old.drawn.size());
    std::printf("  GL calls, no pixels (before)   %8.1f us %8.1f us\n", 1e6 * median(old.inUse), 1e6 * mean(old.inUse));
    std::printf("  GL calls going nowhere (now)   %8.1f us %8.1f us\n", 1e6 * median(skipped.inUse),
                1e6 * mean(skipped.inUse));
    std::printf("reaching %s s in process: with calls %.2f s wall %.2f s CPU (1 frame in 50 drawn), "
                "calls going nowhere %.2f s wall %.2f s CPU\n",
                to.c_str(), old.wholeSeconds, old.cpuSeconds, skipped.wholeSeconds, skipped.cpuSeconds);
    std::printf("whole processes:\n");
    timeCapture("--from 0 --to 0");
    timeCapture("--from " + to + " --to " + to);
    return 0;
}
