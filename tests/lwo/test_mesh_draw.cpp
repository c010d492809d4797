// Mesh drawing: the GL state each variant leaves, what reaches the screen (the shipped objects
// too), the interleaved array's contents and live and precomputed morphs.
#include "lwo/lwo_object.h"
#include "tests/lwo/lwo_test_writer.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <GL/glu.h>

#include <filesystem>
#include <sstream>

using lwotest::Bytes;
using lwotest::LwoWriter;

namespace {

std::ostringstream quiet;

// A triangle around the screen centre, clockwise on screen once negated, in the surface's
// colour; `transparent` adds a TRAN sub-chunk, `backFacing` reverses its winding.
LwoObject centreTriangle(float r, float g, float b, bool transparent = false, bool backFacing = false) {
    LwoWriter w;
    Bytes subs = lwotest::colr(r, g, b);
    if (transparent) subs.raw(lwotest::floatSub("TRAN", 0.5f));
    w.tags({"S"}).points({{0.5f, 0.5f, 0}, {0, -0.5f, 0}, {-0.5f, 0.5f, 0}});
    if (backFacing) w.polygons("FACE", {{0, 2, 1}});
    else w.polygons("FACE", {{0, 1, 2}});
    w.polygonTags("SURF", {{0, 0}}).surface("S", subs);
    LwoObject object;
    object.diagnostics = &quiet;
    const auto file = w.file();
    EXPECT_FALSE(object.loadFromMemory(file.data(), file.size()));
    return object;
}

GLint integer(GLenum name) {
    GLint v = 0;
    glGetIntegerv(name, &v);
    return v;
}

void expectCommonTail(GLenum blendDst = GL_ONE) {
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST), static_cast<GLint>(blendDst));
    EXPECT_EQ(integer(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(integer(GL_FRONT_FACE), GL_CW);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

void expectCentre(int r, int g, int b) {
    testsupport::Rgb p = testsupport::readPixel(400, 300);
    EXPECT_NEAR(p.r, r, 3);
    EXPECT_NEAR(p.g, g, 3);
    EXPECT_NEAR(p.b, b, 3);
}

PositionList shape(float x) { return {{x, -0.5f, 0}, {x + 0.5f, 0.5f, 0}, {x + 1, -0.5f, 0}}; }

}  // namespace

TEST(MeshDraw, OpaqueMeshDrawsItsColourAndLeavesBlendAlone) {
    REQUIRE_GL();
    LwoObject object = centreTriangle(1, 0, 0);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    object.drawMesh();
    expectCentre(255, 0, 0);
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_ZERO);  // no transparency: the blend function is untouched
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(integer(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), 0);
}

