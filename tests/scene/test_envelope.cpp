#include "scene/envelope.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

EnvelopeKey key(double value, double time, double inTangent = 0.0, double outTangent = 0.0) {
    EnvelopeKey k;
    k.value = value;
    k.time = time;
    k.param4 = inTangent;
    k.param5 = outTangent;
    return k;
}

std::vector<EnvelopeChannel> oneChannel(std::vector<EnvelopeKey> keys) {
    EnvelopeChannel channel;
    channel.envelope.keyCount = static_cast<int32_t>(keys.size());
    channel.envelope.keys = std::move(keys);
    return {channel};
}

MotionKey motionKey(int32_t frame, double base) {
    MotionKey k;
    for (int c = 0; c < 9; ++c) k.values.push_back(base + c);
    k.params = {frame, 0, 0, 0, 0};
    return k;
}

TEST(HermiteBasis, EndpointsSelectValuesAndTangents) {
    EXPECT_DOUBLE_EQ(hermiteBasis1(0.0), 1.0);
    EXPECT_DOUBLE_EQ(hermiteBasis2(0.0), 0.0);
    EXPECT_DOUBLE_EQ(hermiteBasis1(1.0), 0.0);
    EXPECT_DOUBLE_EQ(hermiteBasis2(1.0), 1.0);
    EXPECT_DOUBLE_EQ(hermiteBasis3(0.5), 0.125);
    EXPECT_DOUBLE_EQ(hermiteBasis4(0.5), -0.125);
}

TEST(BakeEnvelopes, OneSecondAtThirtyFramesRisesAlongTheCurve) {
    const BakedChannels baked = bakeEnvelopes(oneChannel({key(0, 0), key(10, 1)}), 30);
    ASSERT_EQ(baked.size(), 1u);
    const SampleArray& s = baked[0];
    ASSERT_EQ(s.size(), 30u);
    EXPECT_DOUBLE_EQ(s[0], 0.0);
    EXPECT_NEAR(s[15], 5.0, 1e-12);
    EXPECT_LT(s[29], 10.0);
    for (size_t i = 1; i < s.size(); ++i) EXPECT_GT(s[i], s[i - 1]) << i;
}

TEST(BakeEnvelopes, FractionalSpanRoundsUpForHermiteAndDownForLinear) {
    const auto channels = oneChannel({key(0, 0), key(10, 0.5)});
    EXPECT_EQ(bakeEnvelopes(channels, 25)[0].size(), 13u);
    EXPECT_EQ(bakeEnvelopesLinear(channels, 25)[0].size(), 12u);
}

TEST(BakeEnvelopes, TangentsBendTheCurveButNotItsFirstSample) {
    const SampleArray flat = bakeEnvelopes(oneChannel({key(2, 0), key(10, 1)}), 30)[0];
    const SampleArray bent = bakeEnvelopes(oneChannel({key(2, 0, 0, 5), key(10, 1, -3, 0)}), 30)[0];
    ASSERT_EQ(bent.size(), flat.size());
    EXPECT_DOUBLE_EQ(bent[0], 2.0);
    EXPECT_NE(bent[10], flat[10]);
    // The outgoing tangent of the first key and the incoming one of the second are the ones used.
    const SampleArray wrongEnds = bakeEnvelopes(oneChannel({key(2, 0, 5, 0), key(10, 1)}), 30)[0];
    EXPECT_EQ(wrongEnds, flat);
}

TEST(BakeEnvelopes, ConsecutiveSpansStartAtTheirKeysAndSkipTheLastKey) {
    const SampleArray s = bakeEnvelopes(oneChannel({key(1, 0), key(4, 0.25), key(-2, 0.5)}), 16)[0];
    ASSERT_EQ(s.size(), 8u);
    EXPECT_DOUBLE_EQ(s[0], 1.0);
    EXPECT_DOUBLE_EQ(s[4], 4.0);
    EXPECT_NE(s.back(), -2.0);
}

