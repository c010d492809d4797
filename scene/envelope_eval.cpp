#include "scene/envelope_eval.h"

#include <algorithm>
#include <cmath>

namespace {

using KeyList = std::vector<EnvelopeKey>;

// What the six numbers of a key line mean, by the key's shape.
double tension(const EnvelopeKey& key) { return key.param1; }
double continuity(const EnvelopeKey& key) { return key.param2; }
double bias(const EnvelopeKey& key) { return key.param3; }
double inTangent(const EnvelopeKey& key) { return key.param4; }
double outTangent(const EnvelopeKey& key) { return key.param5; }
double inHandleTime(const EnvelopeKey& key) { return key.param1; }
double inHandleValue(const EnvelopeKey& key) { return key.param2; }
double outHandleTime(const EnvelopeKey& key) { return key.param3; }
double outHandleValue(const EnvelopeKey& key) { return key.param4; }

std::optional<SpanShape> shapeOf(const EnvelopeKey& key) { return spanShapeFromCode(key.shape); }

// Keys that share a time make spans of no length; they are never interpolated across, but a
// tangent or slope over them is taken as flat rather than divided by zero.
double ratio(double numerator, double denominator) {
    return denominator == 0.0 ? 0.0 : numerator / denominator;
}

// A 2D Bezier handle shorter in time than this counts as this long, so a vertical handle
// gives a steep tangent rather than an infinite one.
constexpr double kShortestHandle = 1e-5;

double handleSlope(double valueOffset, double timeOffset) {
    return std::fabs(timeOffset) > kShortestHandle ? valueOffset / timeOffset
                                                   : valueOffset / kShortestHandle;
}

// TCB weights of the change before a key and the change after it, for the tangent leaving
// the key (outgoing) and the one arriving at it (incoming).
struct TcbWeights {
    double before;
    double after;
};

TcbWeights outgoingWeights(const EnvelopeKey& key) {
    const double t = tension(key), c = continuity(key), b = bias(key);
    return {(1.0 - t) * (1.0 + c) * (1.0 + b), (1.0 - t) * (1.0 - c) * (1.0 - b)};
}

TcbWeights incomingWeights(const EnvelopeKey& key) {
    const double t = tension(key), c = continuity(key), b = bias(key);
    return {(1.0 - t) * (1.0 - c) * (1.0 + b), (1.0 - t) * (1.0 + c) * (1.0 - b)};
}

// The tangent leaving keys[k] on the span to keys[k + 1], as a value change over that span.
// Tangents that look at both neighbours are scaled by the share of the two spans this one
// covers, so unevenly spaced keys keep a smooth speed. The first key has no change before it.
double outgoingTangent(const KeyList& keys, size_t k) {
    const EnvelopeKey& key = keys[k];
    const EnvelopeKey& next = keys[k + 1];
    const bool hasPrevious = k > 0;
    const double share =
        hasPrevious ? ratio(next.time - key.time, next.time - keys[k - 1].time) : 1.0;
    const double before = hasPrevious ? key.value - keys[k - 1].value : 0.0;
    const double after = next.value - key.value;
    switch (shapeOf(key).value_or(SpanShape::Stepped)) {
        case SpanShape::Tcb: {
            const TcbWeights w = outgoingWeights(key);
            return share * (w.before * before + w.after * after);
        }
        case SpanShape::Linear:
            return share * (before + after);
        case SpanShape::Hermite:
        case SpanShape::Bezier1D:
            return share * outTangent(key);
        case SpanShape::Bezier2D:
            return handleSlope(outHandleValue(key), outHandleTime(key)) * (next.time - key.time);
        case SpanShape::Stepped:
            break;
    }
    return 0.0;
}

// The tangent arriving at keys[k] on the span from keys[k - 1]; the mirror of the above, set by
// keys[k]'s own shape and parameters. The last key has no change after it.
double incomingTangent(const KeyList& keys, size_t k) {
    const EnvelopeKey& key = keys[k];
    const EnvelopeKey& previous = keys[k - 1];
    const bool hasNext = k + 1 < keys.size();
    const double share =
        hasNext ? ratio(key.time - previous.time, keys[k + 1].time - previous.time) : 1.0;
    const double before = key.value - previous.value;
    const double after = hasNext ? keys[k + 1].value - key.value : 0.0;
    switch (shapeOf(key).value_or(SpanShape::Stepped)) {
        case SpanShape::Tcb: {
            const TcbWeights w = incomingWeights(key);
            return share * (w.before * before + w.after * after);
        }
        case SpanShape::Linear:
            return share * (before + after);
        case SpanShape::Hermite:
        case SpanShape::Bezier1D:
            return share * inTangent(key);
        case SpanShape::Bezier2D:
            return handleSlope(inHandleValue(key), inHandleTime(key)) * (key.time - previous.time);
        case SpanShape::Stepped:
            break;
    }
    return 0.0;
}

// The tangents of the span that ends at keys[k].
SpanTangents hermiteTangents(const KeyList& keys, size_t k) {
    return {outgoingTangent(keys, k - 1), incomingTangent(keys, k)};
}

double cubicBezier(double p0, double p1, double p2, double p3, double t) {
    const double u = 1.0 - t;
    return u * u * u * p0 + 3.0 * u * u * t * p1 + 3.0 * u * t * t * p2 + t * t * t * p3;
}

// A 2D Bezier span's control points: times x, values y.
struct BezierSpan {
    double x0, x1, x2, x3;
    double y0, y1, y2, y3;
};

// The span from keys[k - 1] to keys[k]. A first key that is no 2D Bezier key has no handle of
// its own: it gets one a third of the way along the span, raised by a third of its stored
// outgoing tangent, which is where a Hermite tangent puts the Bezier control point.
BezierSpan bezierSpanOf(const KeyList& keys, size_t k) {
    const EnvelopeKey& from = keys[k - 1];
    const EnvelopeKey& to = keys[k];
    const bool fromHasHandles = shapeOf(from) == SpanShape::Bezier2D;
    const double spanLength = to.time - from.time;
    return {from.time,
            from.time + (fromHasHandles ? outHandleTime(from) : spanLength / 3.0),
            to.time + inHandleTime(to),
            to.time,
            from.value,
            from.value + (fromHasHandles ? outHandleValue(from) : outTangent(from) / 3.0),
            to.value + inHandleValue(to),
            to.value};
}

// Times of one span whose curve parameters are looked for together: their halvings depend on
// nothing of each other's, so the processor overlaps them where one alone waits on each step.
constexpr size_t kBezierLanes = 4;

// The curve parameter at which the span reaches each of `lanes` times, by halving [0, 1], to
// far finer than a frame. It takes the span's time to rise along the curve, as handles that
// stay within their span make it; crossed handles still give a parameter in [0, 1].
void bezierParametersAt(const BezierSpan& span, const double* time, double* t, size_t lanes) {
    constexpr double kTimeTolerance = 1e-10;  // seconds
    constexpr int kMaxHalvings = 64;          // past 2^-53 halving changes nothing
    double low[kBezierLanes], high[kBezierLanes];
    bool found[kBezierLanes];
    for (size_t l = 0; l < lanes; ++l) low[l] = 0.0, high[l] = 1.0, t[l] = 0.5, found[l] = false;
    for (int i = 0; i < kMaxHalvings; ++i) {
        bool searching = false;
        for (size_t l = 0; l < lanes; ++l) {
            if (found[l]) continue;
            t[l] = 0.5 * (low[l] + high[l]);
            const double x = cubicBezier(span.x0, span.x1, span.x2, span.x3, t[l]);
            found[l] = std::fabs(x - time[l]) <= kTimeTolerance;
            if (!found[l]) (x > time[l] ? high[l] : low[l]) = t[l];
            searching = searching || !found[l];
        }
        if (!searching) break;
    }
}

double bezierValue(const BezierSpan& span, double t) {
    return cubicBezier(span.y0, span.y1, span.y2, span.y3, t);
}

double bezier2DSpan(const KeyList& keys, size_t k, double time) {
    const BezierSpan span = bezierSpanOf(keys, k);
    double t = 0.0;
    bezierParametersAt(span, &time, &t, 1);
    return bezierValue(span, t);
}

double hermiteSpan(const KeyList& keys, size_t k, double t, const SpanTangents& tangents) {
    return hermiteBasis1(t) * keys[k - 1].value + hermiteBasis2(t) * keys[k].value +
           hermiteBasis3(t) * tangents.leaving + hermiteBasis4(t) * tangents.arriving;
}

// The index of the key that ends the span holding `time`: the first key after the first
// whose time is not before it, or the last key. Halving keeps it inside the keys whatever
// their order.
size_t spanEnd(const KeyList& keys, double time) {
    size_t low = 1, high = keys.size() - 1;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (keys[middle].time < time) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

// The value at `time` within the span that ends at keys[k]; `tangents()` gives the span's
// Hermite tangents, asked only for a span that needs them.
template <typename Tangents>
double spanValue(const KeyList& keys, size_t k, double time, Tangents tangents) {
    const EnvelopeKey& from = keys[k - 1];
    const EnvelopeKey& to = keys[k];
    if (time == from.time) return from.value;
    if (time == to.time) return to.value;
    const double t = ratio(time - from.time, to.time - from.time);
    const std::optional<SpanShape> shape = shapeOf(to);
    if (!shape) return 0.0;
    switch (*shape) {
        case SpanShape::Tcb:
        case SpanShape::Hermite:
        case SpanShape::Bezier1D:
            return hermiteSpan(keys, k, t, tangents());
        case SpanShape::Bezier2D:
            return bezier2DSpan(keys, k, time);
        case SpanShape::Linear:
            return from.value + t * (to.value - from.value);
        case SpanShape::Stepped:
            return from.value;
    }
    return 0.0;
}

// The value at a time within the keys (two or more of them).
double insideKeys(const KeyList& keys, double time) {
    const size_t k = spanEnd(keys, time);
    return spanValue(keys, k, time, [&] { return hermiteTangents(keys, k); });
}

// A time outside the keys moved by whole key ranges into [first, last], and how many ranges
// it moved (negative before the keys). fmod is exact, so any finite time folds in one step.
struct Folded {
    double time;
    double cycles;
};

Folded foldIntoKeys(double time, double first, double last) {
    const double length = last - first;
    if (!(length > 0.0)) return {first, 0.0};  // every key at one time
    double within = std::fmod(time - first, length);
    if (within < 0.0) within += length;
    const double cycles = std::round((time - first - within) / length);
    return {std::min(first + within, last), cycles};
}

bool isOdd(double wholeNumber) { return std::fmod(wholeNumber, 2.0) != 0.0; }

enum class Side { BeforeFirst, AfterLast };

// The straight line a linear behaviour continues: the edge key's tangent per second.
double edgeSlope(const KeyList& keys, Side side) {
    const size_t n = keys.size();
    if (side == Side::BeforeFirst) {
        return ratio(outgoingTangent(keys, 0), keys[1].time - keys[0].time);
    }
    return ratio(incomingTangent(keys, n - 1), keys[n - 1].time - keys[n - 2].time);
}

// A curve within its keys and the slope it leaves them at: the published envelope's, or the
// one version 3 scenes are baked along.
struct Curve {
    double (*inside)(const KeyList& keys, double time);
    double (*slope)(const KeyList& keys, Side side);
};

constexpr Curve kEnvelopeCurve = {insideKeys, edgeSlope};

double outsideKeys(const Envelope& envelope, Side side, double time, const Curve& curve = kEnvelopeCurve) {
    const KeyList& keys = envelope.keys;
    const EnvelopeKey& first = keys.front();
    const EnvelopeKey& last = keys.back();
    const EnvelopeKey& edge = side == Side::BeforeFirst ? first : last;
    const int32_t code = side == Side::BeforeFirst ? envelope.preBehavior : envelope.postBehavior;
    const EnvelopeBehavior behavior = behaviorFromCode(code).value_or(EnvelopeBehavior::Constant);
    if (behavior == EnvelopeBehavior::Reset) return 0.0;
    if (behavior == EnvelopeBehavior::Constant || !std::isfinite(time - edge.time)) {
        return edge.value;
    }
    if (behavior == EnvelopeBehavior::Linear) {
        return edge.value + curve.slope(keys, side) * (time - edge.time);
    }
    const Folded folded = foldIntoKeys(time, first.time, last.time);
    switch (behavior) {
        case EnvelopeBehavior::Oscillate: {
            const double mirrored = last.time - (folded.time - first.time);
            return curve.inside(keys, isOdd(folded.cycles) ? mirrored : folded.time);
        }
        case EnvelopeBehavior::OffsetRepeat:
            return curve.inside(keys, folded.time) + folded.cycles * (last.value - first.value);
        default:
            return curve.inside(keys, folded.time);
    }
}

// Version 3's own curve: every span Hermite from the two tangents its keys store (the
// outgoing one of the first, the incoming one of the second, unscaled), as bakeEnvelopes
// draws it.
double storedTangentSpan(const KeyList& keys, size_t k, double time) {
    const EnvelopeKey& from = keys[k - 1];
    const EnvelopeKey& to = keys[k];
    const double t = ratio(time - from.time, to.time - from.time);
    return from.value * hermiteBasis1(t) + to.value * hermiteBasis2(t) + from.param5 * hermiteBasis3(t) +
           to.param4 * hermiteBasis4(t);
}

double insideStoredTangents(const KeyList& keys, double time) {
    const size_t k = spanEnd(keys, time);
    if (time <= keys[k - 1].time) return keys[k - 1].value;
    if (time >= keys[k].time) return keys[k].value;
    return storedTangentSpan(keys, k, time);
}

// A Hermite span leaves its end with the end's tangent over the span's length.
double storedTangentSlope(const KeyList& keys, Side side) {
    const size_t n = keys.size();
    if (side == Side::BeforeFirst) return ratio(keys[0].param5, keys[1].time - keys[0].time);
    return ratio(keys[n - 1].param4, keys[n - 1].time - keys[n - 2].time);
}

constexpr Curve kStoredTangentCurve = {insideStoredTangents, storedTangentSlope};

// Post behaviours the held last sample does not already give.
bool extendsPastLastKey(const Envelope& envelope) {
    if (!envelope.behaviorsGiven || envelope.keys.size() < 2) return false;
    const std::optional<EnvelopeBehavior> behavior = behaviorFromCode(envelope.postBehavior);
    return behavior && behavior != EnvelopeBehavior::Constant;
}

}  // namespace

void followPostBehaviors(BakedChannels& baked, const std::vector<EnvelopeChannel>& channels,
                         int32_t framesPerSecond, int32_t throughFrame) {
    if (framesPerSecond <= 0) return;
    const double rate = framesPerSecond;
    for (size_t c = 0; c < channels.size() && c < baked.size(); ++c) {
        const Envelope& envelope = channels[c].envelope;
        if (!extendsPastLastKey(envelope)) continue;
        SampleArray& samples = baked[c];
        // Sample i stands for the first key's time plus i frames.
        const double firstKeyFrame = envelope.keys.front().time * rate;
        const double lastIndex = std::floor(double(throughFrame) - firstKeyFrame + 1e-9);
        const double end = std::min(lastIndex + 1.0, double(kMaxSamplesPerChannel));
        for (double i = double(samples.size()); i < end; i += 1.0) {
            const double seconds = (firstKeyFrame + i) / rate;
            samples.push_back(seconds > envelope.keys.back().time
                                  ? outsideKeys(envelope, Side::AfterLast, seconds, kStoredTangentCurve)
                                  : insideStoredTangents(envelope.keys, seconds));
        }
    }
}

std::optional<SpanShape> spanShapeFromCode(double code) {
    // Compared as a double first: converting NaN or a huge code to an integer is undefined.
    if (!(code >= 0.0 && code <= 5.0) || code != std::trunc(code)) return std::nullopt;
    return static_cast<SpanShape>(static_cast<int32_t>(code));
}

std::optional<EnvelopeBehavior> behaviorFromCode(int32_t code) {
    if (code < 0 || code > 5) return std::nullopt;
    return static_cast<EnvelopeBehavior>(code);
}

// Keys in time order: the span of a later time is never before the span of an earlier one.
// NaN times count as out of order.
bool inTimeOrder(const KeyList& keys) {
    for (size_t k = 1; k < keys.size(); ++k) {
        if (!(keys[k - 1].time <= keys[k].time)) return false;
    }
    return true;
}

EnvelopeWalk::EnvelopeWalk(const Envelope& envelope)
    : envelope_(envelope), ordered_(inTimeOrder(envelope.keys)) {}

// For keys in time order the span found by halving is the first whose end is not before the
// time, which a time no earlier than the last one asked reaches by stepping on. Stepping to a
// time again moves nothing.
bool EnvelopeWalk::walkTo(double seconds) {
    const KeyList& keys = envelope_.keys;
    const bool inside = keys.size() >= 2 && seconds >= keys.front().time && seconds <= keys.back().time;
    if (!ordered_ || !inside || seconds < lastTime_) return false;
    lastTime_ = seconds;
    while (span_ + 1 < keys.size() && keys[span_].time < seconds) ++span_;
    return true;
}

double EnvelopeWalk::at(double seconds) {
    const KeyList& keys = envelope_.keys;
    if (!walkTo(seconds)) return evaluateEnvelope(envelope_, seconds);
    return spanValue(keys, span_, seconds, [&] {
        if (tangentsSpan_ != span_) {
            tangents_ = hermiteTangents(keys, span_);
            tangentsSpan_ = span_;
        }
        return tangents_;
    });
}

namespace {

double frameSeconds(int64_t frame, int32_t framesPerSecond) {
    return static_cast<double>(frame) / framesPerSecond;
}

}  // namespace

// The samples from `first` on (of frame `firstFrame` + `first` on) that lie strictly within one
// 2D Bezier span, up to kBezierLanes of them, each evaluated as at() would; how many there
// were (none: the sample is for at()). A frame that ends the run has been walked to, which
// at() or the next run does again without harm.
size_t EnvelopeWalk::bezierFrames(int64_t firstFrame, int32_t framesPerSecond, SampleArray& samples,
                                  size_t first) {
    const KeyList& keys = envelope_.keys;
    const size_t most = samples.size() - first;
    const int64_t frame = firstFrame + static_cast<int64_t>(first);
    double times[kBezierLanes];
    size_t lanes = 0;
    size_t span = 0;
    for (; lanes < std::min(most, kBezierLanes); ++lanes) {
        const double seconds = frameSeconds(frame + static_cast<int64_t>(lanes), framesPerSecond);
        if (!walkTo(seconds) || (lanes > 0 && span_ != span) ||
            shapeOf(keys[span_]) != SpanShape::Bezier2D || seconds == keys[span_ - 1].time ||
            seconds == keys[span_].time) {
            break;
        }
        span = span_;
        times[lanes] = seconds;
    }
    if (lanes == 0) return 0;
    const BezierSpan bezier = bezierSpanOf(keys, span);
    double t[kBezierLanes];
    bezierParametersAt(bezier, times, t, lanes);
    for (size_t l = 0; l < lanes; ++l) samples[first + l] = bezierValue(bezier, t[l]);
    return lanes;
}

void EnvelopeWalk::atFrames(int64_t firstFrame, int32_t framesPerSecond, SampleArray& samples) {
    for (size_t i = 0; i < samples.size();) {
        const size_t done = bezierFrames(firstFrame, framesPerSecond, samples, i);
        if (done == 0) {
            samples[i] = at(frameSeconds(firstFrame + static_cast<int64_t>(i), framesPerSecond));
        }
        i += std::max(done, size_t{1});
    }
}

double evaluateEnvelope(const Envelope& envelope, double seconds) {
    const KeyList& keys = envelope.keys;
    if (keys.empty()) return 0.0;
    if (keys.size() == 1) return keys.front().value;
    if (seconds < keys.front().time) return outsideKeys(envelope, Side::BeforeFirst, seconds);
    if (seconds > keys.back().time) return outsideKeys(envelope, Side::AfterLast, seconds);
    return insideKeys(keys, seconds);
}
