// Tube effect: loading, the fly-in, stretch and spin per frame, the one-time morph and its
// sprites, and the GL state a frame leaves. Geometry is checked through GL feedback mode, which
// reports every primitive drawn with its transformed corners.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "fx/tube_effect.h"
#include "gl/gl_setup.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/temp_folder.h"

namespace {

// --- A two-triangle LWO2 object -------------------------------------------------------------

class BigEndian {
public:
    void id(const char* four) { bytes.insert(bytes.end(), four, four + 4); }
    void u2(uint16_t v) { bytes.insert(bytes.end(), {uint8_t(v >> 8), uint8_t(v)}); }
    void u4(uint32_t v) {
        u2(uint16_t(v >> 16));
        u2(uint16_t(v));
    }
    void f4(float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        u4(v);
    }
    void append(const std::vector<uint8_t>& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }
    std::vector<uint8_t> bytes;
};

void chunk(BigEndian& out, const char* id, const BigEndian& body) {
    out.id(id);
    out.u4(uint32_t(body.bytes.size()));
    out.append(body.bytes);
}

// Two triangles right of the origin (file x 10..20), in the z = 0 plane.
std::vector<uint8_t> twoTriangleLwo() {
    const float points[5][3] = {{10, 0, 0}, {20, 0, 0}, {20, 5, 0}, {10, 5, 0}, {15, 8, 0}};
    BigEndian layr, pnts, pols, body, file;
    layr.u2(0);  // layer number
    layr.u2(0);  // flags
    for (int i = 0; i < 3; ++i) layr.f4(0);  // pivot
    layr.u2(0);  // empty name, padded
    for (const auto& p : points)
        for (float c : p) pnts.f4(c);
    pols.id("FACE");
    for (const std::array<uint16_t, 3>& t : {std::array<uint16_t, 3>{0, 1, 2}, {0, 2, 3}}) {
        pols.u2(3);
        for (uint16_t i : t) pols.u2(i);
    }
    body.id("LWO2");
    chunk(body, "LAYR", layr);
    chunk(body, "PNTS", pnts);
    chunk(body, "POLS", pols);
    chunk(file, "FORM", body);
    return file.bytes;
}

std::string writeTestObject() {
    const std::string path = testsupport::tempPath("tube_effect_test.lwo");
    const std::vector<uint8_t> bytes = twoTriangleLwo();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
    return path;
}

// --- Feedback ---------------------------------------------------------------------------------

// Orthographic view wide and deep enough for the whole effect; feedback corners convert back
// to eye coordinates exactly.
constexpr float kHalfW = 100.0f, kHalfH = 75.0f, kDepth = 1000.0f;

void wideView() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-kHalfW, kHalfW, -kHalfH, kHalfH, -kDepth, kDepth);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

using DrawnPolygon = std::vector<Vec3>;  // corners in eye coordinates

Vec3 eyeFromWindow(const GLfloat* w) {
    return {w[0] / 800.0f * 2 * kHalfW - kHalfW, w[1] / 600.0f * 2 * kHalfH - kHalfH,
            -(2 * w[2] - 1) * kDepth};
}

