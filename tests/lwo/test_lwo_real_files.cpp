// Real LightWave 6+ files made by other programs: what the reader and mesh model make of them,
// checked against facts taken from an independent parser (tests/data/lwo/FACTS.json), and a
// look at two of them drawn.
#include "lwo/lwo_object.h"
#include "tests/lwo/mesh_framing.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

namespace {

const std::string kDir = std::string(DEMO_TESTDATA_DIR) + "/lwo/";

struct Facts {
    const char* file;
    size_t layers;
    std::vector<size_t> points;
    std::vector<std::pair<std::string, size_t>> polygonSets;  // type, polygons read
    std::vector<std::string> tags;
    std::vector<std::string> surfaces;
    LwoColour firstColour;
    bool firstTransparent;
    bool firstBlock;
    std::vector<size_t> uvMapEntries;
    std::vector<size_t> discUvMapEntries;
    size_t clips;
    size_t meshPolygons;
};

const std::vector<Facts>& allFacts() {
    static const std::vector<Facts> facts = {
        {"ModoExport_vertNormals.lwo", 1, {266}, {{"FACE", 288}}, {"Default"}, {"Default"},
         {1.0f, 0.501961f, 0.752941f}, true, false, {}, {}, 0, 288},
        {"Subdivision.lwo", 1, {26}, {{"PTCH", 0}}, {"DkBlu", "Default"}, {"Default"},
         {0.784314f, 0.784314f, 0.784314f}, false, false, {}, {}, 0, 0},
        {"box_2uv_1unused.lwo", 1, {8}, {{"FACE", 6}}, {"DkBlu", "Default"}, {"Default"},
         {0.784314f, 0.784314f, 0.784314f}, false, true, {8, 8}, {2, 2}, 1, 6},
        {"concave_polygon.lwo", 1, {64}, {{"FACE", 1}}, {"test_Smoothing"}, {"test_Smoothing"},
         {0.141176f, 0.184314f, 0.411765f}, true, false, {}, {}, 0, 1},
        {"earth_uv_cylindrical_y.lwo", 1, {266}, {{"FACE", 288}}, {"DkBlu", "Default"}, {"Default"},
         {0.784314f, 0.784314f, 0.784314f}, false, true, {266}, {20}, 1, 288},
        {"hierarchy.lwo", 4, {8, 266, 8, 8}, {{"FACE", 6}, {"FACE", 288}, {"FACE", 6}, {"FACE", 6}},
         {"DkBlu", "BoxOnLayer3", "Default", "RedBox"}, {"BoxOnLayer3", "Default", "RedBox"},
         {0.501961f, 0.501961f, 0.752941f}, false, false, {}, {}, 0, 306},
        {"sphere_with_gradient.lwo", 1, {266}, {{"FACE", 288}}, {"DkBlu", "Default"}, {"Default"},
         {1.0f, 0.501961f, 0.752941f}, false, false, {}, {}, 0, 288},
        {"transparency.lwo", 1, {274}, {{"FACE", 294}}, {"DkBlu", "Default"}, {"Default"},
         {1.0f, 0.501961f, 0.0f}, true, false, {}, {}, 0, 294},
        {"uvtest.lwo", 1, {64}, {{"FACE", 16}},
         {"surface1", "surface10", "surface11", "surface12", "surface13", "surface14", "surface15",
          "surface16", "surface2", "surface3", "surface4", "surface5", "surface6", "surface7",
          "surface8", "surface9"},
         {"surface1", "surface10", "surface11", "surface12", "surface13", "surface14", "surface15",
          "surface16", "surface2", "surface3", "surface4", "surface5", "surface6", "surface7",
          "surface8", "surface9"},
         {1, 1, 1}, false, true, {64}, {}, 1, 16},
    };
    return facts;
}

bool haveTestData() { return std::filesystem::exists(kDir + "uvtest.lwo"); }

struct Loaded {
    std::ostringstream said;
    LwoObject object;
    bool failed;
};

std::unique_ptr<Loaded> loadReal(const std::string& file) {
    auto l = std::make_unique<Loaded>();
    l->object.diagnostics = &l->said;
    l->failed = l->object.load((kDir + file).c_str());
    return l;
}

template <typename T, typename F>
std::vector<T> mapped(size_t n, F f) {
    std::vector<T> out;
    for (size_t i = 0; i < n; ++i) out.push_back(f(i));
    return out;
}

}  // namespace

