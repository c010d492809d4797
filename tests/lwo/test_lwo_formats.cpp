// The older (LWOB) and newer (LWO3) object formats read into the same records and mesh as LWO2:
// real files against the facts an independent parser gives (tests/data/lwo/FACTS_FORMS.json,
// copied by hand), and hand-built files for what those do not hold (detail polygons, curves and
// patches, fixed-point and float surface values, textures, colours set outside the node graph,
// bounds of nested forms).
#include "lwo/lwo_mesh.h"
#include "lwo/lwo_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kDir = std::string(DEMO_TESTDATA_DIR) + "/lwo/";

std::unique_ptr<LwoMesh> loadFile(const std::string& name) {
    auto mesh = std::make_unique<LwoMesh>();
    EXPECT_FALSE(mesh->load((kDir + name).c_str())) << mesh->lastError();
    return mesh;
}

std::unique_ptr<LwoMesh> loadBytes(const std::vector<uint8_t>& bytes, bool& failed) {
    auto mesh = std::make_unique<LwoMesh>();
    failed = mesh->loadFromMemory(bytes.data(), bytes.size(), "made.lwo");
    return mesh;
}

std::map<int, int> cornerHistogram(const LwoPolygonSet& set) {
    std::map<int, int> histogram;
    for (int16_t corners : set.cornerCounts) ++histogram[corners];
    return histogram;
}

struct FormFacts {
    const char* file;
    const char* format;
    std::vector<std::string> layerNames;
    std::vector<size_t> points;             // per set
    std::vector<std::map<int, int>> faces;  // corner histogram per set
    std::vector<std::string> tags;
    std::string surface;
    LwoColour colour;
    std::vector<size_t> uvEntries, discUvEntries;
    std::vector<std::string> clipFiles;
};

float u8(int value) { return value / 255.0f; }

const std::vector<FormFacts>& allFacts() {
    const float grey = 0.50196078f;
    static const std::vector<FormFacts> facts = {
        {"lwob_ConcavePolygon.lwo", "LWOB", {""}, {64}, {{{66, 1}}},
         {"test_Smoothing"}, "test_Smoothing", {u8(36), u8(47), u8(105)}, {}, {}, {}},
        {"lwob_formatDetection.lwo", "LWOB", {""}, {24}, {{{24, 1}}},
         {"Default"}, "Default", {u8(200), u8(200), u8(200)}, {}, {}, {}},
        {"lwob_sphere_with_mat_gloss_10pc.lwo", "LWOB", {""}, {266}, {{{3, 48}, {4, 240}}},
         {"Default"}, "Default", {u8(255), u8(128), u8(192)}, {}, {}, {}},
        {"lwo3_Cube00-Basic.lwo", "LWO3", {""}, {8}, {{{4, 6}}},
         {"DkBlu", "Default"}, "Default", {grey, grey, grey}, {}, {}, {}},
        {"lwo3_Cube02-MultipleLayers.lwo", "LWO3", {"Cube_1", "Cube_2", "Cube_3"}, {8, 8, 8},
         {{{4, 6}}, {{4, 6}}, {{4, 6}}}, {"DkBlu", "Default"}, "Default", {grey, grey, grey}, {}, {}, {}},
        {"lwo3_Cube06-UVTextureMapStandard.lwo", "LWO3", {""}, {8}, {{{4, 6}}},
         {"DkBlu", "Default"}, "Default", {grey, grey, grey}, {8}, {16}, {"Images/general/UV_Grid.jpg"}},
        {"lwo3_UV-Discontinuous-VMAD.lwo", "LWO3", {""}, {6}, {{{4, 2}}},
         {"DkBlu", "UV"}, "UV", {0.502f, 0.502f, 0.502f}, {6}, {2}, {"Images/general/UV_Grid.jpg"}},
        {"lwo3_n-gon.lwo", "LWO3", {""}, {48}, {{{4, 24}, {24, 2}}},
         {"DkBlu", "Red"}, "Red", {grey, grey, grey}, {}, {}, {}},
    };
    return facts;
}

