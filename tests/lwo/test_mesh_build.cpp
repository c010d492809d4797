// The mesh model: negated positions, UV maps (VMAP, VMAD replacement, map selection), surface
// colours by tag, layer pairing and the load variants' list handling.
#include "lwo/lwo_object.h"
#include "tests/lwo/lwo_test_writer.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using lwotest::Bytes;
using lwotest::LwoWriter;

namespace {

std::ostringstream quiet;

bool loadInto(LwoObject& object, const LwoWriter& w) {
    object.diagnostics = &quiet;
    const auto file = w.file();
    return object.loadFromMemory(file.data(), file.size(), "mesh.lwo");
}

// Two quads over six points, with UV maps added by each test.
LwoWriter twoQuads() {
    LwoWriter w;
    w.tags({"Skin"}).layer(1, "L");
    w.points({{1, 2, 3}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}, {2, 1, 0}});
    return w;
}

// The file in this test process's scratch folder, as a path for the file loaders.
std::string writeTemp(const std::string& name, const LwoWriter& w) {
    const std::string path = testsupport::tempPath(name);
    const std::vector<uint8_t> file = w.file();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                               static_cast<std::streamsize>(file.size()));
    return path;
}

void finishTwoQuads(LwoWriter& w, bool textured = true) {
    w.polygons("FACE", {{0, 1, 2, 3}, {1, 4, 5, 2}});
    w.polygonTags("SURF", {{0, 0}, {1, 0}});
    Bytes subs = lwotest::colr(0.5f, 0.25f, 1.0f);
    if (textured) subs.raw(lwotest::subChunk("BLOK", lwotest::subChunk("IMAP", Bytes().s0("x"))));
    w.surface("Skin", subs);
}

std::vector<float> uvList(const MeshPolygon& p) {
    std::vector<float> out;
    for (const MeshUv& uv : p.uvs) {
        out.push_back(uv.u);
        out.push_back(uv.v);
    }
    return out;
}

}  // namespace

TEST(MeshBuild, PositionsAreNegatedAndSurfacesColour) {
    LwoWriter w = twoQuads();
    finishTwoQuads(w);
    LwoObject object;
    ASSERT_FALSE(loadInto(object, w)) << object.lastError();
    ASSERT_EQ(object.polygons.size(), 2u);
    const MeshPolygon& p = object.polygons[0];
    EXPECT_EQ(p.cornerCount, 4);
    EXPECT_FLOAT_EQ(p.positions[0].x, -1);
    EXPECT_FLOAT_EQ(p.positions[0].y, -2);
    EXPECT_FLOAT_EQ(p.positions[0].z, -3);
    EXPECT_EQ(p.layer, 1);
    EXPECT_EQ(p.colour, (LwoColour{0.5f, 0.25f, 1.0f}));
    EXPECT_TRUE(p.textured);
    EXPECT_TRUE(p.uvs.empty());
    EXPECT_FALSE(p.cornerTextured(0));
}

TEST(MeshBuild, UvEntriesFlipVAndStackPerMap) {
    LwoWriter w = twoQuads();
    std::vector<LwoWriter::MapEntry> first, second;
    for (uint32_t v = 0; v < 6; ++v) {
        first.push_back({v, 0, {0.25f, 0.75f}});
        second.push_back({v, 0, {0.5f, 0.0f}});
    }
    w.vertexMap("VMAP", "TXUV", "a", 2, first).vertexMap("VMAP", "TXUV", "b", 2, second);
    finishTwoQuads(w);
    LwoObject object;
    ASSERT_FALSE(loadInto(object, w)) << object.lastError();
    const MeshPolygon& p = object.polygons[0];
    ASSERT_EQ(p.uvs.size(), 8u);  // two maps cover each of four corners
    EXPECT_FLOAT_EQ(p.uvs[0].u, 0.25f);
    EXPECT_FLOAT_EQ(p.uvs[0].v, 0.25f);
    EXPECT_FLOAT_EQ(p.uvs[1].u, 0.5f);
    EXPECT_FLOAT_EQ(p.uvs[1].v, 1.0f);

    LwoObject onlySecond;
    onlySecond.diagnostics = &quiet;
    const auto file = w.file();
    ASSERT_FALSE(onlySecond.readMemory(file.data(), file.size(), "m"));
    for (int i = 0; i < 5; ++i) onlySecond.polygons.add(MeshPolygon{});
    EXPECT_EQ(onlySecond.buildFacesFromUvMap(1), 1);
    ASSERT_EQ(onlySecond.polygons.size(), 2u);  // emptied first
    EXPECT_EQ(uvList(onlySecond.polygons[1]), (std::vector<float>{0.5f, 1, 0.5f, 1, 0.5f, 1, 0.5f, 1}));
    EXPECT_EQ(onlySecond.buildFacesFromUvMap(2), 0);
    EXPECT_NE(onlySecond.lastError().find("UV map 2 >= 2 maps"), std::string::npos);
}