TEST(LwoRealFiles, RecordsMatchTheIndependentFacts) {
    ASSERT_TRUE(haveTestData()) << "test data missing: " << kDir;
    for (const Facts& f : allFacts()) {
        SCOPED_TRACE(f.file);
        auto l = loadReal(f.file);
        ASSERT_FALSE(l->failed) << l->object.lastError();
        const LwoReader& r = l->object.reader;
        EXPECT_EQ(r.layers.size(), f.layers);
        EXPECT_EQ(mapped<size_t>(r.pointSets.size(), [&](size_t i) { return r.pointSets[i].points.size(); }), f.points);
        EXPECT_EQ((mapped<std::pair<std::string, size_t>>(r.polygonSets.size(), [&](size_t i) {
                      return std::make_pair(r.polygonSets[i].type, r.polygonSets[i].cornerCounts.size());
                  })),
                  f.polygonSets);
        EXPECT_EQ(r.tagList.tags, f.tags);
        EXPECT_EQ(mapped<std::string>(r.surfaces.size(), [&](size_t i) { return r.surfaces[i].name; }), f.surfaces);
        ASSERT_FALSE(r.surfaces.empty());
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(r.surfaces[0].colour[c], f.firstColour[c], 1e-5);
        EXPECT_EQ(r.surfaces[0].hasTransparency, f.firstTransparent);
        EXPECT_EQ(r.surfaces[0].hasBlock, f.firstBlock);
        EXPECT_EQ(mapped<size_t>(r.vertexMaps.size(), [&](size_t i) { return r.vertexMaps[i].entries.size(); }),
                  f.uvMapEntries);
        EXPECT_EQ(mapped<size_t>(r.discVertexMaps.size(), [&](size_t i) { return r.discVertexMaps[i].entries.size(); }),
                  f.discUvMapEntries);
        EXPECT_EQ(r.clips.size(), f.clips);
        EXPECT_EQ(l->object.polygons.size(), f.meshPolygons);
    }
}

TEST(LwoRealFiles, HierarchyLayersParentsAndPerLayerSurfaces) {
    ASSERT_TRUE(haveTestData()) << "test data missing: " << kDir;
    auto l = loadReal("hierarchy.lwo");
    ASSERT_FALSE(l->failed) << l->object.lastError();
    const auto& layers = l->object.reader.layers;
    ASSERT_EQ(layers.size(), 4u);
    EXPECT_EQ(layers[0].name, "ChildOfRoot0");
    EXPECT_TRUE(layers[0].hasParent);
    EXPECT_EQ(layers[0].parent, 4);
    EXPECT_EQ(layers[1].name, "RootOfHierarchy");
    EXPECT_FALSE(layers[1].hasParent);
    EXPECT_EQ(layers[2].parent, 3);
    EXPECT_FLOAT_EQ(layers[2].pivot.z, 1.35f);
    EXPECT_EQ(layers[3].number, 1);
    EXPECT_EQ(layers[3].parent, 4);
    const auto& polygons = l->object.polygons;
    EXPECT_EQ(polygons.front().layer, 1);
    EXPECT_EQ(polygons.back().layer, 4);
    // The last layer's boxes are tagged "RedBox", the first layer's "BoxOnLayer3".
    EXPECT_EQ(polygons.back().colour, (LwoColour{1, 0, 0}));
    EXPECT_NEAR(polygons.front().colour[2], 0.752941f, 1e-5);
    // Its weight maps are announced and skipped.
    EXPECT_EQ(l->said.str(), "\n cos opuszczem!!!\n\n cos opuszczem!!!\n");
}

TEST(LwoRealFiles, UvMappedQuadsGetOneUvPerCorner) {
    ASSERT_TRUE(haveTestData()) << "test data missing: " << kDir;
    auto l = loadReal("uvtest.lwo");
    ASSERT_FALSE(l->failed) << l->object.lastError();
    EXPECT_EQ(l->object.reader.clips[0].fileName, "uvtest.png");
    for (const MeshPolygon& p : l->object.polygons) {
        EXPECT_EQ(p.cornerCount, 4);
        EXPECT_EQ(p.uvs.size(), 4u);
        EXPECT_TRUE(p.textured);
        for (const MeshUv& uv : p.uvs) {
            EXPECT_GE(uv.u, -0.001f);
            EXPECT_LE(uv.u, 1.001f);
        }
    }
    auto earth = loadReal("earth_uv_cylindrical_y.lwo");
    ASSERT_FALSE(earth->failed);
    size_t cornerTotal = 0, uvTotal = 0;
    for (const MeshPolygon& p : earth->object.polygons) {
        cornerTotal += p.cornerCount;
        uvTotal += p.uvs.size();
    }
    EXPECT_EQ(uvTotal, cornerTotal);  // the seam's VMAD entries replace, never add
}

