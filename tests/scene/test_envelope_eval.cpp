// Envelope evaluation against values worked out by hand from the published formulas:
//   Hermite basis  h1 = 2t^3 - 3t^2 + 1, h2 = -2t^3 + 3t^2, h3 = t^3 - 2t^2 + t, h4 = t^3 - t^2
//   (at t = 1/2: 1/2, 1/2, 1/8, -1/8); value = h1 v0 + h2 v1 + h3 out0 + h4 in1.
//   TCB out of key k: share (a (v[k] - v[k-1]) + b (v[k+1] - v[k])),
//     a = (1-T)(1+C)(1+B), b = (1-T)(1-C)(1-B); share = (t[k+1] - t[k]) / (t[k+1] - t[k-1]).
//   TCB into key k: share (a (v[k] - v[k-1]) + b (v[k+1] - v[k])),
//     a = (1-T)(1-C)(1+B), b = (1-T)(1+C)(1-B); share = (t[k] - t[k-1]) / (t[k+1] - t[k-1]).
//   End keys lack the missing neighbour's term and have share 1.
//   Bezier: B(t) = (1-t)^3 p0 + 3(1-t)^2 t p1 + 3(1-t) t^2 p2 + t^3 p3 (at t = 1/2:
//   (p0 + 3 p1 + 3 p2 + p3) / 8), solved for t on the time axis, read on the value axis.
#include "scene/envelope_eval.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr double kTight = 1e-9;

// Key line fields in file order: value, time, shape, p1..p6.
EnvelopeKey key(double value, double time, SpanShape shape, std::array<double, 6> p = {}) {
    EnvelopeKey k;
    k.value = value;
    k.time = time;
    k.shape = static_cast<double>(shape);
    k.param1 = p[0];
    k.param2 = p[1];
    k.param3 = p[2];
    k.param4 = p[3];
    k.param5 = p[4];
    k.param6 = p[5];
    return k;
}

Envelope envelope(std::vector<EnvelopeKey> keys, EnvelopeBehavior pre = EnvelopeBehavior::Constant,
                  EnvelopeBehavior post = EnvelopeBehavior::Constant) {
    Envelope e;
    e.keyCount = static_cast<int32_t>(keys.size());
    e.keys = std::move(keys);
    e.preBehavior = static_cast<int32_t>(pre);
    e.postBehavior = static_cast<int32_t>(post);
    return e;
}

double at(const Envelope& e, double seconds) { return evaluateEnvelope(e, seconds); }

// --- span shapes -------------------------------------------------------------------------

TEST(EnvelopeSpans, LinearAndSteppedBetweenAtAndOutsideTheKeys) {
    const Envelope line = envelope({key(0, 0, SpanShape::Linear), key(10, 2, SpanShape::Linear)});
    EXPECT_DOUBLE_EQ(at(line, 0.5), 2.5);  // 0 + 0.25 * 10
    EXPECT_DOUBLE_EQ(at(line, 2.0), 10.0);
    EXPECT_DOUBLE_EQ(at(line, -1.0), 0.0);  // constant before
    EXPECT_DOUBLE_EQ(at(line, 3.0), 10.0);  // constant after

    // A stepped span holds its first key's value until its own key.
    const Envelope steps = envelope(
        {key(1, 0, SpanShape::Tcb), key(4, 1, SpanShape::Stepped), key(9, 2, SpanShape::Stepped)});
    EXPECT_DOUBLE_EQ(at(steps, 0.5), 1.0);
    EXPECT_DOUBLE_EQ(at(steps, 0.999), 1.0);
    EXPECT_DOUBLE_EQ(at(steps, 1.0), 4.0);
    EXPECT_DOUBLE_EQ(at(steps, 1.5), 4.0);
    EXPECT_DOUBLE_EQ(at(steps, 2.0), 9.0);
}

