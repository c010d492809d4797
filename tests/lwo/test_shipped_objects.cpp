// The two objects the demo carries (assets/data), as the mesh model builds them, and a look at
// each drawn the way the show draws it.
#include "lwo/lwo_object.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <GL/glu.h>

#include <filesystem>
#include <sstream>

namespace {

const std::string kData = std::string(DEMO_SOURCE_DIR) + "/assets/data/";

struct Shipped {
    const char* file;
    uintmax_t bytes;
    const char* layer;
    const char* surface;
    size_t points;
    size_t triangles;
    LwoColour colour;
    bool transparent;
};

const Shipped kObjects[] = {
    {"tube.lwo", 34760, "Tube01", "surface", 960, 1920, {1, 1, 1}, false},
    {"knot.lwo", 59552, "Torus Knot", "1 - Default", 1656, 3288, {0, 162 / 255.0f, 1}, true},
};

}  // namespace

TEST(ShippedObjects, BuildIntoNegatedWhiteOrBlueTriangles) {
    for (const Shipped& s : kObjects) {
        SCOPED_TRACE(s.file);
        const std::string path = kData + s.file;
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "skipped: " << path << " not made yet";
        EXPECT_EQ(std::filesystem::file_size(path), s.bytes);
        std::ostringstream said;
        LwoObject object;
        object.diagnostics = &said;
        ASSERT_FALSE(object.load(path.c_str())) << object.lastError();
        EXPECT_EQ(said.str(), "");
        const LwoReader& r = object.reader;
        ASSERT_EQ(r.layers.size(), 1u);
        EXPECT_EQ(r.layers[0].name, s.layer);
        ASSERT_EQ(r.surfaces.size(), 1u);
        EXPECT_EQ(r.surfaces[0].name, s.surface);
        EXPECT_EQ(r.surfaces[0].hasTransparency, s.transparent);
        EXPECT_EQ(r.pointSets.at(0).points.size(), s.points);
        EXPECT_EQ(r.polygonSets.at(0).layerCount, 1);
        ASSERT_EQ(object.polygons.size(), s.triangles);
        const Vec3 first = r.pointSets[0].points[r.polygonSets[0].indices[0]];
        EXPECT_EQ(object.polygons[0].positions[0].x, -first.x);
        for (const MeshPolygon& p : object.polygons) {
            ASSERT_EQ(p.cornerCount, 3);
            ASSERT_EQ(p.positions.size(), 3u);
            ASSERT_TRUE(p.uvs.empty());
            ASSERT_FALSE(p.textured);
            ASSERT_EQ(p.layer, 1);
            for (int c = 0; c < 3; ++c) ASSERT_NEAR(p.colour[c], s.colour[c], 1e-6);
        }
        object.prepareVertexArray();
        EXPECT_EQ(object.vertexArrayVertexCount(), static_cast<int32_t>(3 * s.triangles));
    }
}

TEST(ShippedObjects, DrawnAsTheShowDrawsThem) {
    const std::string knotPath = kData + "knot.lwo", tubePath = kData + "tube.lwo";
    if (!std::filesystem::exists(knotPath) || !std::filesystem::exists(tubePath)) {
        GTEST_SKIP() << "skipped: objects not made yet";
    }
    REQUIRE_GL();
    std::filesystem::create_directories("/tmp/lwo");
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
    testsupport::saveBackBufferPng("/tmp/lwo/knot.png");
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
    glColor3f(1, 1, 1);
    tube.drawVertexArrayBlended(0);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    testsupport::saveBackBufferPng("/tmp/lwo/tube.png");
    lit = 0;
    for (int y = 0; y < 600; y += 20) {
        for (int x = 0; x < 800; x += 20) lit += testsupport::readPixel(x, y).r > 40;
    }
    EXPECT_GT(lit, 20);
}