TEST(MeshDraw, TransparentFirstSurfaceDrawsAdditively) {
    REQUIRE_GL();
    LwoObject object = centreTriangle(0.6f, 0, 0, true);
    glClearColor(0.2f, 0.2f, 0.2f, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    object.drawMesh();
    expectCentre(204, 51, 51);
    expectCommonTail();
}

TEST(MeshDraw, BlendedModeOneMultipliesOthersDrawPlain) {
    REQUIRE_GL();
    LwoObject object = centreTriangle(0.5f, 0.5f, 0.5f);
    glClearColor(0.4f, 0.4f, 0.4f, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    object.drawMeshBlended(kBlendBrightening);  // dst * dst + src
    expectCentre(153, 153, 153);
    expectCommonTail();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    object.drawMeshBlended(0);
    expectCentre(128, 128, 128);
    expectCommonTail();
}

TEST(MeshDraw, ColouredCullFaceOffShowsBackFacesOnlyWhenSpelledExactly) {
    REQUIRE_GL();
    LwoObject back = centreTriangle(1, 1, 1, false, true);
    back.drawMeshColoured("cull_face_off", 0, 1, 0, 1);
    expectCentre(0, 0, 0);
    expectCommonTail();
    back.drawMeshColoured(kCullFaceOff, 0, 1, 0, 1);
    expectCentre(0, 255, 0);
    expectCommonTail();
}

TEST(MeshDraw, TexturedVariantBindsItsArgumentAndKeepsTheColour) {
    REQUIRE_GL();
    LwoObject object = centreTriangle(1, 0, 0);
    GLuint name = 0;
    glGenTextures(1, &name);
    object.drawMeshTextured(name, 0.4f, 0.4f, 0.4f, 0.4f);
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(name));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    for (float c : colour) EXPECT_FLOAT_EQ(c, 0.4f);
    expectCommonTail();
    glDeleteTextures(1, &name);
}

TEST(MeshDraw, ArrayBlendModesLeaveTheirDepthFunction) {
    REQUIRE_GL();
    LwoObject object = centreTriangle(0, 0, 1);
    object.texture = 0;
    object.prepareVertexArray();
    ASSERT_EQ(object.vertexArrayVertexCount(), 3);
    struct Case { int mode; GLenum depth; };
    for (Case c : {Case{1, GL_ALWAYS}, Case{2, GL_LEQUAL}, Case{0, GL_GREATER}}) {
        glDepthFunc(GL_GREATER);
        glEnable(GL_BLEND);
        object.drawVertexArrayBlended(c.mode);
        EXPECT_EQ(integer(GL_DEPTH_FUNC), static_cast<GLint>(c.depth)) << c.mode;
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    object.drawVertexArray();
    expectCentre(0, 0, 255);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    object.freeVertexArray();
    object.drawVertexArray();  // nothing left to draw: binds the texture and stops
    EXPECT_EQ(object.vertexArrayVertexCount(), 0);
}

TEST(MeshDraw, ShippedObjectsDrawnAsTheShowDrawsThem) {
    const std::string data = std::string(DEMO_SOURCE_DIR) + "/assets/data/";
    const std::string knotPath = data + "knot.lwo", tubePath = data + "tube.lwo";
    if (!std::filesystem::exists(knotPath) || !std::filesystem::exists(tubePath)) {
        GTEST_SKIP() << "skipped: objects not made yet";
    }
    REQUIRE_GL();
    LwoObject knot, tube;
    ASSERT_FALSE(knot.load(knotPath.c_str()));
    ASSERT_FALSE(tube.load(tubePath.c_str()));
    glMatrixMode(GL_PROJECTION);
    gluPerspective(60.0, 800.0 / 600.0, 1.0, 5000.0);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);

    // The first act's knot: moved back and drawn textured-and-tinted, additive (transparent).
    glTranslatef(0, 0, -700);
    knot.drawMesh();
    testsupport::saveBackBufferPng(testsupport::tempPath("knot.png"));
    int lit = 0;
    for (int x = 0; x < 800; x += 10) lit += testsupport::readPixel(x, 300).b > 40;
    EXPECT_GT(lit, 3);

    testsupport::resetGlState();
    glMatrixMode(GL_PROJECTION);
    gluPerspective(60.0, 800.0 / 600.0, 1.0, 5000.0);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0, 0, -400);
    glRotatef(30, 1, 1, 1);
    glEnable(GL_DEPTH_TEST);
    tube.prepareVertexArray();
    EXPECT_EQ(tube.vertexArrayVertexCount(), 3 * 1920);
    glColor3f(1, 1, 1);
    tube.drawVertexArrayBlended(0);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    testsupport::saveBackBufferPng(testsupport::tempPath("tube.png"));
    lit = 0;
    for (int y = 0; y < 600; y += 20) {
        for (int x = 0; x < 800; x += 20) lit += testsupport::readPixel(x, y).r > 40;
    }
    EXPECT_GT(lit, 20);
}

TEST(MeshArrays, InterleavedVerticesCarryUvColourAndPosition) {
    const std::vector<Vec3> triangleCorners = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    const std::vector<MeshUv> triangleUvs = {{0.25f, 0.5f, 0}, {0.75f, 1.0f, 0}};  // one corner short
    MeshPolygon textured;
    textured.cornerCount = 3;
    textured.positions = triangleCorners;
    textured.uvs = triangleUvs;
    textured.textured = true;
    textured.colour = {0.5f, 0.25f, 0.125f};
    const std::vector<Vec3> quadCorners = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    MeshPolygon quad;
    quad.cornerCount = 4;
    quad.positions = quadCorners;
    quad.colour = {0, 1, 0};
    const std::vector<Vec3> fiveCorners(5);
    MeshPolygon pentagon;
    pentagon.cornerCount = 5;
    pentagon.positions = Span<Vec3>(fiveCorners.data(), 4);  // short of its count: left out
    MeshPolygons three;
    for (const MeshPolygon& p : {textured, pentagon, quad}) three.add(p);
    const std::vector<float> array = buildInterleavedTriangles(three);
    ASSERT_EQ(array.size(), 9u * kInterleavedFloatsPerVertex);
    pentagon.positions = fiveCorners;
    MeshPolygons one;
    one.add(pentagon);
    EXPECT_EQ(buildInterleavedTriangles(one).size(), 9u * kInterleavedFloatsPerVertex);
    const std::vector<float> first(array.begin(), array.begin() + 24);
    EXPECT_EQ(first, (std::vector<float>{0.25f, 0.5f, 1, 1, 1, 1, 2, 3,  //
                                         0.75f, 1.0f, 1, 1, 1, 4, 5, 6,  //
                                         0, 0, 0.5f, 0.25f, 0.125f, 7, 8, 9}));
    // The quad as (0, 1, 2) and (0, 2, 3).
    std::vector<float> xs;
    for (size_t v = 3; v < 9; ++v) xs.push_back(array[v * 8 + 5] + 10 * array[v * 8 + 6]);
    EXPECT_EQ(xs, (std::vector<float>{0, 1, 11, 0, 11, 10}));
    EXPECT_FLOAT_EQ(array[3 * 8 + 3], 1.0f);  // the quad's green
}

