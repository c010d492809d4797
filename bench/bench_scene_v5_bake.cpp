// Cost of baking a whole version 5 scene when it is read: N items of nine channels whose keys
// span S seconds, each channel evaluated at every frame (30 a second) of FirstFrame..LastFrame.
// The spans cycle through every shape and the behaviours through every kind, as real scenes
// mix them. "per_channel_second" is the time to read and bake one channel over one second of
// the scene; the "read_only" runs read the same text over a one-frame range, so the difference
// between the two is the baking.
#include "scene/lws_scene.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <sstream>
#include <string>

namespace {

constexpr int kFramesPerSecond = 30;
constexpr int kChannels = 9;

// One channel of keys `1 / keysPerSecond` apart over `seconds`, shapes 0-5 in turn.
void channelText(std::ostringstream& out, int channel, int seconds, int keysPerSecond) {
    const int keys = seconds * keysPerSecond + 1;
    out << "Channel " << channel << "\n{ Envelope\n  " << keys << "\n";
    for (int k = 0; k < keys; ++k) {
        const int shape = (k + channel) % 6;
        out << "  Key " << std::sin(0.7 * k + channel) << " " << double(k) / keysPerSecond << " "
            << shape;
        if (shape == 5) {
            out << " -0.1 -0.2 0.1 0.2 0 0\n";  // 2D Bezier handles
        } else {
            out << " 0.2 -0.1 0.3 -1.5 1.5 0\n";  // TCB settings, tangents
        }
    }
    out << "  Behaviors " << channel % 6 << " " << (channel + 3) % 6 << "\n}\n";
}

std::string sceneText(int items, int seconds, int keysPerSecond, bool wholeRange) {
    std::ostringstream out;
    out << "LWSC\n5\nFirstFrame 0\nLastFrame " << (wholeRange ? seconds * kFramesPerSecond : 0)
        << "\nFramesPerSecond " << kFramesPerSecond << "\n";
    for (int i = 0; i < items; ++i) {
        out << "AddNullObject " << std::hex << (0x10000000 + i) << std::dec << " item" << i
            << "\nNumChannels " << kChannels << "\n";
        for (int c = 0; c < kChannels; ++c) channelText(out, c, seconds, keysPerSecond);
        out << "Plugin ItemMotionHandler 1 Nothing\nEndPlugin\n";
    }
    return out.str();
}

void load(benchmark::State& state, bool wholeRange) {
    const int items = static_cast<int>(state.range(0));
    const int seconds = static_cast<int>(state.range(1));
    const int keysPerSecond = static_cast<int>(state.range(2));
    const std::string text = sceneText(items, seconds, keysPerSecond, wholeRange);
    for (auto _ : state) {
        LwsScene scene;
        scene.progress = nullptr;
        scene.errors = nullptr;
        scene.loadObjects = false;
        if (scene.loadFromText(text, "bench.lws")) {
            state.SkipWithError(scene.error().c_str());
            break;
        }
        benchmark::DoNotOptimize(scene.objects.back().samples.back().back());
    }
    const double channelSeconds = double(items) * kChannels * seconds;
    state.counters["per_channel_second"] = benchmark::Counter(
        channelSeconds, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["bytes"] = static_cast<double>(text.size());
}

void readAndBake(benchmark::State& state) { load(state, true); }
void readOnly(benchmark::State& state) { load(state, false); }

// items, seconds, keys per second
#define SCENES Args({4, 10, 1})->Args({16, 60, 1})->Args({16, 60, 4})->Args({64, 120, 1})
BENCHMARK(readAndBake)->SCENES->Unit(benchmark::kMillisecond);
BENCHMARK(readOnly)->SCENES->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
