// Cost of evaluating an envelope at any time: one channel of 61 keys a second apart, sampled
// at 30 frames/s over its minute, for each span shape; and the same channel sampled over the
// minute after its keys, where the behaviour folds every time back inside them.
// "per_sample" is the time of one evaluation, "per_channel_second" that of 30.
#include "scene/envelope_eval.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int kKeys = 61;
constexpr int kFramesPerSecond = 30;
constexpr int kSeconds = kKeys - 1;

// A wavy channel whose keys carry parameters the shape uses: TCB settings, Hermite tangents,
// 2D Bezier handles a third of a span long.
Envelope channel(SpanShape shape, EnvelopeBehavior post) {
    Envelope envelope;
    for (int k = 0; k < kKeys; ++k) {
        EnvelopeKey key;
        key.time = k;
        key.value = std::sin(0.7 * k) * 3.0;
        key.shape = static_cast<double>(shape);
        if (shape == SpanShape::Bezier2D) {
            key.param1 = -1.0 / 3.0;
            key.param2 = -0.5;
            key.param3 = 1.0 / 3.0;
            key.param4 = 0.5;
        } else {
            key.param1 = 0.2;
            key.param2 = -0.1;
            key.param3 = 0.3;
            key.param4 = -1.5;
            key.param5 = 1.5;
        }
        envelope.keys.push_back(key);
    }
    envelope.keyCount = kKeys;
    envelope.postBehavior = static_cast<int32_t>(post);
    return envelope;
}

void sample(benchmark::State& state, const Envelope& envelope, double fromSecond) {
    constexpr int kSamples = kSeconds * kFramesPerSecond;
    for (auto _ : state) {
        double sum = 0.0;
        for (int frame = 0; frame < kSamples; ++frame) {
            sum += evaluateEnvelope(envelope, fromSecond + double(frame) / kFramesPerSecond);
        }
        benchmark::DoNotOptimize(sum);
    }
    const auto perIteration = benchmark::Counter::kIsIterationInvariantRate;
    state.counters["per_sample"] =
        benchmark::Counter(kSamples, perIteration | benchmark::Counter::kInvert);
    state.counters["per_channel_second"] =
        benchmark::Counter(kSeconds, perIteration | benchmark::Counter::kInvert);
}

void insideKeys(benchmark::State& state) {
    const auto shape = static_cast<SpanShape>(state.range(0));
    state.SetLabel(std::to_string(state.range(0)) + " (0 TCB 1 Hermite 2 Bezier1D 3 linear " +
                   "4 stepped 5 Bezier2D)");
    sample(state, channel(shape, EnvelopeBehavior::Constant), 0.0);
}
BENCHMARK(insideKeys)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

void afterKeys(benchmark::State& state) {
    const auto post = static_cast<EnvelopeBehavior>(state.range(0));
    state.SetLabel(std::to_string(state.range(0)) + " (2 repeat 3 oscillate 4 offset 5 linear)");
    sample(state, channel(SpanShape::Tcb, post), kSeconds + 0.5);
}
BENCHMARK(afterKeys)->DenseRange(2, 5)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