TEST(EnvelopeSpans, TcbWeighsTheNeighbouringChangesByTensionContinuityAndBias) {
    // k0 (0 at 0 s, T 0.5), k1 (4 at 1 s, C 0.5, B -0.5), k2 (2 at 3 s).
    const Envelope tcb = envelope({key(0, 0, SpanShape::Tcb, {0.5, 0, 0}),
                                   key(4, 1, SpanShape::Tcb, {0, 0.5, -0.5}),
                                   key(2, 3, SpanShape::Tcb)});
    // out0 = b d = (1 - 0.5) * 4 = 2.
    // in1: a = 1 * 0.5 * 0.5 = 0.25, b = 1 * 1.5 * 1.5 = 2.25, share = 1/3:
    //   1/3 (0.25 * 4 + 2.25 * (2 - 4)) = -3.5/3.
    // 0.5 s (t 1/2): 4/2 + 2/8 + 3.5/24 = 2.3958333...
    EXPECT_NEAR(at(tcb, 0.5), 2.0 + 0.25 + 3.5 / 24.0, kTight);
    // 0.25 s (t 1/4): h2 = 5/32, h3 = 9/64, h4 = -3/64: 4 * 5/32 + 2 * 9/64 + 3.5/3 * 3/64
    //   = 0.625 + 0.28125 + 0.0546875 = 0.9609375.
    EXPECT_NEAR(at(tcb, 0.25), 0.9609375, kTight);
    // out1: a = 1 * 1.5 * 0.5 = 0.75, b = 1 * 0.5 * 1.5 = 0.75, share 2/3:
    //   2/3 (0.75 * 4 + 0.75 * -2) = 1. in2 = 2 - 4 = -2 (no next key).
    // 2 s (t 1/2): 4/2 + 2/2 + 1/8 + 2/8 = 3.375.
    EXPECT_NEAR(at(tcb, 2.0), 3.375, kTight);
    EXPECT_DOUBLE_EQ(at(tcb, 1.0), 4.0);
}

TEST(EnvelopeSpans, HermiteAndOneDimensionalBezierScaleStoredTangentsBySpanShare) {
    for (SpanShape shape : {SpanShape::Hermite, SpanShape::Bezier1D}) {
        // p4 incoming, p5 outgoing tangent.
        const Envelope e = envelope({key(1, 0, shape, {0, 0, 0, 0, 6}),
                                     key(3, 2, shape, {0, 0, 0, -2, 3}),
                                     key(0, 3, shape, {0, 0, 0, -1})});
        // out0 = 6 (first key, share 1); in1 = -2 * 2/3 = -4/3.
        // 1 s: 1/2 + 3/2 + 6/8 + 4/24 = 2.9166666...
        EXPECT_NEAR(at(e, 1.0), 2.0 + 0.75 + 1.0 / 6.0, kTight) << static_cast<int>(shape);
        // out1 = 3 * 1/3 = 1; in2 = -1 (last key). 2.5 s: 3/2 + 0 + 1/8 + 1/8 = 1.75.
        EXPECT_NEAR(at(e, 2.5), 1.75, kTight) << static_cast<int>(shape);
    }
}

TEST(EnvelopeSpans, TwoDimensionalBezierFollowsItsHandlesInTimeAndValue) {
    // Controls (0, 0) (0.5, 3) (2, 3) (3, 6): out handle p3 p4 = 0.5 3, in handle p1 p2 = -1 -3.
    const Envelope e = envelope({key(0, 0, SpanShape::Bezier2D, {0, 0, 0.5, 3}),
                                 key(6, 3, SpanShape::Bezier2D, {-1, -3})});
    // t 1/2: time (0 + 1.5 + 6 + 3)/8 = 1.3125, value (0 + 9 + 9 + 6)/8 = 3.
    EXPECT_NEAR(at(e, 1.3125), 3.0, kTight);
    // t 1/4: weights 27/64 27/64 9/64 1/64: time (13.5 + 18 + 3)/64 = 0.5390625,
    //   value (81 + 27 + 6)/64 = 1.78125.
    EXPECT_NEAR(at(e, 0.5390625), 1.78125, kTight);

    // After a Hermite key the first handle sits a third along the span, raised by a third of
    // that key's outgoing tangent (p5 = 3): controls (0, 0) (1, 1) (2, 3) (3, 6), time = 3t.
    const Envelope afterHermite = envelope({key(0, 0, SpanShape::Hermite, {0, 0, 0, 0, 3}),
                                            key(6, 3, SpanShape::Bezier2D, {-1, -3})});
    EXPECT_NEAR(at(afterHermite, 1.5), 18.0 / 8.0, kTight);  // (0 + 3 + 9 + 6)/8
    // t 1/3: weights 8/27 12/27 6/27 1/27: (12 + 18 + 6)/27 = 4/3.
    EXPECT_NEAR(at(afterHermite, 1.0), 4.0 / 3.0, 1e-8);
}