// Runs `draw` in feedback mode and returns the polygons it drew; other primitives fail the test.
std::vector<DrawnPolygon> polygonsDrawnBy(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "feedback buffer overflow";
    std::vector<DrawnPolygon> polygons;
    for (GLint i = 0; i < used;) {
        const auto token = GLint(buffer[i++]);
        if (token != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        const auto count = GLint(buffer[i++]);
        DrawnPolygon p;
        for (GLint k = 0; k < count; ++k, i += 3) p.push_back(eyeFromWindow(&buffer[i]));
        polygons.push_back(p);
    }
    return polygons;
}

// Where a mesh corner lands: about the tube origin, turned by `degrees` about z.
Vec3 expectedEye(const Vec3& p, float degrees, float zOffset, float zScale) {
    const double a = degrees * M_PI / 180.0;
    return {float(-40.0 + p.x * std::cos(a) - p.y * std::sin(a)),
            float(p.x * std::sin(a) + p.y * std::cos(a)), -120.0f + zOffset + zScale * p.z};
}

void expectMeshAt(const std::vector<DrawnPolygon>& drawn, const TubeEffect& tube, float degrees,
                  float zOffset) {
    ASSERT_GE(drawn.size(), tube.mesh.polygons.size());
    for (size_t t = 0; t < tube.mesh.polygons.size(); ++t) {
        for (size_t c = 0; c < 3; ++c) {
            const Vec3 want = expectedEye(tube.mesh.polygons[t].positions[c], degrees, zOffset, 1);
            EXPECT_NEAR(drawn[t][c].x, want.x, 0.01) << "triangle " << t << " corner " << c;
            EXPECT_NEAR(drawn[t][c].y, want.y, 0.01) << "triangle " << t << " corner " << c;
            EXPECT_NEAR(drawn[t][c].z, want.z, 0.05) << "triangle " << t << " corner " << c;
        }
    }
}

class TubeEffectTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!testsupport::ensureGlContext(&why)) GTEST_SKIP() << why;
        testsupport::resetGlState();
        wideView();
        ASSERT_FALSE(tube.loadTubeEffect(writeTestObject().c_str(), 0)) << tube.mesh.lastError();
    }

    std::vector<DrawnPolygon> drawOnce() {
        return polygonsDrawnBy([this] { tube.drawTubeEffect(); });
    }

    TubeEffect tube;
};

}  // namespace

TEST_F(TubeEffectTest, LoadsThePreparedMeshAndStartsAtRest) {
    EXPECT_EQ(tube.mesh.polygons.size(), 2u);
    EXPECT_EQ(tube.mesh.vertexArrayVertexCount(), 6);
    EXPECT_TRUE(tube.morphPending);
    EXPECT_EQ(tube.spinAngle, 0.0f);
    EXPECT_EQ(tube.spinSpeed, 0.0f);
    EXPECT_EQ(tube.spriteSize, 0.7f);
    EXPECT_EQ(tube.zOffset, 100.0f);
    EXPECT_EQ(tube.zScale, 1.0f);

    TubeEffect missing;
    std::ostringstream diagnostics;
    missing.mesh.diagnostics = &diagnostics;
    EXPECT_TRUE(missing.loadTubeEffect("/nonexistent/tube.lwo", 0));
    EXPECT_FALSE(missing.mesh.lastError().empty());
    EXPECT_TRUE(polygonsDrawnBy([&] { missing.drawTubeEffect(); }).empty());
    EXPECT_EQ(missing.zOffset, 99.0f) << "an empty effect still animates";
}

TEST_F(TubeEffectTest, FirstDrawIsUnrotatedAndEachDrawTurnsByTheAngleBeforeIt) {
    tube.spinSpeed = 90.0f;
    expectMeshAt(drawOnce(), tube, 0.0f, 100.0f);
    EXPECT_EQ(tube.spinAngle, 90.0f);
    expectMeshAt(drawOnce(), tube, 90.0f, 99.0f);
    tube.spinSpeed = 0.0f;
    expectMeshAt(drawOnce(), tube, 180.0f, 98.0f);
    expectMeshAt(drawOnce(), tube, 180.0f, 97.0f);
}

TEST_F(TubeEffectTest, FliesInFor100FramesThenStaysAndStretchesTo40) {
    for (int frame = 0; frame < 100; ++frame) tube.drawTubeEffect();
    EXPECT_EQ(tube.zOffset, 0.0f);
    EXPECT_NEAR(tube.zScale, 2.0f, 1e-3);
    expectMeshAt(drawOnce(), tube, 0.0f, 0.0f);
    for (int frame = 0; frame < 50; ++frame) tube.drawTubeEffect();
    EXPECT_EQ(tube.zOffset, 0.0f);

    tube.zScale = 39.995f;
    tube.drawTubeEffect();
    const float stopped = tube.zScale;
    EXPECT_GE(stopped, 40.0f);
    tube.drawTubeEffect();
    EXPECT_EQ(tube.zScale, stopped);
}

TEST_F(TubeEffectTest, TheMorphStartsOnceAndAnEmptyMorphDrawsNoSprites) {
    // The show's order: an empty list first, the later calls change nothing.
    tube.startTubeMorph({});
    EXPECT_FALSE(tube.morphPending);
    tube.startTubeMorph(tube.mesh.collectPositions());
    EXPECT_TRUE(tube.mesh.morphStart.empty());
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(drawOnce().size(), tube.mesh.polygons.size()) << "frame " << frame;
    }
}