TEST(BakeEnvelopes, DegenerateChannelsYieldEmptyArraysInChannelOrder) {
    std::vector<EnvelopeChannel> channels = oneChannel({});
    channels.push_back(oneChannel({key(3, 0)})[0]);
    channels.push_back(oneChannel({key(3, 1), key(5, 0)})[0]);  // backward span
    channels.push_back(oneChannel({key(3, 0), key(5, 1)})[0]);
    const BakedChannels baked = bakeEnvelopes(channels, 30);
    ASSERT_EQ(baked.size(), 4u);
    EXPECT_TRUE(baked[0].empty());
    EXPECT_TRUE(baked[1].empty());
    EXPECT_TRUE(baked[2].empty());
    EXPECT_EQ(baked[3].size(), 30u);
    EXPECT_TRUE(bakeEnvelopes(oneChannel({key(0, 0), key(1, 1)}), -30)[0].empty());
}

TEST(BakeEnvelopes, AbsurdTimesAreBoundedInsteadOfExhaustingMemory) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(bakeEnvelopes(oneChannel({key(0, 0), key(1, 1e300)}), 30)[0].size(),
              static_cast<size_t>(kMaxSamplesPerChannel));
    EXPECT_EQ(bakeEnvelopesLinear(oneChannel({key(0, 0), key(1, 1e300)}), 30)[0].size(),
              static_cast<size_t>(kMaxSamplesPerChannel));
    EXPECT_TRUE(bakeEnvelopes(oneChannel({key(0, inf), key(1, inf)}), 30)[0].empty());
    EXPECT_EQ(bakeEnvelopes(oneChannel({key(0, 0), key(1, 10)}), 2147483647)[0].size(),
              static_cast<size_t>(kMaxSamplesPerChannel));
}

TEST(BakeEnvelopesLinear, StepsFromOneFramePastTheKeyToTheNextKey) {
    const SampleArray s = bakeEnvelopesLinear(oneChannel({key(0, 0), key(10, 1)}), 30)[0];
    ASSERT_EQ(s.size(), 30u);
    EXPECT_NEAR(s[0], 1.0 / 3.0, 1e-12);
    EXPECT_NEAR(s[1], 2.0 / 3.0, 1e-12);
    EXPECT_NEAR(s[29], 10.0, 1e-12);
    EXPECT_TRUE(bakeEnvelopesLinear(oneChannel({key(0, 0), key(10, 0.02)}), 30)[0].empty());
}

TEST(InterpolateMotionKeys, TenFramesEndOnTheSecondKey) {
    const std::vector<MotionSample> s = interpolateMotionKeys(motionKey(0, 0), motionKey(10, 10));
    ASSERT_EQ(s.size(), 10u);
    for (int c = 0; c < 9; ++c) {
        EXPECT_DOUBLE_EQ(s[0].channel[c], c + 1.0) << c;
        EXPECT_DOUBLE_EQ(s[9].channel[c], 10.0 + c) << c;
    }
}

TEST(InterpolateMotionKeys, SameOrBackwardFramesYieldNothing) {
    EXPECT_TRUE(interpolateMotionKeys(motionKey(5, 0), motionKey(5, 10)).empty());
    EXPECT_TRUE(interpolateMotionKeys(motionKey(5, 0), motionKey(2, 10)).empty());
}

TEST(InterpolateMotionKeys, ShortKeysAndExtremeFramesStayInBounds) {
    MotionKey shortFrom;
    shortFrom.values = {4.0};
    shortFrom.params = {0};
    MotionKey shortTo;
    shortTo.params = {2};
    const std::vector<MotionSample> s = interpolateMotionKeys(shortFrom, shortTo);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_DOUBLE_EQ(s[0].channel[0], 2.0);
    EXPECT_DOUBLE_EQ(s[1].channel[8], 0.0);
    // Frame numbers at both ends of the 32-bit range must neither overflow nor allocate wildly.
    const auto far = interpolateMotionKeys(motionKey(-2147483647 - 1, 0), motionKey(2147483647, 1));
    EXPECT_EQ(far.size(), static_cast<size_t>(kMaxSamplesPerChannel));
}

}  // namespace