TEST(MeshBuild, PerPolygonMapReplacesTheCornersEntry) {
    LwoWriter w = twoQuads();
    std::vector<LwoWriter::MapEntry> entries;
    for (uint32_t v = 0; v < 5; ++v) entries.push_back({v, 0, {0.1f * v, 0.0f}});  // point 5 missing
    w.vertexMap("VMAP", "TXUV", "uv", 2, entries);
    finishTwoQuads(w);
    // Point 2 in polygon 1 gets its own uv; point 5 (not in the map) in polygon 1 too.
    w.vertexMap("VMAD", "TXUV", "uv", 2, {{2, 1, {0.9f, 0.5f}}, {5, 1, {0.7f, 0.25f}}, {2, 0, {0.3f, 0.3f}}});
    w.vertexMap("VMAD", "TXUV", "other", 2, {{1, 1, {0.0f, 0.0f}}});
    LwoObject object;
    ASSERT_FALSE(loadInto(object, w)) << object.lastError();
    // Polygon 0 is points 0 1 2 3; (2, 0) replaces point 2's entry.
    EXPECT_EQ(uvList(object.polygons[0]), (std::vector<float>{0, 1, 0.1f, 1, 0.3f, 1 - 0.3f, 0.3f, 1}));
    // Polygon 1 is points 1 4 5 2: point 5 has no map entry, so its VMAD entry is added, not
    // swapped for point 4's; point 2 is replaced.
    EXPECT_EQ(uvList(object.polygons[1]), (std::vector<float>{0.1f, 1, 0.4f, 1, 0.7f, 0.75f, 0.9f, 0.5f}));
}

TEST(MeshBuild, PerPolygonMapsCountPolygonsWithinTheirOwnSet) {
    LwoWriter w;
    w.tags({"S"});
    w.layer(1, "first").points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}).polygons("FACE", {{0, 1, 2}});
    w.polygonTags("SURF", {{0, 0}});
    w.layer(2, "second").points({{5, 0, 0}, {6, 0, 0}, {6, 1, 0}});
    w.vertexMap("VMAP", "TXUV", "uv", 2, {{0, 0, {0, 0}}, {1, 0, {0, 0}}, {2, 0, {0, 0}}});
    w.polygons("FACE", {{0, 1, 2}, {2, 1, 0}});
    w.vertexMap("VMAD", "TXUV", "uv", 2, {{1, 0, {0.5f, 0.5f}}});
    w.polygonTags("SURF", {{1, 0}});
    w.surface("S", lwotest::colr(0, 1, 0));
    LwoObject object;
    ASSERT_FALSE(loadInto(object, w)) << object.lastError();
    ASSERT_EQ(object.polygons.size(), 3u);
    EXPECT_TRUE(object.polygons[0].uvs.empty());  // the map belongs to the second layer's points
    EXPECT_EQ(object.polygons[0].layer, 1);
    EXPECT_EQ(object.polygons[1].layer, 2);
    EXPECT_FLOAT_EQ(object.polygons[1].positions[0].x, -5.0f);
    EXPECT_EQ(uvList(object.polygons[1]), (std::vector<float>{0, 1, 0.5f, 0.5f, 0, 1}));
    EXPECT_EQ(uvList(object.polygons[2]), (std::vector<float>{0, 1, 0, 1, 0, 1}));
    // Each tag set colours its own layer's polygons.
    EXPECT_EQ(object.polygons[0].colour, (LwoColour{0, 1, 0}));
    EXPECT_EQ(object.polygons[1].colour, (LwoColour{1, 1, 1}));
    EXPECT_EQ(object.polygons[2].colour, (LwoColour{0, 1, 0}));
}