TEST(EnvelopeSpans, TangentLeavingAKeyFollowsThatKeysOwnShape) {
    // Into a TCB span from a linear key: out1 = share (before + after) = 2/3 (2 + 6) = 16/3;
    // in2 = 8 - 2 = 6. 2 s (t 1/2): 2/2 + 8/2 + 16/24 - 6/8 = 4.9166666...
    Envelope e = envelope({key(0, 0, SpanShape::Linear), key(2, 1, SpanShape::Linear),
                           key(8, 3, SpanShape::Tcb)});
    EXPECT_NEAR(at(e, 2.0), 5.0 + 2.0 / 3.0 - 0.75, kTight);
    // A stepped key leaves flat: 5 - 6/8 = 4.25.
    e.keys[1].shape = static_cast<double>(SpanShape::Stepped);
    EXPECT_NEAR(at(e, 2.0), 4.25, kTight);

    // A 2D Bezier key's handle slope over the span: 1 / 0.5 * 2 s = 4. 1 s: 4/8 = 0.5.
    const Envelope fromHandle = envelope({key(0, 0, SpanShape::Bezier2D, {0, 0, 0.5, 1}),
                                          key(0, 2, SpanShape::Hermite)});
    EXPECT_NEAR(at(fromHandle, 1.0), 0.5, kTight);
    // A handle of no length is steep, not infinite: 1 / 1e-5 * 2 s / 8 = 25000.
    const Envelope vertical = envelope({key(0, 0, SpanShape::Bezier2D, {0, 0, 0, 1}),
                                        key(0, 2, SpanShape::Hermite)});
    EXPECT_NEAR(at(vertical, 1.0), 25000.0, 1e-6);
}

// --- behaviours ----------------------------------------------------------------------------

// A straight line from 1 at 1 s to 3 at 3 s: value = time inside the keys. The keys do not
// start at 0, so folding must count from the first key.
Envelope ramp(EnvelopeBehavior pre, EnvelopeBehavior post) {
    return envelope({key(1, 1, SpanShape::Linear), key(3, 3, SpanShape::Linear)}, pre, post);
}

TEST(EnvelopeBehaviors, ResetAndConstant) {
    const Envelope reset = ramp(EnvelopeBehavior::Reset, EnvelopeBehavior::Reset);
    EXPECT_DOUBLE_EQ(at(reset, 0.5), 0.0);
    EXPECT_DOUBLE_EQ(at(reset, 1.0), 1.0);
    EXPECT_DOUBLE_EQ(at(reset, 2.0), 2.0);
    EXPECT_DOUBLE_EQ(at(reset, 3.0), 3.0);
    EXPECT_DOUBLE_EQ(at(reset, 3.5), 0.0);
    const Envelope constant = ramp(EnvelopeBehavior::Constant, EnvelopeBehavior::Constant);
    EXPECT_DOUBLE_EQ(at(constant, -1e6), 1.0);
    EXPECT_DOUBLE_EQ(at(constant, 1e6), 3.0);
}