TEST_F(TubeEffectTest, SpritesMarkEveryMorphPointUntilTheyShrinkAway) {
    const size_t perSprite =
        polygonsDrawnBy([this] { tube.sprite.drawSprite(0.7f); }).size();
    ASSERT_GT(perSprite, 0u);
    const PositionList corners = tube.mesh.collectPositions();
    tube.startTubeMorph(corners);
    PositionList shifted = corners;
    for (Vec3& p : shifted) p.x += 5;
    tube.startTubeMorph(shifted);
    ASSERT_EQ(tube.mesh.morphStart.size(), corners.size());
    EXPECT_EQ(tube.mesh.morphStart[0].x, corners[0].x) << "a second start replaced the morph";

    const std::vector<DrawnPolygon> drawn = drawOnce();
    const size_t meshCount = tube.mesh.polygons.size();
    // Sprites, then the mesh, then the morph points as triangles in eye space.
    ASSERT_EQ(drawn.size(), corners.size() * perSprite + meshCount + corners.size() / 3);
    const DrawnPolygon& morphTriangle = drawn[corners.size() * perSprite + meshCount];
    EXPECT_NEAR(morphTriangle[0].x, corners[0].x, 0.01);
    EXPECT_NEAR(morphTriangle[0].y, corners[0].y, 0.01);

    // Each sprite is centred on its point, 15 units to the left, about the tube origin.
    for (size_t k = 0; k < corners.size(); ++k) {
        Vec3 centre{};
        size_t n = 0;
        for (size_t s = 0; s < perSprite; ++s) {
            for (const Vec3& c : drawn[k * perSprite + s]) {
                centre.x += c.x;
                centre.y += c.y;
                ++n;
            }
        }
        EXPECT_NEAR(centre.x / n, -40.0f + corners[k].x - 15.0f, 0.01) << "sprite " << k;
        EXPECT_NEAR(centre.y / n, corners[k].y, 0.01) << "sprite " << k;
    }

    tube.spriteSize = 0.0015f;
    EXPECT_EQ(drawOnce().size(), corners.size() * perSprite + meshCount + corners.size() / 3);
    EXPECT_LT(tube.spriteSize, 0.0f);
    EXPECT_EQ(drawOnce().size(), meshCount + corners.size() / 3);
}

TEST_F(TubeEffectTest, AFrameLeavesDepthAlwaysBlendingOffAndTheIdentity) {
    tube.spinSpeed = 30.0f;
    glEnable(GL_BLEND);
    tube.drawTubeEffect();
    tube.drawTubeEffect();
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_ALWAYS);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << "element " << i;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The shipped tube after a few seconds of the show: stretched and turning, brightening only.
TEST(TubeEffectLook, TheShowsTubeBrightensWhatIsBehindIt) {
    REQUIRE_GL();
    const std::string path = std::string(DEMO_SOURCE_DIR) + "/assets/data/tube.lwo";
    if (!std::ifstream(path)) GTEST_SKIP() << "no tube object at " << path;
    TubeEffect tube;
    ASSERT_FALSE(tube.loadTubeEffect(path.c_str(), 0)) << tube.mesh.lastError();
    setPerspective(800, 600, 60);
    glClearColor(0.25f, 0.25f, 0.3f, 0.0f);
    tube.startTubeMorph({});
    for (int frame = 0; frame < 400; ++frame) {
        tube.spinSpeed = std::min(1.0f, tube.spinSpeed + 0.001f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        tube.drawTubeEffect();
    }
    testsupport::saveForLooking("tube.png");
    const testsupport::Rgb background = {64, 64, 77};
    int brighter = 0;
    for (int y = 0; y < 600; y += 10) {
        for (int x = 0; x < 800; x += 10) {
            const testsupport::Rgb p = testsupport::readPixel(x, y);
            ASSERT_GE(p.r, background.r - 2) << x << "," << y << " darker than the background";
            ASSERT_GE(p.b, background.b - 2) << x << "," << y << " darker than the background";
            brighter += p.r > background.r + 10;
        }
    }
    EXPECT_GT(brighter, 50) << "the tube is not visible";
}