TEST(MeshBuild, SurfacesAreFoundByTagNameWhateverTheirOrder) {
    LwoWriter w;
    w.tags({"Red", "Blue", "Part"});
    w.points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
    w.polygons("FACE", {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}});
    w.polygonTags("SURF", {{0, 0}, {1, 1}});
    w.polygonTags("PART", {{2, 1}});  // names a part, not a surface
    w.surface("Blue", lwotest::colr(0, 0, 1)).surface("Red", lwotest::colr(1, 0, 0));
    LwoObject object;
    ASSERT_FALSE(loadInto(object, w)) << object.lastError();
    EXPECT_EQ(object.polygons[0].colour, (LwoColour{1, 0, 0}));
    EXPECT_EQ(object.polygons[1].colour, (LwoColour{0, 0, 1}));
    EXPECT_EQ(object.polygons[2].colour, (LwoColour{1, 1, 1}));
    EXPECT_EQ(object.applyColour(0.1f, 0.2f, 0.3f), 2);
    EXPECT_EQ(object.polygons[1].colour, (LwoColour{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(object.polygons[2].colour, (LwoColour{1, 1, 1}));
}

TEST(MeshBuild, SeveralPolygonSetsShareTheirLayersPoints) {
    LwoWriter w;
    w.points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
    w.polygons("FACE", {{0, 1, 2}}).polygons("PTCH", {{0, 1, 2, 3}}).polygons("FACE", {{0, 2, 3}});
    LwoObject object;
    ASSERT_FALSE(loadInto(object, w)) << object.lastError();
    ASSERT_EQ(object.polygons.size(), 2u);
    EXPECT_FLOAT_EQ(object.polygons[1].positions[2].y, -1.0f);
    EXPECT_EQ(object.polygonSetStarts, (PolygonSetStarts{0, 1, 1}));
}

TEST(MeshBuild, LoadingTwiceAppendsUvMapLoadStartsAfresh) {
    LwoWriter w = twoQuads();
    w.vertexMap("VMAP", "TXUV", "uv", 2, {{0, 0, {0, 0}}});
    finishTwoQuads(w, false);
    const std::string written = writeTemp("mesh.lwo", w);
    const char* path = written.c_str();
    LwoObject object;
    object.diagnostics = &quiet;
    ASSERT_FALSE(object.load(path));
    ASSERT_FALSE(object.load(path));
    EXPECT_EQ(object.polygons.size(), 4u);
    EXPECT_EQ(object.polygons[2].colour, (LwoColour{0.5f, 0.25f, 1.0f}));
    ASSERT_FALSE(object.loadWithUvMap(path, 0));
    EXPECT_EQ(object.polygons.size(), 2u);
    EXPECT_TRUE(object.loadWithUvMap(path, 1));
    EXPECT_TRUE(object.polygons.empty());
    EXPECT_NE(object.lastError().find(written + ": UV map 1 >= 1 maps"), std::string::npos);
}

TEST(MeshBuild, OptionsLoadClearsTransparencyUnlessKept) {
    LwoWriter w = lwotest::triangleObject("Glass", 1, 1, 1, 2, true);
    w.vertexMap("VMAP", "TXUV", "uv", 2, {{0, 0, {0, 0}}});
    const std::string written = writeTemp("options.lwo", w);
    const char* path = written.c_str();
    LwoObject cleared;
    cleared.diagnostics = &quiet;
    // The picture is missing: the texture step reports failure, the mesh is still built.
    EXPECT_TRUE(cleared.loadWithOptions(path, "/nonexistent.jpg", 0, 0));
    EXPECT_FALSE(cleared.reader.surfaces[0].hasTransparency);
    EXPECT_EQ(cleared.polygons.size(), 2u);
    EXPECT_EQ(cleared.texture, 0u);
    LwoObject kept;
    kept.diagnostics = &quiet;
    EXPECT_TRUE(kept.loadWithOptions(path, "/nonexistent.jpg", 0, 1));
    EXPECT_TRUE(kept.reader.surfaces[0].hasTransparency);
}

TEST(MeshBuild, LaterPerPolygonMapsOfTheSameNameWin) {
    LwoWriter w = twoQuads();
    w.vertexMap("VMAP", "TXUV", "uv", 2, {{0, 0, {0, 0}}});
    finishTwoQuads(w);
    w.vertexMap("VMAD", "TXUV", "uv", 2, {{0, 0, {0.25f, 0.5f}}, {0, 0, {0.75f, 0.5f}}});
    w.vertexMap("VMAD", "TXUV", "uv", 2, {{0, 0, {0.5f, 0.5f}}, {0, 0, {1.0f, 1.0f}}});
    LwoObject object;
    ASSERT_FALSE(loadInto(object, w)) << object.lastError();
    EXPECT_EQ(uvList(object.polygons[0]), (std::vector<float>{0.5f, 0.5f}));
}

TEST(MeshBuild, UvMapCountsThatOnlyAttacksWouldHaveFail) {
    LwoWriter many = twoQuads();
    for (int m = 0; m <= 256; ++m) many.vertexMap("VMAP", "TXUV", "m" + std::to_string(m), 2, {});
    LwoObject tooManyMaps;
    EXPECT_TRUE(loadInto(tooManyMaps, many));
    EXPECT_NE(tooManyMaps.lastError().find("more than 256 UV maps"), std::string::npos);

    LwoWriter stacked = twoQuads();
    for (int m = 0; m < 9; ++m) stacked.vertexMap("VMAP", "TXUV", "s" + std::to_string(m), 2, {{1, 0, {0, 0}}});
    finishTwoQuads(stacked);
    LwoObject tooManyLayers;
    EXPECT_TRUE(loadInto(tooManyLayers, stacked));
    EXPECT_NE(tooManyLayers.lastError().find("polygon 0 has a corner with more than 8 UV entries"),
              std::string::npos);
}
