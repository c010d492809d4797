// The whole show rendered offscreen against a simulated 60 fps clock, without writing
// anything: frame times per act, start-up time, peak memory, and how much of a frame is the
// main thread's own CPU work (the script, the effects' CPU side and the GL front end; the
// software rasteriser's own threads are not counted there).
//
//   bench_show [--fps RATE] [--to SECONDS]
#include <SDL.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "platform/demo_window.h"
#include "timeline/demo_script.h"

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

DemoClock demoClock;
Show show;

}  // namespace

int main(int argc, char** argv) {
    double fps = 60.0, to = 176.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--fps")) fps = std::atof(argv[i + 1]);
        if (!std::strcmp(argv[i], "--to")) to = std::atof(argv[i + 1]);
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    std::string error;
    std::unique_ptr<DemoWindow> window(createDemoWindow(800, 600, 32, "klasa_okna", "demo engine", &error));
    if (!window) {
        std::fprintf(stderr, "bench_show: %s\n", error.c_str());
        return 1;
    }
    error = loadShow(show);
    if (!error.empty()) {
        std::fprintf(stderr, "bench_show: %s\n", error.c_str());
        return 1;
    }
    DemoScript script(demoClock, show);
    Samples firstAct{"first act", {}, {}}, finale{"finale outside beats", {}, {}}, beats{"finale inside beats", {}, {}};
    double startupMs = 0.0;
    for (long frame = 0; frame / fps <= to; ++frame) {
        demoClock.demoTime = frame / fps;
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuMs();
        script.renderFrame();
        glFinish();
        const double wall = sinceMs(start), cpu = threadCpuMs() - cpuStart;
        if (frame == 0) startupMs = sinceMs(processStart);
        Samples& bucket = script.lastFrame().firstAct ? firstAct : script.lastFrame().glowPasses > 1 ? beats : finale;
        bucket.wall.push_back(wall);
        bucket.cpu.push_back(cpu);
        window->swapBuffers();
        if (script.quitRequested()) break;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("start-up to the first frame drawn: %.0f ms\n", startupMs);
    firstAct.print();
    finale.print();
    beats.print();
    std::printf("peak memory (max RSS): %.1f MiB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