TEST(MeshMorph, TwoHundredFiftyStepsReachTheTargetAndStay) {
    REQUIRE_GL();
    LwoObject object = centreTriangle(1, 1, 1);
    const PositionList start = shape(-0.5f);
    const PositionList target = shape(5.0f);  // off screen
    object.startMorph(start, target);
    glColor3f(1, 1, 0);
    EXPECT_EQ(object.drawMorphStep(250.0f), 1u);
    expectCentre(255, 255, 0);  // the first call draws the start shape
    for (uint32_t call = 2; call <= 300; ++call) {
        EXPECT_EQ(object.drawMorphStep(250.0f), call);
        if (call == 249) {
            EXPECT_LT(object.morphCurrent[0].x, 5.0f - 0.01f);
        }
    }
    for (size_t i = 0; i < target.size(); ++i) {
        EXPECT_NEAR(object.morphCurrent[i].x, target[i].x, 1e-4);
        EXPECT_NEAR(object.morphCurrent[i].y, target[i].y, 1e-4);
    }
    glClear(GL_COLOR_BUFFER_BIT);
    object.drawMorphStep(250.0f);
    expectCentre(0, 0, 0);
    EXPECT_EQ(object.morphStart[0].x, start[0].x);  // the morph never changes its start
}

TEST(MeshMorph, ShorterTargetRepeatsItsLastPoint) {
    LwoObject object;
    object.startMorph({{0, 0, 0}, {2, 0, 0}, {4, 4, 4}}, {{1, 1, 1}, {3, 3, 3}});
    for (int i = 0; i < 10; ++i) object.stepMorph(true, 10.0f);
    const PositionList now = object.stepMorph(false, 10.0f);
    ASSERT_EQ(now.size(), 3u);
    EXPECT_NEAR(now[0].x, 1, 1e-5);
    EXPECT_NEAR(now[1].x, 3, 1e-5);
    EXPECT_NEAR(now[2].x, 3, 1e-5);
    EXPECT_NEAR(now[2].z, 3, 1e-5);
    EXPECT_EQ(object.morphStepCount, 10u);
    object.startMorph({{0, 0, 0}}, {});
    EXPECT_EQ(object.stepMorph(true, 10.0f)[0].x, 0.0f);  // nothing to move towards
}

TEST(MeshMorph, OddCountsAndOtherPolygonsNeverOverrun) {
    REQUIRE_GL();
    LwoObject object = centreTriangle(1, 1, 1);
    PositionList seven = shape(-0.5f);
    seven.resize(7, Vec3{9, 9, 9});
    object.startMorph(seven, seven);
    EXPECT_EQ(object.drawMorphStep(1.0f), 1u);
    MeshPolygon five = object.polygons[0];
    const std::vector<Vec3> corners = five.positions.toVector();
    five.positions = corners;
    five.cornerCount = 5;
    object.polygons.clear();
    object.polygons.add(five);
    EXPECT_EQ(object.drawMorphStep(1.0f), 2u);  // no grouping to draw with: nothing drawn
    object.polygons.clear();
    EXPECT_EQ(object.drawMorphStep(1.0f), 3u);
}

TEST(MeshMorph, PrecomputedFramesStartOneStepInAndHoldTheLast) {
    REQUIRE_GL();
    LwoObject object = centreTriangle(1, 1, 1);
    object.buildMorphFrames({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, {{4, 0, 0}}, 4.0f);
    ASSERT_EQ(object.morphFrames.size(), 4u);
    EXPECT_FLOAT_EQ(object.morphFrames[0][0].x, 1.0f);
    EXPECT_FLOAT_EQ(object.morphFrames[3][2].x, 4.0f);
    for (int i = 0; i < 6; ++i) object.drawNextMorphFrame();
    EXPECT_EQ(object.morphFrameIndex, 3u);
    object.buildMorphFrames({{0, 0, 0}}, {{1, 0, 0}}, 2.0f);
    EXPECT_EQ(object.morphFrames.size(), 6u);  // appended
    EXPECT_EQ(object.morphFrameIndex, 0u);
    EXPECT_EQ(object.collectPositions().size(), 3u);
}
