#include "fx/particles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/fx/fx_test_support.h"

using namespace fxtest;
using testsupport::readPixel;

namespace {

void expectVec(const Vec3& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

// One particle placed by hand, 10 units straight ahead of the eye, square facing the viewer.
ParticleSystem oneParticleAhead(GLuint texture) {
    ParticleSystem cloud;
    cloud.scatterParticles(1, texture);
    cloud.positions[0] = {55, 0, 110};
    cloud.angles[0] = 0;
    cloud.speeds[0] = 2.4f;
    return cloud;
}

}  // namespace

TEST(ParticleRandom, FollowsTheFixedSequenceFromStateOne) {
    ParticleRandom random;
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962};
    for (int value : expected) EXPECT_EQ(random.draw(), value);
    for (int i = 0; i < 100000; ++i) {
        const int v = random.draw();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
    }
}

TEST(ParticleSystem, ScattersTheFirstTwoParticlesInDrawOrder) {
    ParticleSystem cloud;
    cloud.scatterParticles(2, 17);
    ASSERT_EQ(cloud.count, 2);
    EXPECT_EQ(cloud.sprite.texture, 17u);
    struct Particle {
        float x, y, z, axisX, axisY, speed, angle, spin;
    };
    const Particle expected[] = {{41, 67, 34, 0, 1, 9.4f, 198, -1}, {64, 5, 95, 1, 1, 2.4f, 115, -1}};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const Particle& e = expected[i];
        expectVec(cloud.positions[i], e.x, e.y, e.z);
        EXPECT_FLOAT_EQ(cloud.axes[i].x, e.axisX);
        EXPECT_FLOAT_EQ(cloud.axes[i].y, e.axisY);
        EXPECT_FLOAT_EQ(cloud.speeds[i], e.speed);
        EXPECT_FLOAT_EQ(cloud.angles[i], e.angle);
        EXPECT_FLOAT_EQ(cloud.spins[i], e.spin);
    }
}

TEST(ParticleSystem, AllArraysGrowTogetherAndStayInRange) {
    ParticleSystem cloud;
    cloud.scatterParticles(1920, 1);
    cloud.scatterParticles(-5, 1);
    ASSERT_EQ(cloud.count, 1920);
    for (size_t n : {cloud.positions.size(), cloud.axes.size(), cloud.speeds.size(),
                     cloud.angles.size(), cloud.spins.size()}) {
        EXPECT_EQ(n, 1920u);
    }
    // 1920 draws reach both ends of every field's range, so a wrong modulus, offset or sign
    // moves an end; whole steps only, as the draws are integers.
    const auto expectSpan = [&](const char* field, auto value, float low, float high) {
        float seenLow = value(0), seenHigh = value(0);
        for (int i = 0; i < cloud.count; ++i) {
            const float v = value(i);
            ASSERT_FLOAT_EQ(v - low, std::round(v - low)) << field << " " << i;
            seenLow = std::min(seenLow, v), seenHigh = std::max(seenHigh, v);
        }
        EXPECT_FLOAT_EQ(seenLow, low) << field;
        EXPECT_FLOAT_EQ(seenHigh, high) << field;
    };
    expectSpan("x", [&](int i) { return cloud.positions[i].x; }, 0, 99);
    expectSpan("y", [&](int i) { return cloud.positions[i].y; }, 0, 99);
    expectSpan("z", [&](int i) { return cloud.positions[i].z; }, 0, 149);
    expectSpan("axis x", [&](int i) { return cloud.axes[i].x; }, 0, 1);
    expectSpan("axis y", [&](int i) { return cloud.axes[i].y; }, 0, 1);
    expectSpan("speed", [&](int i) { return cloud.speeds[i]; }, 1.4f, 10.4f);
    expectSpan("angle", [&](int i) { return cloud.angles[i]; }, 0, 359);
    expectSpan("spin", [&](int i) { return cloud.spins[i]; }, -1, 1);
    for (int i = 0; i < cloud.count; ++i) ASSERT_NE(cloud.spins[i], 0.0f) << i;
}

TEST(ParticleSystem, DrawAdvancesEveryParticleOneFrame) {
    REQUIRE_GL();
    ParticleSystem cloud;
    cloud.scatterParticles(2, 1);
    cloud.drawParticles(0.0f);  // a size of 0 still moves the cloud
    EXPECT_FLOAT_EQ(cloud.positions[0].y, 67 - 9.4f * 0.05f);
    EXPECT_FLOAT_EQ(cloud.angles[0], 198 + 9.4f);
    EXPECT_FLOAT_EQ(cloud.positions[1].y, 5 - 2.4f * 0.05f);
    EXPECT_FLOAT_EQ(cloud.positions[1].x, 64);
    EXPECT_FLOAT_EQ(cloud.positions[1].z, 95);
}

TEST(ParticleSystem, WrapsFromBelowTheFloorToExactlyTheTop) {
    REQUIRE_GL();
    ParticleSystem cloud;
    cloud.scatterParticles(2, 1);
    cloud.positions[0].y = -99.99f;  // falls 0.47: below -100
    cloud.positions[1].y = -100.0f;
    cloud.speeds[1] = 0.0f;  // stays at -100, which is not below it
    cloud.drawParticles(0.7f);
    expectVec(cloud.positions[0], 41, 100, 34);
    EXPECT_FLOAT_EQ(cloud.positions[1].y, -100.0f);
}