TEST(LwoFormatsRealFiles, RecordsAndMeshMatchTheIndependentFacts) {
    ASSERT_TRUE(std::filesystem::exists(kDir + "lwo3_n-gon.lwo")) << "test data missing: " << kDir;
    for (const FormFacts& f : allFacts()) {
        SCOPED_TRACE(f.file);
        auto mesh = loadFile(f.file);
        const LwoReader& r = mesh->reader;
        EXPECT_EQ(r.formType, f.format);
        ASSERT_EQ(r.layers.size(), f.layerNames.size());
        size_t faces = 0;
        for (size_t l = 0; l < r.layers.size(); ++l) {
            EXPECT_EQ(r.layers[l].name, f.layerNames[l]);
            EXPECT_EQ(r.layers[l].number, l);
        }
        ASSERT_EQ(r.pointSets.size(), f.points.size());
        for (size_t s = 0; s < f.points.size(); ++s) EXPECT_EQ(r.pointSets[s].points.size(), f.points[s]);
        ASSERT_EQ(r.polygonSets.size(), f.faces.size());
        for (size_t s = 0; s < f.faces.size(); ++s) {
            EXPECT_EQ(r.polygonSets[s].type, "FACE");
            EXPECT_EQ(cornerHistogram(r.polygonSets[s]), f.faces[s]);
            faces += r.polygonSets[s].cornerCounts.size();
        }
        EXPECT_EQ(mesh->polygons.size(), faces);
        EXPECT_EQ(r.tagList.tags, f.tags);
        ASSERT_EQ(r.surfaces.size(), 1u);
        EXPECT_EQ(r.surfaces[0].name, f.surface);
        // LWOB surfaces all carry TRAN 0, LWO3 ones none: opaque, so drawn without blending.
        EXPECT_FALSE(r.surfaces[0].hasTransparency);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(r.surfaces[0].colour[k], f.colour[k], 1e-5f) << k;
        // Every polygon of these files is tagged with their one surface: the mesh carries its colour.
        for (const MeshPolygon& p : mesh->polygons) EXPECT_NEAR(p.colour[0], f.colour[0], 1e-5f);
        std::vector<size_t> uv, disc;
        for (const LwoVertexMap& m : r.vertexMaps) uv.push_back(m.entries.size());
        for (const LwoVertexMap& m : r.discVertexMaps) disc.push_back(m.entries.size());
        EXPECT_EQ(uv, f.uvEntries);
        EXPECT_EQ(disc, f.discUvEntries);
        std::vector<std::string> clips;
        for (const LwoClip& c : r.clips) clips.push_back(c.fileName);
        EXPECT_EQ(clips, f.clipFiles);
    }
}

TEST(LwoFormatsRealFiles, UvMappedLwo3ObjectsGetTheirUvsAndImage) {
    // Image node wired into the material's colour.
    auto cube = loadFile("lwo3_Cube06-UVTextureMapStandard.lwo");
    EXPECT_EQ(cube->reader.surfaces[0].imageName, "Images/general/UV_Grid.jpg");
    EXPECT_EQ(cube->reader.vertexMaps[0].name, "Texture");
    for (const MeshPolygon& p : cube->polygons) EXPECT_EQ(p.uvs.size(), 4u);  // VMAD replaces, never adds
    // The image node's mapping, kept as an image block: UV projection through map "Texture",
    // picture clip 1 (found by the node's file name).
    ASSERT_EQ(cube->reader.surfaces[0].imageBlocks.size(), 1u);
    const LwoImageBlock& block = cube->reader.surfaces[0].imageBlocks[0];
    EXPECT_EQ(block.problem, "");
    EXPECT_EQ(block.projection, 5);
    EXPECT_EQ(block.uvMap, "Texture");
    EXPECT_EQ(block.image, 1);
    EXPECT_EQ(block.channel, "COLR");
    EXPECT_EQ(block.size.x, 1.0f);
    // Every corner's uv is one the map's VMAP or VMAD entries hold (v flipped), never projected.
    std::vector<std::pair<float, float>> held;
    for (const LwoVertexMap& map : cube->reader.vertexMaps)
        for (size_t e = 0; e < map.entries.size(); ++e)
            held.emplace_back(map.valuesOf(e)[0], 1.0f - map.valuesOf(e)[1]);
    for (const MeshPolygon& p : cube->polygons)
        for (const MeshUv& uv : p.uvs)
            EXPECT_NE(std::find(held.begin(), held.end(), std::make_pair(uv.u, uv.v)), held.end())
                << uv.u << ", " << uv.v;
    // A texture layer on the material's colour, naming clip 1.
    auto quads = loadFile("lwo3_UV-Discontinuous-VMAD.lwo");
    EXPECT_EQ(quads->reader.surfaces[0].imageName, "Images/general/UV_Grid.jpg");
}

TEST(LwoFormatsRealFiles, PatchesAreCountedAsTheFileHoldsThem) {
    auto patches = loadFile("Subdivision.lwo");
    ASSERT_EQ(patches->reader.polygonSets.size(), 1u);
    EXPECT_EQ(patches->reader.polygonSets[0].type, "PTCH");
    EXPECT_EQ(patches->reader.polygonSets[0].fileCount, 24);
    EXPECT_TRUE(patches->polygons.empty());  // the mesh keeps faces only
    EXPECT_EQ(patches->reader.formType, "LWO2");
}

TEST(LwoFormatsRealFiles, AnObjectSavedInBothFormatsBuildsTheSameMesh) {
    // The same concave 66-gon as LWOB and as LWO2: corners in the same order (the winding).
    auto older = loadFile("lwob_ConcavePolygon.lwo");
    auto newer = loadFile("concave_polygon.lwo");
    ASSERT_EQ(older->polygons.size(), 1u);
    ASSERT_EQ(newer->polygons.size(), 1u);
    const MeshPolygon& a = older->polygons[0];
    const MeshPolygon& b = newer->polygons[0];
    ASSERT_EQ(a.positions.size(), b.positions.size());
    for (size_t k = 0; k < a.positions.size(); ++k) {
        EXPECT_FLOAT_EQ(a.positions[k].x, b.positions[k].x) << k;
        EXPECT_FLOAT_EQ(a.positions[k].z, b.positions[k].z) << k;
    }
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(a.colour[k], b.colour[k], 1e-6f);
}