TEST(EnvelopeBehaviors, RepeatOscillateAndOffsetRepeatOnBothSides) {
    // Range 1..3 s (length 2), rising 2 a cycle.
    const Envelope repeat = ramp(EnvelopeBehavior::Repeat, EnvelopeBehavior::Repeat);
    EXPECT_DOUBLE_EQ(at(repeat, 3.5), 1.5);   // 0.5 into the second cycle
    EXPECT_DOUBLE_EQ(at(repeat, 5.5), 1.5);   // 0.5 into the third
    EXPECT_DOUBLE_EQ(at(repeat, 0.5), 2.5);   // 1.5 into the cycle before
    EXPECT_DOUBLE_EQ(at(repeat, -2.0), 2.0);  // -2 = 1 - 3: 1 into the cycle before that
    EXPECT_DOUBLE_EQ(at(repeat, 5.0), 1.0);   // a whole number of cycles lands on the first key

    // Odd cycles run backwards: 3.5 s is 0.5 into cycle 1, mirrored to 3 - 0.5 = 2.5.
    const Envelope oscillate = ramp(EnvelopeBehavior::Oscillate, EnvelopeBehavior::Oscillate);
    EXPECT_DOUBLE_EQ(at(oscillate, 3.5), 2.5);
    EXPECT_DOUBLE_EQ(at(oscillate, 5.5), 1.5);  // cycle 2, forwards
    EXPECT_DOUBLE_EQ(at(oscillate, 0.5), 1.5);  // cycle -1: 2.5 mirrored to 1.5
    EXPECT_DOUBLE_EQ(at(oscillate, -1.5), 2.5);  // cycle -2 (2.5 - 4): forwards

    // Each cycle shifted by 3 - 1 = 2, which continues a straight line: value = time.
    const Envelope offset = ramp(EnvelopeBehavior::OffsetRepeat, EnvelopeBehavior::OffsetRepeat);
    for (double time : {-10.0, 0.5, 3.5, 5.5, 101.25}) EXPECT_NEAR(at(offset, time), time, kTight);
}

TEST(EnvelopeBehaviors, LinearContinuesTheEdgeTangents) {
    // Hermite tangents, per span: out0 = 6 over 2 s, in2 = -8 over 4 s (end keys, share 1).
    const Envelope e = envelope({key(1, 0, SpanShape::Hermite, {0, 0, 0, 0, 6}),
                                 key(3, 2, SpanShape::Hermite, {0, 0, 0, -2}),
                                 key(0, 6, SpanShape::Hermite, {0, 0, 0, -8})},
                                EnvelopeBehavior::Linear, EnvelopeBehavior::Linear);
    EXPECT_DOUBLE_EQ(at(e, -1.0), -2.0);  // 1 + 6/2 * -1
    EXPECT_DOUBLE_EQ(at(e, 7.0), -2.0);   // 0 + -8/4 * 1
}

TEST(EnvelopeBehaviors, HugeTimesFoldInOneStep) {
    for (auto behavior : {EnvelopeBehavior::Repeat, EnvelopeBehavior::Oscillate}) {
        const Envelope e = ramp(behavior, behavior);
        for (double time : {1e300, -1e300, 1e18 + 0.5, std::numeric_limits<double>::max()}) {
            const double v = at(e, time);
            EXPECT_GE(v, 1.0) << time;
            EXPECT_LE(v, 3.0) << time;
        }
        EXPECT_DOUBLE_EQ(at(e, std::numeric_limits<double>::infinity()), 3.0);
        EXPECT_DOUBLE_EQ(at(e, -std::numeric_limits<double>::infinity()), 1.0);
    }
    const Envelope offset = ramp(EnvelopeBehavior::OffsetRepeat, EnvelopeBehavior::OffsetRepeat);
    EXPECT_NEAR(at(offset, 1e12 + 0.5), 1e12 + 0.5, 1e-3);
}

// --- degenerate envelopes -------------------------------------------------------------------

