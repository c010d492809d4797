// Cost of reading a scene and baking its motion: a one-off at load time, but it grows with the
// scene's length in frames, so it is measured for a short and a long scene.
#include "scene/lws_scene.h"

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

namespace {

// Nine channels of `keys` keys one second apart, as a scene file writes them.
std::string objectBlock(int keys) {
    std::ostringstream out;
    out << "LoadObjectLayer 1 object.lwo\nShowObject 7 -1\nObjectMotion\nNumChannels 9\n";
    for (int c = 0; c < 9; ++c) {
        out << "Channel " << c << "\n{ Envelope\n  " << keys << "\n";
        for (int k = 0; k < keys; ++k) {
            out << "  Key " << (k * 0.5 + c) << " " << k << " 0 0 0 0 0.25 -0.25 0\n";
        }
        out << "  Behaviors 1 1\n}\n";
    }
    return out.str();
}

std::string sceneText(int objects, int keys) {
    std::string text = "LWSC\n3\nFirstFrame 1\nLastFrame 60\nFramesPerSecond 30\n";
    for (int i = 0; i < objects; ++i) text += objectBlock(keys);
    return text;
}

void readScene(benchmark::State& state) {
    const std::string text =
        sceneText(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        LwsScene scene;
        scene.progress = nullptr;
        scene.loadObjects = false;
        if (scene.loadFromText(text, "bench.lws")) {
            state.SkipWithError(scene.error().c_str());
            break;
        }
        benchmark::DoNotOptimize(scene.objects.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
// (objects, keys per channel): 10 objects over 2 s, and over 60 s.
BENCHMARK(readScene)->Args({10, 3})->Args({10, 61})->Unit(benchmark::kMicrosecond);

void bakeOneMinute(benchmark::State& state) {
    std::vector<EnvelopeChannel> channels(9);
    for (EnvelopeChannel& channel : channels) {
        for (int k = 0; k <= 60; ++k) {
            EnvelopeKey key;
            key.value = k;
            key.time = k;
            channel.envelope.keys.push_back(key);
        }
    }
    for (auto _ : state) benchmark::DoNotOptimize(bakeEnvelopes(channels, 30));
    state.SetItemsProcessed(state.iterations() * 9 * 60 * 30);
}
BENCHMARK(bakeOneMinute)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