// --- Hand-built LWOB ---

LwoBytes sub(const char* id, const LwoBytes& body) { return lwoSubChunk(id, body); }

LwoBytes lwobPolygon(std::vector<uint32_t> points, int surface) {
    LwoBytes b;
    b.u2(static_cast<uint32_t>(points.size()));
    for (uint32_t p : points) b.u2(p);
    b.u2(static_cast<uint16_t>(static_cast<int16_t>(surface)));
    return b;
}

std::vector<Vec3> fivePoints() { return {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}}; }

LwoWriter lwobObject(const LwoBytes& polygons, const LwoBytes& surface) {
    LwoWriter w;
    w.chunk("SRFS", LwoBytes().s0("Outer").s0("Inner")).points(fivePoints()).chunk("POLS", polygons);
    w.chunk("CRVS", LwoBytes().raw(lwobPolygon({0, 1}, 1)).raw(lwobPolygon({1, 2, 3}, 1)));
    w.chunk("PCHS", LwoBytes()
                        .raw(lwobPolygon({0, 1, 2, 3}, 1))
                        .raw(lwobPolygon({1, 2, 3, 4}, -2))
                        .u2(0)
                        .raw(lwobPolygon({0, 1, 2, 3}, 1)));
    w.chunk("SURF", LwoBytes().s0("Outer").raw(surface));
    return w;
}