TEST(EnvelopeEdges, NoKeysOneKeyAndKeysSharingATime) {
    EXPECT_DOUBLE_EQ(at(Envelope{}, 5.0), 0.0);
    const Envelope one = envelope({key(7, 2, SpanShape::Tcb)}, EnvelopeBehavior::Reset,
                                  EnvelopeBehavior::Reset);
    for (double time : {-100.0, 2.0, 100.0}) EXPECT_DOUBLE_EQ(at(one, time), 7.0);

    // A jump at 1 s: the first of the keys there holds at that time, the last leads on.
    const Envelope jump = envelope({key(0, 0, SpanShape::Linear), key(10, 1, SpanShape::Linear),
                                    key(20, 1, SpanShape::Linear), key(30, 2, SpanShape::Linear)});
    EXPECT_DOUBLE_EQ(at(jump, 0.5), 5.0);
    EXPECT_DOUBLE_EQ(at(jump, 1.0), 10.0);
    EXPECT_DOUBLE_EQ(at(jump, 1.5), 25.0);

    // All keys at one time: repeating has no range to fold into and stays on the first key.
    const Envelope together = envelope({key(3, 1, SpanShape::Tcb), key(5, 1, SpanShape::Tcb)},
                                       EnvelopeBehavior::Repeat, EnvelopeBehavior::Linear);
    EXPECT_DOUBLE_EQ(at(together, 0.0), 3.0);
    EXPECT_DOUBLE_EQ(at(together, 1.0), 3.0);
    EXPECT_DOUBLE_EQ(at(together, 2.0), 5.0);  // linear with no span: flat
}

TEST(EnvelopeEdges, CodesThatNameNoShapeOrBehaviour) {
    EXPECT_EQ(spanShapeFromCode(5.0), SpanShape::Bezier2D);
    for (double code : {-1.0, 2.5, 6.0, 1e300, std::nan("")}) {
        EXPECT_FALSE(spanShapeFromCode(code).has_value()) << code;
    }
    EXPECT_EQ(behaviorFromCode(4), EnvelopeBehavior::OffsetRepeat);
    EXPECT_FALSE(behaviorFromCode(6).has_value());
    EXPECT_FALSE(behaviorFromCode(-1).has_value());

    // A span ending in an unknown shape is 0; an unknown behaviour holds the edge value.
    Envelope e = ramp(EnvelopeBehavior::Constant, EnvelopeBehavior::Constant);
    e.keys[1].shape = 9.0;
    e.postBehavior = 17;
    EXPECT_DOUBLE_EQ(at(e, 2.0), 0.0);
    EXPECT_DOUBLE_EQ(at(e, 4.0), 3.0);
}

// --- frames in a row --------------------------------------------------------------------------

// Baking walks a channel's frames in time order instead of evaluating each alone; with keys out
// of order, keys sharing a time, frames landing on keys and every shape and behaviour, each
// frame must still get exactly what it gets alone.
TEST(EnvelopeWalk, FramesInARowGetWhatEachFrameGetsAlone) {
    const std::array<double, 6> handles = {-0.1, 0.3, 0.2, -0.4, 0.5, 0.6};
    const std::vector<Envelope> envelopes = {
        envelope({key(0, 0, SpanShape::Tcb, {0.2, -0.3, 0.1}), key(2, 0.5, SpanShape::Bezier2D, handles),
                  key(-1, 0.9, SpanShape::Hermite, handles), key(4, 0.9, SpanShape::Linear),
                  key(3, 1.4, SpanShape::Bezier1D, handles), key(1, 2, SpanShape::Stepped),
                  key(5, 2.7, SpanShape::Bezier2D, handles)},
                 EnvelopeBehavior::Oscillate, EnvelopeBehavior::OffsetRepeat),
        // Halving over these keys finds other spans than stepping through them would.
        envelope({key(0, 0, SpanShape::Linear), key(5, 2, SpanShape::Tcb),
                  key(1, 1, SpanShape::Bezier2D, handles), key(3, 3, SpanShape::Linear)},
                 EnvelopeBehavior::Repeat, EnvelopeBehavior::Linear),
    };
    constexpr int64_t kFirstFrame = -40;
    for (const Envelope& e : envelopes) {
        SampleArray frames(200);
        EnvelopeWalk(e).atFrames(kFirstFrame, 30, frames);
        for (size_t i = 0; i < frames.size(); ++i) {
            const double seconds = static_cast<double>(kFirstFrame + static_cast<int64_t>(i)) / 30;
            EXPECT_EQ(frames[i], at(e, seconds)) << "frame " << kFirstFrame + static_cast<int64_t>(i);
        }
    }
}

