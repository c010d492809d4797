// Keyframed motion of scene files and the bakers that turn it into per-frame samples.
//
// Scenes are never evaluated while they play: every channel is baked once, when the scene is
// read, into one double per frame, and playback only indexes those arrays. Version 3 scenes
// keep envelopes (times in seconds, Hermite spans); version 1 scenes keep nine-channel keys
// numbered by frame and move linearly between them. Everything is double precision; the
// results are owned by value by the caller.
#pragma once

#include <cstdint>
#include <vector>

// The nine numbers of one "Key" line, in file order.
struct EnvelopeKey {
    double value = 0.0;
    double time = 0.0;  // seconds
    double shape = 0.0;  // span shape; every span is baked as Hermite regardless
    double param1 = 0.0;
    double param2 = 0.0;
    double param3 = 0.0;
    double param4 = 0.0;  // incoming tangent
    double param5 = 0.0;  // outgoing tangent
    double param6 = 0.0;
};

struct Envelope {
    int32_t keyCount = 0;  // as announced at the head of the block; `keys` may hold fewer
    std::vector<EnvelopeKey> keys;
    int32_t preBehavior = 0;
    int32_t postBehavior = 0;
    // Whether a "Behaviors" line gave the two: without one they are 0 but mean nothing.
    bool behaviorsGiven = false;
};

// Channels are used in the order they were read; `channelIndex` is kept for display only.
struct EnvelopeChannel {
    Envelope envelope;
    int32_t channelIndex = 0;
};

using SampleArray = std::vector<double>;
using BakedChannels = std::vector<SampleArray>;

// A key of a version 1 motion: one value per channel, then five numbers of which the first is
// the key's frame number.
struct MotionKey {
    std::vector<double> values;
    std::vector<int32_t> params;
};

// Channel values 0 to 8 of one frame: position x y z, rotation about y x z, scale x y z.
struct MotionSample {
    double channel[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
};

// No channel grows past this many samples, so a scene whose times or rate are absurd
// (a key at 1e300 s) cannot exhaust memory: about half an hour at 30 frames per second.
constexpr int64_t kMaxSamplesPerChannel = 65536;

// Inline: baking calls them for every sample of every channel.
inline double hermiteBasis1(double t) { return 2.0 * t * t * t - 3.0 * t * t + 1.0; }
inline double hermiteBasis2(double t) { return -2.0 * t * t * t + 3.0 * t * t; }
inline double hermiteBasis3(double t) { return t * t * t - 2.0 * t * t + t; }
inline double hermiteBasis4(double t) { return t * t * t - t * t; }

class SceneTokens;

// A version 3 envelope block ends at its key count, so the "Behaviors pre post" line LightWave
// writes after the last key is left to the enclosing loops, which skip it token by token (and
// print their progress dots for it). This reads that line, if it comes next, into the envelope
// and puts the text back as it was: everything else reads exactly as before.
void readTrailingBehaviors(SceneTokens& tokens, Envelope& envelope);

// One sample array per channel, sampled `framesPerSecond` times a second from each channel's
// first key; the last key's own value is never emitted, and a channel with fewer than two
// keys yields none. Tangents (param5 out of a key, param4 into the next) are used unscaled.
BakedChannels bakeEnvelopes(const std::vector<EnvelopeChannel>& channels, int32_t framesPerSecond);

// Straight lines instead of Hermite spans: each span emits truncate(n) samples, the first one
// step past its first key.
BakedChannels bakeEnvelopesLinear(const std::vector<EnvelopeChannel>& channels,
                                  int32_t framesPerSecond);

// One sample per frame from `from` (exclusive) to `to` (inclusive). Exactly nine channels are
// interpolated; values a key lacks count as 0. Keys at the same or a backward frame yield none.
std::vector<MotionSample> interpolateMotionKeys(const MotionKey& from, const MotionKey& to);