TEST(LwoRealFiles, OtherFormatsAndEmptyFilesFailWithALocatedMessage) {
    ASSERT_TRUE(haveTestData()) << "test data missing: " << kDir;
    auto lwob = loadReal("lwob_formatDetection.lwo");  // an older format, read since it is known
    EXPECT_FALSE(lwob->failed) << lwob->object.lastError();
    auto empty = loadReal("empty.lwo");
    EXPECT_TRUE(empty->failed);
    EXPECT_NE(empty->object.lastError().find("empty.lwo: FORM at 0x0: file too short"), std::string::npos);
    EXPECT_EQ(empty->said.str(), "");  // it exists, so it is not "missing"
}

namespace {

// Looks at the object from a little above and to the side, filling most of the view.
void frameObject(const LwoObject& object) {
    lwotest::MeshView view;
    view.pitch = 25.0f;
    view.yaw = 35.0f;
    lwotest::frameMesh(object.polygons, view);
}

GLuint checkerTexture() {
    std::vector<unsigned char> pixels(64 * 64 * 3);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            unsigned char* p = &pixels[(y * 64 + x) * 3];
            bool dark = ((x / 8) + (y / 8)) % 2;
            p[0] = dark ? 40 : static_cast<unsigned char>(x * 4);
            p[1] = dark ? 40 : static_cast<unsigned char>(y * 4);
            p[2] = dark ? 40 : 200;
        }
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 64, 64, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return name;
}

int litPixels() {
    int lit = 0;
    for (int y = 0; y < 600; y += 20) {
        for (int x = 0; x < 800; x += 20) {
            testsupport::Rgb p = testsupport::readPixel(x, y);
            lit += (p.r + p.g + p.b) > 30;
        }
    }
    return lit;
}

// A real object loaded, framed and drawn once in immediate mode, `texture` bound to it.
std::unique_ptr<Loaded> drawReal(const std::string& file, GLuint texture = 0) {
    auto loaded = loadReal(file);
    EXPECT_FALSE(loaded->failed) << loaded->object.lastError();
    loaded->object.texture = texture;
    frameObject(loaded->object);
    loaded->object.drawMesh();
    return loaded;
}

}  // namespace

TEST(LwoRealFiles, DrawnObjectsFillTheirFrame) {
    ASSERT_TRUE(haveTestData()) << "test data missing: " << kDir;
    REQUIRE_GL();

    drawReal("hierarchy.lwo");
    EXPECT_GT(litPixels(), 100);
    testsupport::saveBackBufferPng(testsupport::tempPath("hierarchy.png"));

    testsupport::resetGlState();
    auto uvtest = drawReal("uvtest.lwo", checkerTexture());
    EXPECT_GT(litPixels(), 100);
    testsupport::saveBackBufferPng(testsupport::tempPath("uvtest.png"));

    testsupport::resetGlState();
    uvtest->object.prepareVertexArray();
    frameObject(uvtest->object);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    uvtest->object.drawVertexArray();
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    EXPECT_GT(litPixels(), 100);
    testsupport::saveBackBufferPng(testsupport::tempPath("uvtest_array.png"));
    glDeleteTextures(1, &uvtest->object.texture);
}

namespace {

float centreDepth() {
    float depth = 1.0f;
    glReadPixels(400, 300, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
}

}  // namespace

TEST(LwoRealFiles, NegatedObjectsShowTheirOutsideWithClockwiseFronts) {
    ASSERT_TRUE(haveTestData()) << "test data missing: " << kDir;
    REQUIRE_GL();
    auto sphere = drawReal("sphere_with_gradient.lwo");
    const float shown = centreDepth();
    glClear(GL_DEPTH_BUFFER_BIT);
    glCullFace(GL_FRONT);  // what the far side would look like
    sphere->object.drawMesh();
    glCullFace(GL_BACK);
    const float hidden = centreDepth();
    EXPECT_LT(shown, 1.0f);
    EXPECT_LT(shown, hidden);
}