// --- channels copied from real version 5 scenes (tests/data/lws), 30 frames a second -------

TEST(EnvelopeRealScenes, MoveXPostOffsetRepeatChannel0) {
    // TCB keys, T = C = B = 0 (a = b = 1); pre constant, post offset repeat.
    const double v1 = 2.1381859973436792, v2 = -1.6381832361221313;
    const Envelope x = envelope({key(0, 0, SpanShape::Tcb, {0, 0, 0, 0, 2.1372954575696919}),
                                 key(v1, 0.66666666666666663, SpanShape::Tcb,
                                     {0, 0, 0, -0.8400939672421186, -0.79808926888001264}),
                                 key(v2, 1.3, SpanShape::Tcb, {0, 0, 0, -3.7747136573003282})},
                                EnvelopeBehavior::Constant, EnvelopeBehavior::OffsetRepeat);
    // out0 = v1 = 2.1381859973436792;
    // in1 = (2/3)/1.3 * ((v2 - v1) + v1) = 0.5128205128 * v2 = -0.8400939672421186.
    // Frame 10 (1/3 s, t 1/2): v1/2 + v1/8 + 0.8400939672421186/8 = 1.4413779942450644.
    EXPECT_NEAR(at(x, 10.0 / 30), 1.4413779942450644, kTight);
    // out1 = (1.3 - 2/3)/1.3 * (v1 + (v2 - v1)) = 0.4871794872 * v2 = -0.7980892688800127;
    // in2 = v2 - v1 = -3.7763692334658105 (the file's own p4 is not used).
    // Frame 30 (1 s, t = (1/3)/(19/30) = 10/19): h = 3159, 3700, 810, -900 over 6859:
    //   h1 v1 + h2 v2 + h3 out1 + h4 in2
    //   = (3159 * 2.13818600 + 3700 * -1.63818324 + 810 * -0.79808927 - 900 * -3.77636923) / 6859
    //   = (6754.5196 - 6061.2780 - 646.4523 + 3398.7323) / 6859 = 0.5023373078.
    EXPECT_NEAR(at(x, 30.0 / 30), 0.5023373078121037, kTight);
    EXPECT_DOUBLE_EQ(at(x, 20.0 / 30), v1);  // at the keys
    EXPECT_DOUBLE_EQ(at(x, 39.0 / 30), v2);
    EXPECT_DOUBLE_EQ(at(x, -10.0 / 30), 0.0);  // before: constant
    // After: one cycle (1.3 s) on, shifted by v2 - 0. Frame 49 = 1/3 s into cycle 1,
    // frame 69 = 1 s into it.
    EXPECT_NEAR(at(x, 49.0 / 30), 1.4413779942450644 + v2, kTight);  // -0.19680524
    EXPECT_NEAR(at(x, 69.0 / 30), 0.5023373078121037 + v2, kTight);  // -1.13584593
}

