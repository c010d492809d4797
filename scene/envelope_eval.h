// Envelopes evaluated at any time, as LightWave's published envelope algorithm defines them:
// every span shape, and every behaviour before the first key and after the last.
//
// Version 1 and 3 scenes are baked by scene/envelope.h as they always were (version 3 only
// comes here for what follows its last key, followPostBehaviors). This is for scenes whose
// motion must be followed exactly as their author saw it, at any time including times outside
// the keys.
//
// A key line reads "Key value time shape p1 p2 p3 p4 p5 p6"; what p1..p6 mean depends on the
// key's shape:
//   TCB               p1 tension, p2 continuity, p3 bias
//   Hermite, 1D Bezier p4 incoming tangent, p5 outgoing tangent (value change over the span)
//   2D Bezier         p1, p2 the incoming handle (time, value offsets from the key),
//                     p3, p4 the outgoing handle
// A key's shape is the shape of the span that ends at it; its own parameters also set the
// tangent that leaves it. LightWave writes its own tangents into p4/p5 of TCB keys too; they
// are not used, as TCB tangents follow from the neighbouring keys.
//
// Keys are taken in the order given, which must be time order (LightWave writes them so);
// out-of-order keys give meaningless values but never read outside the keys.
#pragma once

#include "scene/envelope.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>

enum class SpanShape : int32_t {
    Tcb = 0,
    Hermite = 1,
    Bezier1D = 2,  // drawn exactly as Hermite, from the same two tangents
    Linear = 3,
    Stepped = 4,
    Bezier2D = 5,
};

enum class EnvelopeBehavior : int32_t {
    Reset = 0,         // value 0
    Constant = 1,      // the edge key's value
    Repeat = 2,        // the keys again, from the first
    Oscillate = 3,     // the keys again, every other time backwards
    OffsetRepeat = 4,  // repeated, each time shifted by the last key's value minus the first's
    Linear = 5,        // the edge key's tangent continued as a straight line
};

// The shape a key's code names, or nothing for a code that names none (2.5, 6, NaN).
std::optional<SpanShape> spanShapeFromCode(double code);

// The behaviour a "Behaviors" number names, or nothing for one that names none.
std::optional<EnvelopeBehavior> behaviorFromCode(int32_t code);

// The envelope's value at `seconds`. No keys give 0 and one key its value at every time. A
// span ending in a key of unknown shape evaluates to 0, as the published algorithm has it; an
// unknown behaviour holds the edge key's value. Repeating behaviours cost the same at any
// time (no loop over cycles); at an infinite time every behaviour but reset holds the edge
// key's value.
double evaluateEnvelope(const Envelope& envelope, double seconds);

// The tangents of a Hermite span: leaving its first key, arriving at its last, each as a value
// change over the span.
struct SpanTangents {
    double leaving;
    double arriving;
};

// evaluateEnvelope at times that mostly rise (one per frame when a channel is baked), bit for
// bit, without finding each time's span from the start or working out a span's tangents again
// for each time in it. Any time may be asked: a time earlier than the last one, or outside the
// keys, is evaluated as evaluateEnvelope does. Holds a reference to `envelope`, which must not
// change while it is walked.
class EnvelopeWalk {
public:
    explicit EnvelopeWalk(const Envelope& envelope);
    double at(double seconds);
    // at() of frame `firstFrame` + i, at a rate above 0, into each samples[i].
    void atFrames(int64_t firstFrame, int32_t framesPerSecond, SampleArray& samples);

private:
    bool walkTo(double seconds);
    size_t bezierFrames(int64_t firstFrame, int32_t framesPerSecond, SampleArray& samples, size_t first);

    const Envelope& envelope_;
    bool ordered_;
    double lastTime_ = -HUGE_VAL;
    size_t span_ = 1;  // ends at keys[span_]
    size_t tangentsSpan_ = 0;  // no span ends at the first key: none worked out yet
    SpanTangents tangents_ = {0.0, 0.0};
};

// Version 3 channels baked by bakeEnvelopes stop one frame before their last key. Where the file
// gives a post behaviour that holding the last sample does not already give (reset, repeat,
// oscillate, offset repeat, linear), the samples go on, one a frame as before, up to frame
// `throughFrame` of the scene, following that behaviour along version 3's own curve (every span
// Hermite from its keys' stored tangents; linear continues the last span's end slope). Channels
// of fewer than two keys, without a Behaviors line, or whose post behaviour is constant or
// unknown keep the samples they have, so such scenes play exactly as before.
void followPostBehaviors(BakedChannels& baked, const std::vector<EnvelopeChannel>& channels,
                         int32_t framesPerSecond, int32_t throughFrame);