TEST(LwobObjects, DetailPolygonsCurvesPatchesAndSurfaceValues) {
    // A polygon on surface 1 announcing one detail polygon (negative surface), the detail on 2.
    LwoBytes polygons = lwobPolygon({0, 1, 2}, -1);
    polygons.u2(1).raw(lwobPolygon({2, 3, 4, 1}, 2));
    LwoBytes surface;
    surface.raw(sub("COLR", LwoBytes().u1(255).u1(0).u1(51).u1(0))).raw(sub("FLAG", LwoBytes().u2(0x104)));
    surface.raw(sub("DIFF", LwoBytes().u2(128))).raw(sub("TRAN", LwoBytes().u2(64)));
    surface.raw(sub("LUMI", LwoBytes().u2(256))).raw(sub("VDIF", LwoBytes().f4(0.75f)));
    surface.raw(sub("CTEX", LwoBytes().s0("Planar Image Map")))
        .raw(sub("TIMG", LwoBytes().s0("maps/wood.iff")));
    surface.raw(sub("TFLG", LwoBytes().u2(2))).raw(sub("TSIZ", LwoBytes().vec({1, 2, 3})));
    surface.raw(sub("TCTR", LwoBytes().vec({0.5f, 0, -0.5f}))).raw(sub("TWRP", LwoBytes().u2(2).u2(3)));
    surface.raw(sub("TFP0", LwoBytes().f4(4.0f))).raw(sub("TVAL", LwoBytes().u2(7)));
    surface.raw(sub("DTEX", LwoBytes().s0("Spherical Image Map"))).raw(sub("TIMG", LwoBytes().s0("(none)")));
    bool failed = true;
    auto mesh = loadBytes(lwobObject(polygons, surface).file("LWOB"), failed);
    ASSERT_FALSE(failed) << mesh->lastError();
    const LwoReader& r = mesh->reader;
    EXPECT_EQ(r.formType, "LWOB");
    ASSERT_EQ(r.layers.size(), 1u);
    ASSERT_EQ(r.polygonSets.size(), 3u);
    EXPECT_EQ(r.polygonSets[0].cornerCounts, (std::vector<int16_t>{3, 4}));
    EXPECT_EQ(r.polygonSets[0].indices, (std::vector<int32_t>{0, 1, 2, 2, 3, 4, 1}));
    EXPECT_EQ(r.polygonSets[1].type, "CURV");
    EXPECT_EQ(r.polygonSets[1].fileCount, 2);
    EXPECT_EQ(r.polygonSets[2].type, "PTCH");
    EXPECT_EQ(r.polygonSets[2].fileCount, 3);  // the detail count between them is no patch
    EXPECT_TRUE(r.polygonSets[2].cornerCounts.empty());
    ASSERT_EQ(mesh->polygons.size(), 2u);
    // Surface numbers are 1-based: the first polygon is "Outer" (coloured), the detail "Inner"
    // (no SURF chunk, so white).
    EXPECT_EQ(mesh->polygons[0].colour, (LwoColour{1.0f, 0.0f, 0.2f}));
    EXPECT_EQ(mesh->polygons[1].colour, (LwoColour{1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(mesh->polygons[0].positions[1].x, -1.0f);  // the model negates as for LWO2
    const LwoSurface& s = r.surfaces[0];
    EXPECT_EQ(s.flags, 0x104);
    EXPECT_FLOAT_EQ(s.diffuse, 0.75f);  // the float form refines the fixed-point 0.5
    EXPECT_TRUE(s.hasTransparency);
    EXPECT_FLOAT_EQ(s.transparency, 0.25f);
    EXPECT_FLOAT_EQ(s.luminosity, 1.0f);
    ASSERT_EQ(s.legacyTextures.size(), 2u);
    const LwoLegacyTexture& t = s.legacyTextures[0];
    EXPECT_EQ(t.channel, "CTEX");
    EXPECT_EQ(t.type, "Planar Image Map");
    EXPECT_EQ(t.image, "maps/wood.iff");
    EXPECT_EQ(t.flags, 2);
    EXPECT_EQ(t.size.y, 2.0f);
    EXPECT_EQ(t.centre.z, -0.5f);
    EXPECT_EQ(t.wrapWidth, 2);
    EXPECT_EQ(t.wrapHeight, 3);
    EXPECT_EQ(t.wrapCountWidth, 4.0f);
    EXPECT_EQ(s.legacyTextures[1].channel, "DTEX");
    EXPECT_EQ(s.legacyTextures[1].wrapCountWidth, 1.0f);  // its own defaults, not the last texture's
    EXPECT_EQ(s.imageName, "maps/wood.iff");
}

TEST(LwobObjects, DamagedPolygonsAreRefusedWhereTheyAre) {
    bool failed = false;
    auto badPoint = loadBytes(lwobObject(lwobPolygon({0, 9, 2}, 1), LwoBytes()).file("LWOB"), failed);
    EXPECT_TRUE(failed);
    const std::string& e = badPoint->lastError();
    EXPECT_NE(e.find("made.lwo: POLS at 0x"), std::string::npos) << e;
    EXPECT_NE(e.find(": point 9 >= 5 points"), std::string::npos) << e;
    LwoBytes cut;
    cut.u2(3).u2(0).u2(1);  // three corners announced, two there, no surface
    auto truncated = loadBytes(lwobObject(cut, LwoBytes()).file("LWOB"), failed);
    EXPECT_TRUE(failed);
    EXPECT_NE(truncated->lastError().find("polygon needs 8 bytes, 4 left"), std::string::npos)
        << truncated->lastError();
    LwoBytes badSub;
    badSub.id("COLR").u2(40).u1(1);
    auto longSub = loadBytes(lwobObject(lwobPolygon({0, 1, 2}, 1), badSub).file("LWOB"), failed);
    EXPECT_TRUE(failed);
    EXPECT_NE(longSub->lastError().find("SURF COLR at 0x"), std::string::npos) << longSub->lastError();
    EXPECT_NE(longSub->lastError().find("sub-chunk length 40 runs past the surface end"), std::string::npos);
}

// --- Hand-built LWO3 ---

// An LWO3 chunk: ID, U4 length, body, pad byte.
LwoBytes chunk4(const char* id, const LwoBytes& body) {
    LwoBytes b;
    b.id(id).u4(static_cast<uint32_t>(body.size())).raw(body);
    if (body.size() % 2) b.u1(0);
    return b;
}

LwoBytes form(const char* type, const LwoBytes& body) {
    return chunk4("FORM", LwoBytes().id(type).raw(body));
}

LwoBytes f8(LwoBytes b, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return b.u4(static_cast<uint32_t>(bits >> 32)).u4(static_cast<uint32_t>(bits));
}

// A node graph: a material node of the given colour wired into the Surface node's Material;
// `layers` (TXTR forms) go on that colour.
LwoBytes nodeGraph(const std::string& material, double r, double g, double b, const LwoBytes& layers = LwoBytes()) {
    LwoBytes doubles = f8(f8(f8(LwoBytes().u4(3), r), g), b);
    LwoBytes value = form(
        "VALU", chunk4("    ", LwoBytes().s0("vparam3")).raw(form("VALU", chunk4("    ", doubles))).raw(layers));
    LwoBytes entry = form("ENTR", chunk4("NAME", LwoBytes().s0("Color")).raw(value));
    LwoBytes data =
        form("NDTA", form("ATTR", form("META", chunk4("VERS", LwoBytes().u4(1)).raw(form("ADAT", entry)))));
    LwoBytes node = form(
        "NTAG", chunk4("NRNM", LwoBytes().s0("Mat")).raw(chunk4("NNME", LwoBytes().s0(material))).raw(data));
    LwoBytes nodes = form("NNDS", chunk4("NSRV", LwoBytes().s0("Mat")).raw(node));
    LwoBytes links = form("NCON", chunk4("INME", LwoBytes().s0("Surface"))
                                      .raw(chunk4("IINM", LwoBytes().s0("Material")))
                                      .raw(chunk4("IINN", LwoBytes().s0(material)))
                                      .raw(chunk4("IONM", LwoBytes().s0("Material"))));
    return form("NODS", nodes.raw(links));
}

LwoBytes lwo3Surface(const std::string& name, const LwoBytes& rest) {
    return chunk4("    ", LwoBytes().s0(name).s0("")).raw(chunk4("VERS", LwoBytes().u4(1805))).raw(rest);
}

LwoWriter lwo3Object(const LwoBytes& surfaceForms) {
    LwoWriter w;
    w.tags({"Plain", "Noded"}).layer(1, "Child", 0, Vec3{1, 2, 3}).points(fivePoints());
    w.polygons("FACE", {{0, 1, 2}, {1, 3, 4}}).polygonTags("SURF", {{0, 0}, {1, 1}});
    w.vertexMap("VMAP", "TXUV", "uv", 2, {{0, 0, {0.0f, 1.0f}}, {1, 0, {1.0f, 1.0f}}, {2, 0, {0.0f, 0.0f}}});
    w.rawBytes(
        form("CLIP",
             chunk4("    ", LwoBytes().u4(3)).raw(form("STIL", chunk4("    ", LwoBytes().s0("wood.png"))))));
    w.rawBytes(surfaceForms);
    return w;
}

TEST(Lwo3Objects, SurfaceValuesNodeColoursClipsAndLayers) {
    LwoBytes plainValues = chunk4("COLR", LwoBytes().f4(0.2f).f4(0.4f).f4(0.6f).vx(0));
    plainValues.raw(chunk4("DIFF", LwoBytes().f4(0.8f).vx(0))).raw(chunk4("TRAN", LwoBytes().f4(0.1f).vx(0)));
    plainValues.raw(chunk4("LUMI", LwoBytes().f4(0.3f).vx(0)));
    // Its own COLR wins over a graph's colour; the second surface has only the graph's.
    LwoBytes plain = form("SURF", lwo3Surface("Plain", plainValues.raw(nodeGraph("Mat (1)", 0.9, 0.9, 0.9))));
    LwoBytes noded = form("SURF", lwo3Surface("Noded", nodeGraph("Mat (2)", 0.25, 0.5, 1.0)));
    bool failed = true;
    auto mesh = loadBytes(lwo3Object(plain.raw(noded)).file("LWO3"), failed);
    ASSERT_FALSE(failed) << mesh->lastError();
    const LwoReader& r = mesh->reader;
    EXPECT_EQ(r.formType, "LWO3");
    ASSERT_EQ(r.layers.size(), 1u);
    EXPECT_TRUE(r.layers[0].hasParent);
    EXPECT_EQ(r.layers[0].pivot.z, 3.0f);
    ASSERT_EQ(r.clips.size(), 1u);
    EXPECT_EQ(r.clips[0].clipIndex, 3u);
    EXPECT_EQ(r.clips[0].fileName, "wood.png");
    ASSERT_EQ(r.surfaces.size(), 2u);
    EXPECT_EQ(r.surfaces[0].colour, (LwoColour{0.2f, 0.4f, 0.6f}));
    EXPECT_FLOAT_EQ(r.surfaces[0].diffuse, 0.8f);
    EXPECT_FLOAT_EQ(r.surfaces[0].transparency, 0.1f);
    EXPECT_FLOAT_EQ(r.surfaces[0].luminosity, 0.3f);
    EXPECT_EQ(r.surfaces[1].name, "Noded");
    EXPECT_EQ(r.surfaces[1].colour, (LwoColour{0.25f, 0.5f, 1.0f}));
    ASSERT_EQ(mesh->polygons.size(), 2u);
    EXPECT_EQ(mesh->polygons[1].colour, (LwoColour{0.25f, 0.5f, 1.0f}));
    EXPECT_EQ(mesh->polygons[0].uvs.size(), 3u);
}

TEST(Lwo3Objects, NestedFormsAreBoundedByWhatHoldsThem) {
    // A form inside the surface that claims more than the surface holds.
    LwoBytes overlong;
    overlong.id("FORM").u4(4000).id("NODS");
    bool failed = false;
    auto mesh = loadBytes(lwo3Object(form("SURF", lwo3Surface("Plain", overlong))).file("LWO3"), failed);
    EXPECT_TRUE(failed);
    EXPECT_NE(mesh->lastError().find("chunk length 4000 runs past the end of the form"), std::string::npos)
        << mesh->lastError();
    EXPECT_TRUE(mesh->polygons.empty());
    // Attribute forms nested far deeper than any file nests them: skipped, not followed.
    LwoBytes deep = form("ENTR", chunk4("NAME", LwoBytes().s0("Color")));
    for (int level = 0; level < 2000; ++level) deep = form("ATTR", deep);
    LwoBytes graph =
        form("NODS", form("NNDS", form("NTAG", chunk4("NNME", LwoBytes().s0("M")).raw(form("NDTA", deep)))));
    auto nested = loadBytes(lwo3Object(form("SURF", lwo3Surface("Plain", graph))).file("LWO3"), failed);
    EXPECT_FALSE(failed) << nested->lastError();
    // An odd chunk last in a nested form, which is last in the surface, which is last in the
    // file: one pad byte ends all four, and each walk must step over it.
    const LwoBytes odd = chunk4("ZZZZ", LwoBytes().u1(7));
    auto padded = loadBytes(lwo3Object(form("SURF", lwo3Surface("Plain", form("NODS", odd)))).file("LWO3"), failed);
    ASSERT_FALSE(failed) << padded->lastError();
    EXPECT_EQ(padded->reader.surfaces.at(0).name, "Plain");
}

// A BLOK form as LWO3 writes it: the IMAP header form, TMAP, then the attribute chunks.
LwoBytes lwo3ImageBlock(const LwoBytes& attributes) {
    LwoBytes header = chunk4("    ", LwoBytes().s0("\x80")).raw(chunk4("CHAN", LwoBytes().id("COLR")));
    header.raw(chunk4("ENAB", LwoBytes().u2(1)));
    LwoBytes mapping = chunk4("CNTR", LwoBytes().f4(1).f4(0).f4(0).vx(0));
    mapping.raw(chunk4("SIZE", LwoBytes().f4(4).f4(2).f4(1).vx(0)));
    return form("BLOK", form("IMAP", header).raw(form("TMAP", mapping)).raw(attributes));
}

std::unique_ptr<LwoMesh> lwo3WithoutUvs(const LwoBytes& block, bool& failed) {
    LwoWriter w;
    w.tags({"Plain"}).layer(1, "").points(fivePoints());
    w.polygons("FACE", {{0, 1, 2}, {1, 3, 4}}).polygonTags("SURF", {{0, 0}, {1, 0}});
    w.rawBytes(
        form("CLIP",
             chunk4("    ", LwoBytes().u4(3)).raw(form("STIL", chunk4("    ", LwoBytes().s0("wood.png"))))));
    w.rawBytes(form("SURF", lwo3Surface("Plain", block)));
    return loadBytes(w.file("LWO3"), failed);
}

const MeshUv* uvAt(const MeshPolygon& p, Vec3 filePoint) {
    for (size_t j = 0; j < p.positions.size() && j < p.uvs.size(); ++j)
        if (p.positions[j].x == -filePoint.x && p.positions[j].y == -filePoint.y &&
            p.positions[j].z == -filePoint.z)
            return &p.uvs[j];
    return nullptr;
}

// One surface, then clip `clipIndex` with the picture "late.png".
std::unique_ptr<LwoMesh> lwo3ClipAfterSurface(const LwoBytes& surfaceBody, uint32_t clipIndex, bool& failed) {
    LwoWriter w;
    w.tags({"Plain"}).layer(1, "").points(fivePoints());
    w.polygons("FACE", {{0, 1, 2}}).polygonTags("SURF", {{0, 0}});
    w.rawBytes(form("SURF", lwo3Surface("Plain", surfaceBody)));
    w.rawBytes(form("CLIP", chunk4("    ", LwoBytes().u4(clipIndex))
                                .raw(form("STIL", chunk4("    ", LwoBytes().s0("late.png"))))));
    return loadBytes(w.file("LWO3"), failed);
}

// An image block's own chunks: a planar projection across Z, the picture clip 3.
LwoBytes planarZOntoClip3() {
    LwoBytes block = chunk4("PROJ", LwoBytes().u2(0)).raw(chunk4("AXIS", LwoBytes().u2(2)));
    block.raw(chunk4("IMAG", LwoBytes().vx(3)));
    return block;
}

TEST(Lwo3Objects, SurfacesThatNameAPictureDrawItTexturedInEveryFormat) {
    // LWO3 edited without nodes: the picture is the clip of the colour block, here clip 3
    // written before the surface.
    const LwoBytes planar = planarZOntoClip3();
    bool failed = true;
    auto before = lwo3WithoutUvs(lwo3ImageBlock(planar), failed);
    ASSERT_FALSE(failed) << before->lastError();
    EXPECT_EQ(before->reader.surfaces[0].imageName, "wood.png");
    EXPECT_EQ(before->pictureFile(), "wood.png");
    for (const MeshPolygon& p : before->polygons) EXPECT_TRUE(p.textured && p.cornerTextured(0));
    // The same clip written after the surface, and a block naming a clip there is not.
    for (const auto& [clipIndex, picture] : {std::make_pair(3u, "late.png"), std::make_pair(4u, "")}) {
        auto after = lwo3ClipAfterSurface(lwo3ImageBlock(planar), clipIndex, failed);
        ASSERT_FALSE(failed) << after->lastError();
        EXPECT_EQ(after->reader.surfaces[0].imageName, picture) << clipIndex;
        EXPECT_EQ(after->polygons[0].textured, clipIndex == 3u);
        EXPECT_EQ(after->pictureFile(), "late.png");  // the first clip, as for LWO2
    }
    // LWO3 with nodes: the image node's picture, laid on by the UV map.
    auto cube = loadFile("lwo3_Cube06-UVTextureMapStandard.lwo");
    EXPECT_EQ(cube->pictureFile(), "Images/general/UV_Grid.jpg");
    for (const MeshPolygon& p : cube->polygons) EXPECT_TRUE(p.textured && p.cornerTextured(3));
    // LWOB: the colour texture's TIMG; a colour texture without a picture leaves it untextured.
    for (const char* image : {"maps/earth.jpg", "(none)"}) {
        SCOPED_TRACE(image);
        LwoBytes surface = sub("CTEX", LwoBytes().s0("Planar Image Map"));
        surface.raw(sub("TIMG", LwoBytes().s0(image))).raw(sub("TFLG", LwoBytes().u2(4)));
        auto lwob = loadBytes(lwobObject(lwobPolygon({0, 1, 2}, 1), surface).file("LWOB"), failed);
        ASSERT_FALSE(failed) << lwob->lastError();
        const bool named = std::string(image) != "(none)";
        EXPECT_EQ(lwob->pictureFile(), named ? image : "");
        EXPECT_EQ(lwob->polygons.at(0).textured, named);
        EXPECT_EQ(lwob->polygons.at(0).uvs.size(), named ? 3u : 0u);
    }
    // LWO2 is as it was: its pictures are clips, its surfaces name none, any block textures.
    auto earth = loadFile("earth_planar_y.lwo");
    EXPECT_EQ(earth->reader.surfaces[0].imageName, "");
    EXPECT_EQ(earth->pictureFile(), earth->reader.clips.at(0).fileName);
    EXPECT_TRUE(earth->polygons.at(0).textured);
}

TEST(Lwo3Objects, ATextureLayerOnTheMaterialColourFindsAClipWrittenAfterTheSurface) {
    const LwoBytes layer = form("TXTR", form("BLOK", chunk4("IMAG", LwoBytes().vx(3))));
    bool failed = true;
    auto mesh = lwo3ClipAfterSurface(nodeGraph("Mat", 1.0, 1.0, 1.0, layer), 3, failed);
    ASSERT_FALSE(failed) << mesh->lastError();
    EXPECT_EQ(mesh->reader.surfaces.at(0).imageName, "late.png");
}

TEST(Lwo3Objects, PlanarImageBlocksProjectUvsOntoPolygonsWithoutAMap) {
    bool failed = true;
    auto mesh = lwo3WithoutUvs(lwo3ImageBlock(planarZOntoClip3()), failed);
    ASSERT_FALSE(failed) << mesh->lastError();
    ASSERT_EQ(mesh->reader.surfaces[0].imageBlocks.size(), 1u);
    const LwoImageBlock& block = mesh->reader.surfaces[0].imageBlocks[0];
    EXPECT_EQ(block.problem, "");
    EXPECT_EQ(block.channel, "COLR");
    EXPECT_EQ(block.image, 3);
    EXPECT_EQ(block.centre.x, 1.0f);
    EXPECT_EQ(block.size.y, 2.0f);
    ASSERT_EQ(mesh->polygons.size(), 2u);
    // Point 4 (2, 1, 0) less the centre (1, 0, 0) is (1, 1, 0): across Z, u = 1/4 + 0.5 = 0.75,
    // v = 1/2 + 0.5 = 1, drawn as 1 - 1 = 0.
    const MeshUv* corner = uvAt(mesh->polygons[1], Vec3{2, 1, 0});
    ASSERT_NE(corner, nullptr);
    EXPECT_NEAR(corner->u, 0.75f, 1e-5f);
    EXPECT_NEAR(corner->v, 0.0f, 1e-5f);
    // Point 0 (0, 0, 0) is (-1, 0, 0) from the centre: u = -1/4 + 0.5 = 0.25, v = 0.5.
    corner = uvAt(mesh->polygons[0], Vec3{0, 0, 0});
    ASSERT_NE(corner, nullptr);
    EXPECT_NEAR(corner->u, 0.25f, 1e-5f);
    EXPECT_NEAR(corner->v, 0.5f, 1e-5f);

    // A block whose AXIS claims more than the block holds: kept with the located reason, not
    // used, and the object still reads.
    LwoBytes damaged = chunk4("PROJ", LwoBytes().u2(0));
    damaged.id("AXIS").u4(400).u2(2);
    auto broken = lwo3WithoutUvs(lwo3ImageBlock(damaged), failed);
    ASSERT_FALSE(failed) << broken->lastError();
    ASSERT_EQ(broken->reader.surfaces[0].imageBlocks.size(), 1u);
    EXPECT_NE(broken->reader.surfaces[0].imageBlocks[0].problem.find("length 400"), std::string::npos)
        << broken->reader.surfaces[0].imageBlocks[0].problem;
    for (const MeshPolygon& p : broken->polygons) EXPECT_TRUE(p.uvs.empty());
}

// An image node's vector input as LWO3 writes it: FORM id { FORM VPRM { data, FORM VPVL { three
// F4 and an envelope index } } }.
LwoBytes nodeVector(const char* id, float x, float y, float z) {
    const LwoBytes value = form("VPVL", chunk4("    ", LwoBytes().f4(x).f4(y).f4(z).u2(0)));
    return form(id, form("VPRM", chunk4("    ", LwoBytes().u4(3).u4(0)).raw(value)));
}

// A surface whose material colour comes from an image node that projects planar along Z, with
// the block test's centre and size and the given rotation.
LwoBytes imageNodeSurface(float heading, float pitch, float bank) {
    LwoBytes imageData = chunk4("IMAP", LwoBytes().u4(0)).raw(chunk4("IAXS", LwoBytes().u4(2)));
    imageData.raw(nodeVector("ISCL", 4, 2, 1)).raw(nodeVector("IPOS", 1, 0, 0));
    imageData.raw(nodeVector("IROT", heading, pitch, bank));
    imageData.raw(form("IIMG", form("CLIP", form("STIL", chunk4("    ", LwoBytes().s0("wood.png"))))));
    LwoBytes image = form("NTAG", chunk4("NNME", LwoBytes().s0("Image (1)")).raw(form("NDTA", imageData)));
    const LwoBytes material = form("NTAG", chunk4("NNME", LwoBytes().s0("Mat")).raw(form("NDTA", LwoBytes())));
    LwoBytes links = chunk4("INME", LwoBytes().s0("Surface")).raw(chunk4("IINM", LwoBytes().s0("Material")));
    links.raw(chunk4("IINN", LwoBytes().s0("Mat"))).raw(chunk4("INME", LwoBytes().s0("Mat")));
    links.raw(chunk4("IINM", LwoBytes().s0("Color"))).raw(chunk4("IINN", LwoBytes().s0("Image (1)")));
    return form("NODS", form("NNDS", image.raw(material)).raw(form("NCON", links)));
}

// LWO3's image node keeps its rotation (IROT) in the unit of every other LightWave angle in the
// object and scene files, radians, as the surface block's TMAP ROTA does: the same quarter bank
// given to either lays the picture on identically, and differently from no turn.
TEST(Lwo3Objects, ImageNodeRotationIsInRadiansAsTheBlockRotationIs) {
    constexpr float kQuarterTurn = 1.5707963f;
    LwoBytes mapping = chunk4("CNTR", LwoBytes().f4(1).f4(0).f4(0).vx(0));
    mapping.raw(chunk4("SIZE", LwoBytes().f4(4).f4(2).f4(1).vx(0)));
    mapping.raw(chunk4("ROTA", LwoBytes().f4(0).f4(0).f4(kQuarterTurn).vx(0)));
    LwoBytes header = chunk4("    ", LwoBytes().s0("\x80")).raw(chunk4("CHAN", LwoBytes().id("COLR")));
    header.raw(chunk4("ENAB", LwoBytes().u2(1)));
    LwoBytes planarZ = chunk4("PROJ", LwoBytes().u2(0)).raw(chunk4("AXIS", LwoBytes().u2(2)));
    planarZ.raw(chunk4("IMAG", LwoBytes().vx(3)));
    const LwoBytes block = form("BLOK", form("IMAP", header).raw(form("TMAP", mapping)).raw(planarZ));
    bool failed = true;
    auto byBlock = lwo3WithoutUvs(block, failed);
    ASSERT_FALSE(failed) << byBlock->lastError();
    auto byNode = lwo3WithoutUvs(imageNodeSurface(0, 0, kQuarterTurn), failed);
    ASSERT_FALSE(failed) << byNode->lastError();
    auto unturned = lwo3WithoutUvs(imageNodeSurface(0, 0, 0), failed);
    ASSERT_FALSE(failed) << unturned->lastError();
    const std::vector<LwoImageBlock>& nodeBlocks = byNode->reader.surfaces.at(0).imageBlocks;
    ASSERT_EQ(nodeBlocks.size(), 1u);
    EXPECT_FLOAT_EQ(nodeBlocks[0].rotation.z, kQuarterTurn);
    ASSERT_EQ(byNode->polygons.size(), byBlock->polygons.size());
    for (size_t p = 0; p < byNode->polygons.size(); ++p) {
        const MeshPolygon& node = byNode->polygons[p];
        ASSERT_EQ(node.uvs.size(), byBlock->polygons[p].uvs.size()) << p;
        ASSERT_EQ(node.uvs.size(), node.positions.size()) << p;
        for (size_t j = 0; j < node.uvs.size(); ++j) {
            EXPECT_NEAR(node.uvs[j].u, byBlock->polygons[p].uvs[j].u, 1e-6f) << p << " " << j;
            EXPECT_NEAR(node.uvs[j].v, byBlock->polygons[p].uvs[j].v, 1e-6f) << p << " " << j;
        }
    }
    // Point 4 (2, 1, 0): (0.75, 0) unturned, as the block test works out.
    const MeshUv* turned = uvAt(byNode->polygons[1], Vec3{2, 1, 0});
    const MeshUv* plain = uvAt(unturned->polygons[1], Vec3{2, 1, 0});
    ASSERT_TRUE(turned && plain);
    EXPECT_NEAR(plain->u, 0.75f, 1e-5f);
    EXPECT_NEAR(plain->v, 0.0f, 1e-5f);
    EXPECT_GT(std::fabs(turned->u - plain->u) + std::fabs(turned->v - plain->v), 0.1f);
}

}  // namespace