TEST(EnvelopeRealScenes, MoveXzBezierChannel0) {
    // 2D Bezier keys at 0, 2/3 and 2 s; pre reset, post constant.
    const double v1 = 1.924918483918713, v2 = -0.52300345897674561;
    const Envelope x = envelope(
        {key(0, 0, SpanShape::Bezier2D, {0, 0, 0.22222, 0.64163307824462457, 2.0144942798797212}),
         key(v1, 0.66666666666666663, SpanShape::Bezier2D,
             {-0.22222, 0.012913536517090266, 0.44444, -0.10330829213672213, -0.3486689726511637}),
         key(v2, 2, SpanShape::Bezier2D, {-0.44444, 0.81596582122534322})},
        EnvelopeBehavior::Reset, EnvelopeBehavior::Constant);
    // Span 1 time controls 0, 0.22222, 2/3 - 0.22222, 2/3: at t 1/2 time is
    // (0 + 3 * 2/3 + 2/3)/8 = 1/3 s = frame 10. Value controls 0, 0.64163308,
    // v1 + 0.01291354 = 1.93783202, v1: (3 * 0.64163308 + 3 * 1.93783202 + 1.92491848)/8
    //   = 1.2079142225.
    EXPECT_NEAR(at(x, 10.0 / 30), 1.2079142224949995, 1e-8);
    // Span 2 time controls 2/3, 2/3 + 0.44444, 2 - 0.44444, 2: t 1/2 at 4/3 s = frame 40.
    // Value controls v1, v1 - 0.10330829 = 1.82161019, v2 + 0.81596582 = 0.29296236, v2:
    //   (1.92491848 + 5.46483058 + 0.87888709 - 0.52300346)/8 = 0.9682040859.
    EXPECT_NEAR(at(x, 40.0 / 30), 0.9682040858792167, 1e-8);
    EXPECT_DOUBLE_EQ(at(x, 20.0 / 30), v1);
    EXPECT_DOUBLE_EQ(at(x, -5.0 / 30), 0.0);  // before: reset
    EXPECT_DOUBLE_EQ(at(x, 90.0 / 30), v2);   // after: constant
}

TEST(EnvelopeRealScenes, MoveYPreOffsetRepeatPostOscillateChannel1) {
    // TCB keys 0 at 0 s, 0 at 1 s, v2 at 1.7 s (T = C = B = 0); pre offset repeat, post
    // oscillate. out0 = 0; in1 = (1/1.7) v2 = 0.5818227810; out1 = (0.7/1.7) v2 = 0.4072759467;
    // in2 = v2.
    const double v2 = 0.98909872770309448;
    const Envelope y = envelope(
        {key(0, 0, SpanShape::Tcb),
         key(0, 1, SpanShape::Tcb, {0, 0, 0, 0.58182278100182028, 0.40727594670127421}),
         key(v2, 1.7, SpanShape::Tcb, {0, 0, 0, 0.98870638389995957})},
        EnvelopeBehavior::OffsetRepeat, EnvelopeBehavior::Oscillate);
    const double in1 = v2 / 1.7;
    // Frame 15 (t 1/2): h4 in1 = -0.5818227810/8 = -0.0727278476.
    EXPECT_NEAR(at(y, 15.0 / 30), -0.07272784762522753, kTight);
    // Frame 45 (1.5 s, t 5/7, h = 68 275 20 -50 over 343):
    //   (275 v2 + 20 out1 - 50 v2)/343 = (222.5472137 + 8.1455189)/343 = 0.6725735646.
    EXPECT_NEAR(at(y, 45.0 / 30), 0.6725735646274688, kTight);
    // Frame 60 (2 s): cycle 1, 0.3 s in, backwards: 1.4 s, t 4/7 (h = 135 208 36 -48 / 343):
    //   (208 v2 + 36 out1 - 48 v2)/343 = (158.2557964 + 14.6619341)/343 = 0.5041333251.
    EXPECT_NEAR(at(y, 60.0 / 30), 0.5041333251129473, kTight);
    // Frame 111 (3.7 s): cycle 2, forwards, 0.3 s: h4(0.3) in1 = -0.063 * in1 = -0.0366548352.
    EXPECT_NEAR(at(y, 111.0 / 30), -0.063 * in1, kTight);
    // Frame -30 (-1 s): cycle -1 at 0.7 s, shifted by -(v2 - 0):
    //   h4(0.7) in1 - v2 = -0.147 * 0.5818227810 - 0.9890987277 = -1.0746266765.
    EXPECT_NEAR(at(y, -30.0 / 30), -1.074626676510362, kTight);
    EXPECT_DOUBLE_EQ(at(y, 51.0 / 30), v2);  // the last key
}

}  // namespace
