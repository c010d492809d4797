#include "scene/envelope.h"

#include "scene/scene_tokens.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace {

// Frames a span covers; NaN (from infinite key times) counts as an empty span.
double spanFrames(const EnvelopeKey& from, const EnvelopeKey& to, int32_t framesPerSecond) {
    const double n = static_cast<double>(framesPerSecond) * (to.time - from.time);
    return std::isnan(n) ? 0.0 : n;
}

// A Hermite span of n frames gives one sample for every whole frame from 0 below n.
double hermiteSpanSamples(double n) { return n > 0.0 ? std::ceil(n) : 0.0; }

// Its samples are counted first, against the channel's cap: no check of the cap per sample.
void appendHermiteSpan(const EnvelopeKey& from, const EnvelopeKey& to, double n,
                       SampleArray& samples) {
    const double room =
        static_cast<double>(kMaxSamplesPerChannel - static_cast<int64_t>(samples.size()));
    const size_t count = static_cast<size_t>(std::max(0.0, std::min(hermiteSpanSamples(n), room)));
    const double p0 = from.value;
    const double p1 = to.value;
    const double m0 = from.param5;
    const double m1 = to.param4;
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / n;
        samples.push_back(p0 * hermiteBasis1(t) + p1 * hermiteBasis2(t) + m0 * hermiteBasis3(t) +
                          m1 * hermiteBasis4(t));
    }
}

void appendLinearSpan(const EnvelopeKey& from, const EnvelopeKey& to, double n,
                      SampleArray& samples) {
    if (n < 1.0) return;
    const double steps = std::trunc(n);
    const double delta = (to.value - from.value) / n;
    double v = from.value;
    for (int64_t i = 0; static_cast<double>(i) < steps; ++i) {
        if (static_cast<int64_t>(samples.size()) >= kMaxSamplesPerChannel) return;
        v += delta;
        samples.push_back(v);
    }
}

// How many samples a linear span of n frames appends (before the channel's cap): one for each
// whole step.
double linearSpanSamples(double n) { return n >= 1.0 ? std::trunc(n) : 0.0; }

using SpanBaker = void (*)(const EnvelopeKey&, const EnvelopeKey&, double, SampleArray&);
using SpanCounter = double (*)(double);

// The samples a channel bakes, known before baking so they are allocated once at their size.
size_t channelSamples(const std::vector<EnvelopeKey>& keys, int32_t framesPerSecond, SpanCounter count) {
    double total = 0.0;
    for (size_t k = 0; k + 1 < keys.size(); ++k) total += count(spanFrames(keys[k], keys[k + 1], framesPerSecond));
    return static_cast<size_t>(std::min(total, static_cast<double>(kMaxSamplesPerChannel)));
}

BakedChannels bakeWith(const std::vector<EnvelopeChannel>& channels, int32_t framesPerSecond,
                       SpanBaker bakeSpan, SpanCounter countSpan) {
    BakedChannels baked;
    baked.reserve(channels.size());
    for (const EnvelopeChannel& channel : channels) {
        const std::vector<EnvelopeKey>& keys = channel.envelope.keys;
        SampleArray samples;
        samples.reserve(channelSamples(keys, framesPerSecond, countSpan));
        for (size_t k = 0; k + 1 < keys.size(); ++k) {
            bakeSpan(keys[k], keys[k + 1], spanFrames(keys[k], keys[k + 1], framesPerSecond),
                     samples);
        }
        baked.push_back(std::move(samples));
    }
    return baked;
}

double channelValue(const MotionKey& key, size_t channel) {
    return channel < key.values.size() ? key.values[channel] : 0.0;
}

int64_t frameNumber(const MotionKey& key) { return key.params.empty() ? 0 : key.params[0]; }

// A whole number read without stopping the reader on a token that is none: only looked at.
bool peekedWhole(SceneTokens& tokens, int32_t& value) {
    std::string_view token;
    if (!tokens.next(token)) return false;
    const char* end = token.data() + token.size();
    const std::from_chars_result result = std::from_chars(token.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

}  // namespace

void readTrailingBehaviors(SceneTokens& tokens, Envelope& envelope) {
    if (!tokens.good()) return;
    const SceneTokens::Place before = tokens.place();
    std::string_view token;
    int32_t pre = 0, post = 0;
    if (tokens.next(token) && token == "Behaviors" && peekedWhole(tokens, pre) && peekedWhole(tokens, post)) {
        envelope.preBehavior = pre;
        envelope.postBehavior = post;
        envelope.behaviorsGiven = true;
    }
    tokens.returnTo(before);
}

BakedChannels bakeEnvelopes(const std::vector<EnvelopeChannel>& channels,
                            int32_t framesPerSecond) {
    return bakeWith(channels, framesPerSecond, appendHermiteSpan, hermiteSpanSamples);
}

BakedChannels bakeEnvelopesLinear(const std::vector<EnvelopeChannel>& channels,
                                  int32_t framesPerSecond) {
    return bakeWith(channels, framesPerSecond, appendLinearSpan, linearSpanSamples);
}

std::vector<MotionSample> interpolateMotionKeys(const MotionKey& from, const MotionKey& to) {
    // 64-bit: two 32-bit frame numbers can differ by more than a 32-bit int holds.
    const int64_t frames = frameNumber(to) - frameNumber(from);
    std::vector<MotionSample> samples;
    if (frames <= 0) return samples;
    const int64_t count = frames < kMaxSamplesPerChannel ? frames : kMaxSamplesPerChannel;
    MotionSample current;
    double delta[9];
    for (size_t c = 0; c < 9; ++c) {
        current.channel[c] = channelValue(from, c);
        delta[c] = (channelValue(to, c) - current.channel[c]) / static_cast<double>(frames);
    }
    samples.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) {
        for (size_t c = 0; c < 9; ++c) current.channel[c] += delta[c];
        samples.push_back(current);
    }
    return samples;
}