TEST(ParticleSystem, LeavesIdentityAlwaysDepthAndAdditiveSpriteState) {
    REQUIRE_GL();
    ParticleSystem cloud;
    cloud.scatterParticles(3, 23);
    glEnable(GL_CULL_FACE);
    glDepthFunc(GL_LEQUAL);
    cloud.drawParticles(0.7f);
    EXPECT_TRUE(isIdentity(getMatrix(GL_MODELVIEW_MATRIX)));
    EXPECT_EQ(getInt(GL_DEPTH_FUNC), GL_ALWAYS);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(getInt(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(getInt(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), 23);
}

TEST(ParticleSystem, EmptyCloudOnlyResetsTheModelview) {
    REQUIRE_GL();
    ParticleSystem cloud;
    cloud.scatterParticles(0, 5);
    glTranslatef(1, 2, 3);
    cloud.drawParticles(0.7f);
    EXPECT_TRUE(isIdentity(getMatrix(GL_MODELVIEW_MATRIX)));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_TRUE(nearRgb(readPixel(400, 300), 0, 0, 0));
}

TEST(ParticleSystem, SpritesAddTheCallersColourWhateverTheDepth) {
    REQUIRE_GL();
    setPerspective(800, 600, 60);
    glEnable(GL_TEXTURE_2D);
    glClearColor(0.2f, 0, 0, 0);
    glClearDepth(0.0);  // nothing would pass an ordinary depth test
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    ParticleSystem cloud = oneParticleAhead(makeSolidTexture(kWhite));
    glColor3f(0, 0.5f, 0);
    cloud.drawParticles(2.0f);
    EXPECT_TRUE(nearRgb(readPixel(400, 300), 51, 128, 0, 3));
    // Edge 2 at distance 10: about 52 pixels half-width on a 600-pixel, 60-degree view.
    EXPECT_TRUE(nearRgb(readPixel(440, 300), 51, 128, 0, 3));
    EXPECT_TRUE(nearRgb(readPixel(470, 300), 51, 0, 0, 3));
    glClearDepth(1.0);
}

TEST(CrossSprite, DrawsThreePerpendicularSquaresAboutTheOrigin) {
    REQUIRE_GL();
    CrossSprite sprite;
    sprite.setSpriteTexture(3);
    std::vector<float> v;
    glRotatef(30, 1, 1, 0);
    const int polygons = countFeedbackPolygons([&] { sprite.drawSprite(1.0f); }, &v);
    const int perSquare = countFeedbackPolygons([] {
        glBegin(GL_QUADS);
        glVertex2f(0, 0), glVertex2f(0.1f, 0), glVertex2f(0.1f, 0.1f), glVertex2f(0, 0.1f);
        glEnd();
    });
    EXPECT_EQ(polygons, 3 * perSquare);
    float cx = 0, cy = 0;
    for (size_t i = 0; i + 2 < v.size(); i += 3) cx += v[i], cy += v[i + 1];
    const float n = static_cast<float>(v.size() / 3);
    EXPECT_NEAR(cx / n, 400, 0.5) << "not centred on the origin";
    EXPECT_NEAR(cy / n, 300, 0.5);
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), 3);
}

TEST(CrossSprite, BatchEmitsWhatDrawSpriteDrawsAtThatPlacement) {
    REQUIRE_GL();
    CrossSprite sprite;
    sprite.setSpriteTexture(4);
    SpritePlacement placements[3];
    placements[0].offset = {0.1f, -0.2f, 0.3f};
    placements[0].axis = {1, 1, 1};
    placements[0].degrees = -297;
    placements[1].offset = {-0.3f, 0.25f, 0};
    placements[1].axis = {0, 0, 1};
    placements[1].degrees = 40;
    placements[2].axis = {1, 0, 1};
    placements[2].degrees = 0;
    glRotatef(25, 1, 0.5f, 0);  // an arbitrary view, shared by both ways

    std::vector<float> oneByOne, batched;
    countFeedbackPolygons([&] {
        for (const SpritePlacement& p : placements) {
            glPushMatrix();
            glTranslatef(p.offset.x, p.offset.y, p.offset.z);
            glRotatef(p.degrees, p.axis.x, p.axis.y, p.axis.z);
            sprite.drawSprite(0.4f);
            glPopMatrix();
        }
    }, &oneByOne, true);
    glEnable(GL_CULL_FACE);
    glBlendFunc(GL_ONE, GL_ZERO);
    glFrontFace(GL_CCW);
    countFeedbackPolygons([&] {
        sprite.beginSpriteBatch();
        for (const SpritePlacement& p : placements) sprite.batchSprite(0.4f, p);
        sprite.endSpriteBatch();
    }, &batched, true);

    ASSERT_FALSE(oneByOne.empty());
    ASSERT_EQ(batched.size(), oneByOne.size());
    for (size_t i = 0; i < batched.size(); ++i) ASSERT_NEAR(batched[i], oneByOne[i], 1e-3) << i;
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(getInt(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(getInt(GL_FRONT_FACE), GL_CW);
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), 4);
}
