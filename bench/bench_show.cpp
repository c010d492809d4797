// The whole show rendered offscreen against a simulated 60 fps clock, without writing
// anything: frame times per act, start-up time, peak memory, and how much of a frame is the
// main thread's own CPU work (the script, the effects' CPU side and the GL front end; the
// software rasteriser's own threads are not counted there). Then what the ways to the screen
// cost: presenting each frame scaled into a window of --window's size (a full-HD screen unless
// given), and bringing the show to --to by frames computed without pixels instead of drawn.
//
//   bench_show [--fps RATE] [--to SECONDS] [--window WxH]
#include <GL/gl.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "app/capture_options.h"
#include "app/simulated_show.h"
#include "app/startup.h"
#include "gl/drawing_surface.h"

namespace {

const auto processStart = std::chrono::steady_clock::now();

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double sinceMs(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

struct Samples {
    const char* name;
    std::vector<double> wall;
    std::vector<double> cpu;

    static double percentile(std::vector<double> v, double p) {
        if (v.empty()) return 0.0;
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
    }
    void print() const {
        std::printf("%-28s %6zu frames  median %6.2f ms  p99 %6.2f ms  main-thread CPU median %5.2f ms (%3.0f%%)\n",
                    name, wall.size(), percentile(wall, 0.5), percentile(wall, 0.99), percentile(cpu, 0.5),
                    100.0 * percentile(cpu, 0.5) / std::max(1e-9, percentile(wall, 0.5)));
    }
};

}  // namespace

int main(int argc, char** argv) {
    Show show;
    std::string fps = "60", to = "176";
    int screenWidth = 1920, screenHeight = 1080;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--fps")) fps = argv[i + 1];
        if (!std::strcmp(argv[i], "--to")) to = argv[i + 1];
        if (!std::strcmp(argv[i], "--window")) std::sscanf(argv[i + 1], "%dx%d", &screenWidth, &screenHeight);
    }
    // The frames are those a capture of the same rate and end renders.
    CaptureOptions options;
    std::string error = parseCaptureArguments({"--fps", fps, "--to", to, "--null"}, options);
    if (!error.empty()) {
        std::fprintf(stderr, "bench_show: %s\n", error.c_str());
        return 2;
    }
    const std::unique_ptr<GlContext> screen = openShowContext(screenWidth, screenHeight, &error);
    if (!screen) {
        std::fprintf(stderr, "bench_show: %s\n", error.c_str());
        return 1;
    }
    error = loadShow(show);
    if (!error.empty()) {
        std::fprintf(stderr, "bench_show: %s\n", error.c_str());
        return 1;
    }
    DrawingSurface surface;
    if (!surface.create(show.frame, &error)) {
        std::fprintf(stderr, "bench_show: %s\n", error.c_str());
        return 1;
    }
    SimulatedShow simulated(show, surface, options.rateNumerator, options.rateDenominator);
    const long lastFrame = options.lastFrame();
    Samples firstAct{"first act", {}, {}}, finale{"finale outside beats", {}, {}}, beats{"finale inside beats", {}, {}};
    Samples present{"present", {}, {}};
    double startupMs = 0.0;
    const auto drawnStart = std::chrono::steady_clock::now();
    for (long frame = 0; frame <= lastFrame; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuMs();
        simulated.runFrame(frame);
        glFinish();
        const double wall = sinceMs(start), cpu = threadCpuMs() - cpuStart;
        if (frame == 0) startupMs = sinceMs(processStart);
        const DemoScript::FrameReport& report = simulated.lastFrame();
        Samples& bucket = report.firstAct ? firstAct : report.glowPasses > 1 ? beats : finale;
        bucket.wall.push_back(wall);
        bucket.cpu.push_back(cpu);

        const auto presentStart = std::chrono::steady_clock::now();
        const double presentCpu = threadCpuMs();
        surface.present(screen->width(), screen->height());
        glFinish();
        present.wall.push_back(sinceMs(presentStart));
        present.cpu.push_back(threadCpuMs() - presentCpu);
        screen->swapBuffers();
        if (simulated.ended()) break;
    }
    const double drawnSeconds = sinceMs(drawnStart) / 1e3;

    // The same frames again from a fresh script, computed without pixels.
    SimulatedShow fast(show, surface, options.rateNumerator, options.rateDenominator);
    const auto fastStart = std::chrono::steady_clock::now();
    for (long frame = 0; frame <= lastFrame && !fast.ended(); ++frame) fast.runFrame(frame, FrameUse::Skipped);
    glFinish();
    const double fastSeconds = sinceMs(fastStart) / 1e3;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("start-up to the first frame drawn: %.0f ms\n", startupMs);
    firstAct.print();
    finale.print();
    beats.print();
    std::printf("presenting into %dx%d:\n", screen->width(), screen->height());
    present.print();
    std::printf("reaching %s s at %s fps: drawn (with presents) %.1f s, without pixels %.1f s\n", to.c_str(),
                fps.c_str(), drawnSeconds, fastSeconds);
    std::printf("peak memory (max RSS): %.1f MiB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
