// Textures mapped by projection: the arithmetic of each projection, hand-built objects whose
// image blocks project (the corner uvs worked out by hand in the comments), the real earth
// objects that map their picture that way (and the one that bakes it into a UV map), drawn with
// their picture, and LWOB and LWO3 objects that name their picture drawn with it.
#include "lwo/lwo_object.h"
#include "lwo/projection_uv.h"
#include "tests/lwo/lwo_test_writer.h"
#include "tests/lwo/mesh_framing.h"
#include "tests/support/gl_test_context.h"
#include "texture/jpeg_texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using lwotest::Bytes;
using lwotest::LwoWriter;
using lwotest::subChunk;

constexpr float kPi = 3.14159265f;
constexpr float kNear = 1e-5f;

void expectUv(const ProjectedUv& uv, float u, float v) {
    EXPECT_NEAR(uv.u, u, kNear);
    EXPECT_NEAR(uv.v, v, kNear);
}

TextureProjection projection(ProjectionKind kind, int axis, Vec3 size = {1, 1, 1}) {
    TextureProjection p;
    p.kind = kind;
    p.axis = axis;
    p.size = size;
    return p;
}

}  // namespace

TEST(ProjectionUv, PlanarUsesTheCoordinatesAcrossItsAxis) {
    TextureProjection y = projection(ProjectionKind::Planar, 1, {4, 1, 8});
    y.centre = {1, 0, 2};
    // (2, 5, 4) - centre = (1, 5, 2): u = 1/4 + 0.5 = 0.75, v = 2/8 + 0.5 = 0.75 (y plays no part)
    expectUv(projectPoint(y, {2, 5, 4}, 1), 0.75f, 0.75f);
    // (-1, 0, -2) - centre = (-2, 0, -4): u = -2/4 + 0.5 = 0, v = -4/8 + 0.5 = 0
    expectUv(projectPoint(y, {-1, 0, -2}, 1), 0.0f, 0.0f);
    // X axis, size (1, 2, 4), (9, 1, -1): u = z/4 + 0.5 = 0.25, v = y/2 + 0.5 = 1
    expectUv(projectPoint(projection(ProjectionKind::Planar, 0, {1, 2, 4}), {9, 1, -1}, 0), 0.25f, 1.0f);
    // Z axis, size 1, (0.5, -0.25, 7): u = 0.5 + 0.5 = 1, v = -0.25 + 0.5 = 0.25
    expectUv(projectPoint(projection(ProjectionKind::Planar, 2), {0.5f, -0.25f, 7}, 2), 1.0f, 0.25f);
}

TEST(ProjectionUv, CylindricalWrapsAroundItsAxisFacingTheFront) {
    TextureProjection y = projection(ProjectionKind::Cylindrical, 1, {1, 2, 1});
    // Front (0, 0, -1): half a turn, u = 0.5; v = 0/2 + 0.5
    expectUv(projectPoint(y, {0, 0, -1}, 1), 0.5f, 0.5f);
    // Right of the front (+X): a quarter turn further, u = 0.75; v = 0.5/2 + 0.5 = 0.75
    expectUv(projectPoint(y, {1, 0.5f, 0}, 1), 0.75f, 0.75f);
    // Left (-X): u = 0.25; v = -1/2 + 0.5 = 0
    expectUv(projectPoint(y, {-1, -1, 0}, 1), 0.25f, 0.0f);
    // Back right (1, 0, 1): an eighth short of the seam at the back, u = 1 - 1/8
    expectUv(projectPoint(y, {1, 0, 1}, 1), 0.875f, 0.5f);
    // Three times round: the right side at 3 * 0.75
    y.wrapWidth = 3;
    EXPECT_NEAR(projectPoint(y, {1, 0, 0}, 1).u, 2.25f, kNear);
    // Around X the front is +Y and the right -Z; v = x / size.x + 0.5 = 0.5 + 0.5
    const TextureProjection x = projection(ProjectionKind::Cylindrical, 0);
    expectUv(projectPoint(x, {0, 1, 0}, 0), 0.5f, 0.5f);
    expectUv(projectPoint(x, {0.5f, 0, -1}, 0), 0.75f, 1.0f);
    // Around Z the front is +Y and the right +X
    expectUv(projectPoint(projection(ProjectionKind::Cylindrical, 2), {1, 0, 0}, 2), 0.75f, 0.5f);
}

TEST(ProjectionUv, SphericalTakesLatitudeFromPoleToPole) {
    TextureProjection y = projection(ProjectionKind::Spherical, 1);
    // The positive pole is the image's top: latitude 90 degrees, row 0, v = 1
    EXPECT_NEAR(projectPoint(y, {0, 1, 0}, 1).v, 1.0f, kNear);
    // (0, 0, -2): the equator at the front, u = 0.5, v = 0.5
    expectUv(projectPoint(y, {0, 0, -2}, 1), 0.5f, 0.5f);
    // (1, 1, 0): right side, latitude 45 degrees, row 0.5 - 0.25 = 0.25, v = 0.75
    expectUv(projectPoint(y, {1, 1, 0}, 1), 0.75f, 0.75f);
    // Twice from pole to pole: row 2 * 0.25 = 0.5, v = 1 - 0.5
    y.wrapHeight = 2;
    EXPECT_NEAR(projectPoint(y, {1, 1, 0}, 1).v, 0.5f, kNear);
    // Around Z, (0, 0, -3) is the negative pole: row 1, v = 0
    EXPECT_NEAR(projectPoint(projection(ProjectionKind::Spherical, 2), {0, 0, -3}, 2).v, 0.0f, kNear);
}

TEST(ProjectionUv, RotationIsUndoneHeadingThenPitchThenBank) {
    TextureProjection p = projection(ProjectionKind::Planar, 2, {2, 2, 2});
    // Heading 90: the texture's +X lies along world -Z, so (1, 0, 0.5) has texture x = -0.5:
    // u = -0.5/2 + 0.5 = 0.25, v = 0/2 + 0.5
    p.rotation = {kPi / 2, 0, 0};
    expectUv(projectPoint(p, {1, 0, 0.5f}, 2), 0.25f, 0.5f);
    // Bank 90: the texture's +Y lies along world -X, so (1, 0, 0) has texture y = -1: v = 0
    p.rotation = {0, 0, kPi / 2};
    expectUv(projectPoint(p, {1, 0, 0}, 2), 0.5f, 0.0f);
    // Pitch 90 along Y: the texture's +Z lies along world -Y, so (0, 1, 0) has texture z = -1:
    // u = 0/2 + 0.5, v = -1/2 + 0.5 = 0
    TextureProjection q = projection(ProjectionKind::Planar, 1, {2, 2, 2});
    q.rotation = {0, kPi / 2, 0};
    expectUv(projectPoint(q, {0, 1, 0}, 1), 0.5f, 0.0f);
}

TEST(ProjectionUv, PolygonsSpanTheSeamAndPolesAndCubicFacesChooseTheirAxis) {
    // Around Y, (-0.1, 0, 1) is atan(0.1)/2pi = 0.0158627 past the seam and (0.1, 0, 1) as far
    // before it: the second is kept next to the first, at -0.0158627, not at 0.984.
    const std::vector<ProjectedUv> seam = projectPolygon(projection(ProjectionKind::Cylindrical, 1),
                                                         {{-0.1f, 0, 1}, {0.1f, 0, 1}, {0.1f, 1, 1}});
    ASSERT_EQ(seam.size(), 3u);
    EXPECT_NEAR(seam[0].u, 0.0158627f, kNear);
    EXPECT_NEAR(seam[1].u, -0.0158627f, kNear);
    EXPECT_NEAR(seam[2].u, -0.0158627f, kNear);
    // A pole takes the mean longitude of the other corners: (0.75 + 0.5) / 2
    const std::vector<ProjectedUv> pole = projectPolygon(projection(ProjectionKind::Spherical, 1),
                                                         {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}});
    ASSERT_EQ(pole.size(), 3u);
    expectUv(pole[0], 0.625f, 1.0f);
    expectUv(pole[1], 0.75f, 0.5f);
    expectUv(pole[2], 0.5f, 0.5f);
    // Cubic: a quad in the plane x = 3 is mapped as planar along X (u = z + 0.5, v = y + 0.5),
    // one in the plane y = 2 as planar along Y (u = x + 0.5, v = z + 0.5).
    const TextureProjection cubic = projection(ProjectionKind::Cubic, 2);
    const std::vector<ProjectedUv> side = projectPolygon(cubic, {{3, 0, 0}, {3, 1, 0}, {3, 1, 1}, {3, 0, 1}});
    expectUv(side[1], 0.5f, 1.5f);
    expectUv(side[3], 1.5f, 0.5f);
    const std::vector<ProjectedUv> top = projectPolygon(cubic, {{0, 2, 0}, {1, 2, 0}, {1, 2, 1}, {0, 2, 1}});
    expectUv(top[1], 1.5f, 0.5f);
    expectUv(top[3], 0.5f, 1.5f);
    // A zero size gives no infinities to draw with.
    const std::vector<ProjectedUv> flat = projectPolygon(projection(ProjectionKind::Planar, 2, {0, 0, 0}), {{1, 1, 0}});
    expectUv(flat[0], 0.0f, 0.0f);
}

namespace {

struct BlockSettings {
    uint16_t projection = 0;
    uint16_t axis = 0;
    Vec3 centre;
    Vec3 size{1, 1, 1};
    float wrapWidth = 1;
    float wrapHeight = 1;
    const char* channel = "COLR";
    uint16_t enabled = 1;
};

BlockSettings blockSettings(uint16_t projection, uint16_t axis, Vec3 centre = {}, Vec3 size = {1, 1, 1}, float wrapWidth = 1) {
    BlockSettings b;
    b.projection = projection;
    b.axis = axis;
    b.centre = centre;
    b.size = size;
    b.wrapWidth = wrapWidth;
    return b;
}

Bytes vectorSub(const char* id, const Vec3& v) { return subChunk(id, Bytes().vec(v).vx(0)); }

// An image block as LightWave writes one: the IMAP header, TMAP, PROJ, AXIS, IMAG, WRAP, the
// wrap counts and the UV map name.
Bytes imageBlock(const BlockSettings& settings) {
    Bytes header;
    header.s0("\x80").raw(subChunk("CHAN", Bytes().id(settings.channel))).raw(subChunk("ENAB", Bytes().u2(settings.enabled)));
    Bytes mapping = vectorSub("CNTR", settings.centre);
    mapping.raw(vectorSub("SIZE", settings.size)).raw(vectorSub("ROTA", Vec3{}));
    mapping.raw(subChunk("OREF", Bytes().s0("(none)"))).raw(subChunk("CSYS", Bytes().u2(0)));
    Bytes block = subChunk("IMAP", header);
    block.raw(subChunk("TMAP", mapping)).raw(subChunk("PROJ", Bytes().u2(settings.projection)));
    block.raw(subChunk("AXIS", Bytes().u2(settings.axis))).raw(subChunk("IMAG", Bytes().vx(1)));
    block.raw(subChunk("WRAP", Bytes().u2(1).u2(1)));
    block.raw(subChunk("WRPW", Bytes().f4(settings.wrapWidth).vx(0)));
    block.raw(subChunk("WRPH", Bytes().f4(settings.wrapHeight).vx(0)));
    block.raw(subChunk("VMAP", Bytes().s0("uv")));
    return subChunk("BLOK", block);
}

// One quad, (-1, -1, -2) (1, -1, -2) (1, 1, -2) (-1, 1, -2), facing the front view, on a surface
// with the given sub-chunks, and a clip naming the picture.
LwoWriter quadObject(const Bytes& surface, bool withUvMap = false) {
    LwoWriter w;
    w.tags({"Skin"}).layer(0, "Layer").points({{-1, -1, -2}, {1, -1, -2}, {1, 1, -2}, {-1, 1, -2}});
    if (withUvMap) {
        w.vertexMap("VMAP", "TXUV", "uv", 2, {{0, 0, {0.1f, 0.2f}}, {1, 0, {0.3f, 0.2f}}, {2, 0, {0.3f, 0.4f}},
                                               {3, 0, {0.1f, 0.4f}}});
    }
    w.polygons("FACE", {{0, 1, 2, 3}}).polygonTags("SURF", {{0, 0}});
    w.clip(1, "STIL", "picture.jpg").surface("Skin", lwotest::colr(1, 1, 1).raw(surface));
    return w;
}

std::unique_ptr<LwoMesh> loaded(const LwoWriter& w) {
    auto mesh = std::make_unique<LwoMesh>();
    const std::vector<uint8_t> file = w.file();
    EXPECT_FALSE(mesh->loadFromMemory(file.data(), file.size(), "quad.lwo")) << mesh->lastError();
    return mesh;
}

// The mesh keeps v as texture rows count it (1 - v), as it does a UV map's.
void expectCorners(const MeshPolygon& p, const std::vector<std::pair<float, float>>& uvs) {
    ASSERT_EQ(p.uvs.size(), uvs.size());
    for (size_t j = 0; j < uvs.size(); ++j) {
        SCOPED_TRACE(j);
        EXPECT_NEAR(p.uvs[j].u, uvs[j].first, kNear);
        EXPECT_NEAR(p.uvs[j].v, 1.0f - uvs[j].second, kNear);
    }
}

}  // namespace

TEST(ProjectionMapping, EachProjectionOfAHandBuiltObjectGivesItsCornerUvs) {
    struct Case {
        const char* name;
        BlockSettings block;
        std::vector<std::pair<float, float>> uvs;  // (u, v) per corner, v up as a map stores it
    };
    const std::vector<Case> cases = {
        // Planar along Z, centre (0, 0, -2), size 4: u = x/4 + 0.5, v = y/4 + 0.5
        {"planar", blockSettings(0, 2, {0, 0, -2}, {4, 4, 4}), {{0.25f, 0.25f}, {0.75f, 0.25f}, {0.75f, 0.75f}, {0.25f, 0.75f}}},
        // Cylindrical around Y, size 2 along it: heading of (x, z) = (-1, -2) is atan2(-1, -2) =
        // -(pi - atan(0.5)) = -2.677945, u = 1 + 0.426208 = 1.426208, taken to 0.426208; (1, -2):
        // 2.677945, u = 1 - 0.426208 = 0.573792; v = y/2 + 0.5 = 0 or 1
        {"cylindrical", blockSettings(1, 1, {}, {2, 2, 2}),
         {{0.426208f, 0.0f}, {0.573792f, 0.0f}, {0.573792f, 1.0f}, {0.426208f, 1.0f}}},
        // Spherical around Y, twice round: u doubles those above (0.852416, 1.147584); latitude of
        // (-1, -1, -2): atan(-1/sqrt 5) = -0.420534, row 0.5 + 0.133861 = 0.633861, v = 0.366139
        {"spherical", blockSettings(2, 1, {}, {1, 1, 1}, 2),
         {{0.852416f, 0.366139f}, {1.147584f, 0.366139f}, {1.147584f, 0.633861f}, {0.852416f, 0.633861f}}},
        // Cubic: the quad faces Z, so planar along Z with size 2: u = x/2 + 0.5, v = y/2 + 0.5
        {"cubic", blockSettings(3, 0, {}, {2, 2, 2}), {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto mesh = loaded(quadObject(imageBlock(c.block)));
        const LwoSurface& surface = mesh->reader.surfaces.at(0);
        ASSERT_EQ(surface.imageBlocks.size(), 1u);
        EXPECT_EQ(surface.imageBlocks[0].problem, "");
        EXPECT_EQ(surface.imageBlocks[0].projection, c.block.projection);
        EXPECT_EQ(surface.imageBlocks[0].image, 1);
        EXPECT_EQ(surface.imageBlocks[0].uvMap, "uv");
        ASSERT_EQ(mesh->polygons.size(), 1u);
        EXPECT_TRUE(mesh->polygons[0].textured);
        expectCorners(mesh->polygons[0], c.uvs);
    }
}

TEST(ProjectionMapping, UvMapsFrontProjectionAndOtherChannelsAreLeftAsTheyWere) {
    // A UV map that reaches the corners wins over the projection, as before.
    auto mapped = loaded(quadObject(imageBlock(blockSettings(0, 2, {}, {4, 4, 4})), true));
    expectCorners(mapped->polygons.at(0), {{0.1f, 0.2f}, {0.3f, 0.2f}, {0.3f, 0.4f}, {0.1f, 0.4f}});
    // Front projection needs a camera; a bump map's projection and a disabled block give no picture.
    BlockSettings bump = blockSettings(0, 2);
    bump.channel = "BUMP";
    BlockSettings disabled = blockSettings(0, 2);
    disabled.enabled = 0;
    for (const BlockSettings& block : {blockSettings(4, 2), bump, disabled}) {
        auto mesh = loaded(quadObject(imageBlock(block)));
        EXPECT_TRUE(mesh->polygons.at(0).uvs.empty()) << block.projection << block.channel;
    }
}

TEST(ProjectionMapping, ADamagedBlockIsLocatedAndTheObjectStillLoads) {
    // PROJ with no value: the surface reads as it always has; the block says where it broke.
    Bytes block = subChunk("IMAP", Bytes().s0("\x80").raw(subChunk("CHAN", Bytes().id("COLR"))));
    block.raw(subChunk("PROJ", Bytes()));
    auto mesh = loaded(quadObject(subChunk("BLOK", block)));
    const LwoSurface& surface = mesh->reader.surfaces.at(0);
    EXPECT_TRUE(surface.hasBlock);
    ASSERT_EQ(surface.imageBlocks.size(), 1u);
    EXPECT_NE(surface.imageBlocks[0].problem.find("SURF BLOK PROJ at 0x"), std::string::npos)
        << surface.imageBlocks[0].problem;
    EXPECT_TRUE(mesh->polygons.at(0).uvs.empty());
    // A sub-chunk longer than its block.
    Bytes overlong = subChunk("IMAP", Bytes().s0("\x80"));
    // AXIS claims the DIFF after the block as its body: the surface reads on, the block cannot.
    overlong.id("AXIS").u2(12);
    auto broken = loaded(quadObject(subChunk("BLOK", overlong).raw(lwotest::floatSub("DIFF", 1.0f))));
    EXPECT_NE(broken->reader.surfaces.at(0).imageBlocks.at(0).problem.find("runs past the block end"),
              std::string::npos);
}

TEST(ProjectionMapping, LwobColourTexturesProjectTheSameWay) {
    // The quad above in an LWOB file: its colour texture gives the same corners as the blocks.
    struct Case {
        const char* type;
        uint16_t axisFlag;
        Vec3 centre, size;
        float wrapWidth;
        std::vector<std::pair<float, float>> uvs;
    };
    const std::vector<Case> cases = {
        // Planar along Z (flag 4), as the planar block: u = x/4 + 0.5, v = y/4 + 0.5
        {"Planar Image Map", 4, {0, 0, -2}, {4, 4, 4}, 1,
         {{0.25f, 0.25f}, {0.75f, 0.25f}, {0.75f, 0.75f}, {0.25f, 0.75f}}},
        // Cylindrical around Y (flag 2) twice round (TFP0 2): 2 * 0.426208 and 2 * 0.573792;
        // v = y/2 + 0.5
        {"Cylindrical Image Map", 2, {}, {2, 2, 2}, 2,
         {{0.852416f, 0.0f}, {1.147584f, 0.0f}, {1.147584f, 1.0f}, {0.852416f, 1.0f}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Bytes surface = Bytes().s0("Skin");
        surface.raw(subChunk("CTEX", Bytes().s0(c.type))).raw(subChunk("TIMG", Bytes().s0("earth.jpg")));
        surface.raw(subChunk("TFLG", Bytes().u2(c.axisFlag))).raw(subChunk("TSIZ", Bytes().vec(c.size)));
        surface.raw(subChunk("TCTR", Bytes().vec(c.centre))).raw(subChunk("TFP0", Bytes().f4(c.wrapWidth)));
        LwoWriter w;
        w.chunk("SRFS", Bytes().s0("Skin")).points({{-1, -1, -2}, {1, -1, -2}, {1, 1, -2}, {-1, 1, -2}});
        w.chunk("POLS", Bytes().u2(4).u2(0).u2(1).u2(2).u2(3).u2(1)).chunk("SURF", surface);
        auto mesh = std::make_unique<LwoMesh>();
        const std::vector<uint8_t> file = w.file("LWOB");
        ASSERT_FALSE(mesh->loadFromMemory(file.data(), file.size(), "quad.lwo")) << mesh->lastError();
        ASSERT_EQ(mesh->polygons.size(), 1u);
        expectCorners(mesh->polygons[0], c.uvs);
    }
}

namespace {

const std::string kData = std::string(DEMO_TESTDATA_DIR) + "/lwo/";

// The uv of the first corner found at file position `at` (the mesh negates positions).
const MeshUv* uvAt(const LwoMesh& mesh, const Vec3& at) {
    for (const MeshPolygon& p : mesh.polygons) {
        for (size_t j = 0; j < p.positions.size() && j < p.uvs.size(); ++j) {
            const Vec3& q = p.positions[j];
            if (std::fabs(q.x + at.x) < 1e-4f && std::fabs(q.y + at.y) < 1e-4f && std::fabs(q.z + at.z) < 1e-4f) {
                return &p.uvs[j];
            }
        }
    }
    return nullptr;
}

float fraction(float value) { return value - std::floor(value); }

}  // namespace

TEST(ProjectionUv, CylindricalSeamStaysAtTheBackWhereThisUvMapPutsItOnTheLeft) {
    // earth_uv_cylindrical_y.lwo holds a cylindrical mapping around Y baked into a UV map, and
    // keeps the block's centre (-0.55, 0.2, 0) and size (5.7, 5.3, 5.7). Its v is ours to the
    // last digit, but its u starts a quarter turn earlier: its seam lies on the -X side, where
    // the published mapping (u = 1 - heading / 2 pi, heading 0 towards +Z) and the manual ("the
    // side edges of the image meet on the back") put it at +Z. The projection keeps the
    // published one; this holds the difference, so a change to either side shows.
    LwoMesh mesh;
    ASSERT_FALSE(mesh.load((kData + "earth_uv_cylindrical_y.lwo").c_str())) << mesh.lastError();
    const LwoImageBlock& block = mesh.reader.surfaces.at(0).imageBlocks.at(0);
    TextureProjection cylinder = projection(ProjectionKind::Cylindrical, 1, block.size);
    cylinder.centre = block.centre;
    struct Corner {
        int point;
        float fileU, fileV, u;
    };
    // Offsets from the centre: 91 (0, -1.325, -2.468) faces the front, ours 0.5; 169 (2.468,
    // 1.325, 0) is a quarter turn right of it, 0.75, v = 1.325 / 5.3 + 0.5; 143 (2.468, 0,
    // -1.425) has heading atan2(2.468, -1.425) = 120 degrees, u = 1 - 1/3; 78 (0.639, -1.325,
    // 2.384) has 15 degrees, u = 1 - 1/24.
    for (const Corner& c : {Corner{91, 0.25f, 0.25f, 0.5f}, Corner{169, 0.5f, 0.75f, 0.75f},
                            Corner{143, 0.416667f, 0.5f, 0.666667f}, Corner{78, 0.708333f, 0.25f, 0.958333f}}) {
        SCOPED_TRACE(c.point);
        const LwoVertexMap& map = mesh.reader.vertexMaps.at(0);
        const auto entry = std::find_if(map.entries.begin(), map.entries.end(),
                                        [&](const LwoVertexMapEntry& e) { return e.vertex == c.point; });
        ASSERT_NE(entry, map.entries.end());
        const Span<float> values = map.valuesOf(size_t(entry - map.entries.begin()));
        EXPECT_NEAR(values[0], c.fileU, 1e-5f);
        EXPECT_NEAR(values[1], c.fileV, 1e-5f);
        const ProjectedUv ours = projectPoint(cylinder, mesh.reader.pointSets.at(0).points.at(c.point), 1);
        EXPECT_NEAR(ours.u, c.u, 1e-5f);
        EXPECT_NEAR(ours.v, c.fileV, 1e-5f);
        EXPECT_NEAR(fraction(c.fileU + 0.25f), ours.u, 1e-5f);
    }
}

TEST(ProjectionMapping, RealEarthObjectsGetAUvAtEveryCorner) {
    for (const char* file : {"earth_planar_y.lwo", "earth_spherical_x.lwo"}) {
        SCOPED_TRACE(file);
        LwoMesh mesh;
        ASSERT_FALSE(mesh.load((kData + file).c_str())) << mesh.lastError();
        ASSERT_EQ(mesh.reader.clips.size(), 1u);
        ASSERT_EQ(mesh.reader.surfaces.at(0).imageBlocks.size(), 1u);
        EXPECT_EQ(mesh.reader.surfaces[0].imageBlocks[0].problem, "");
        EXPECT_EQ(mesh.reader.surfaces[0].imageBlocks[0].image, 1);
        ASSERT_EQ(mesh.polygons.size(), 288u);
        for (const MeshPolygon& p : mesh.polygons) {
            EXPECT_TRUE(p.textured);
            ASSERT_EQ(p.uvs.size(), static_cast<size_t>(p.cornerCount));
        }
    }
    // Planar along Y, centre (-0.55, 0.2, 0), size (5.7, 5.3, 5.7): u = (x + 0.55)/5.7 + 0.5,
    // v = z/5.7 + 0.5, kept as 1 - v.
    LwoMesh planar;
    ASSERT_FALSE(planar.load((kData + "earth_planar_y.lwo").c_str()));
    const LwoImageBlock& block = planar.reader.surfaces[0].imageBlocks[0];
    EXPECT_EQ(block.projection, 0);
    EXPECT_EQ(block.axis, 1);
    EXPECT_NEAR(block.centre.x, -0.55f, kNear);
    EXPECT_NEAR(block.size.y, 5.3f, kNear);
    EXPECT_FLOAT_EQ(block.wrapCountWidth, 2.0f);
    struct Corner {
        Vec3 at;
        float u, v;
    };
    // (-0.55, -2.45, 0), the bottom: u = 0.5, v = 0.5; (-3.4, 0.2, 0): u = -2.85/5.7 + 0.5 = 0;
    // (-0.55, 0.2, 2.85): v = 2.85/5.7 + 0.5 = 1, kept as 0.
    for (const Corner& c : {Corner{{-0.55f, -2.45f, 0}, 0.5f, 0.5f}, Corner{{-3.4f, 0.2f, 0}, 0.0f, 0.5f},
                            Corner{{-0.55f, 0.2f, 2.85f}, 0.5f, 0.0f}}) {
        const MeshUv* uv = uvAt(planar, c.at);
        ASSERT_NE(uv, nullptr);
        EXPECT_NEAR(uv->u, c.u, 1e-4f);
        EXPECT_NEAR(uv->v, c.v, 1e-4f);
    }
    // Spherical around X, centre 0: for (2.3, 0.2, 0) the latitude is atan(2.3/0.2) = 1.484050,
    // row 0.5 - 1.484050/pi = 0.027612; for (-3.4, 0.2, 0) it is -(pi/2 - atan(0.2/3.4)) =
    // -1.512040, row 0.981302; both face the front (+Y side, u 0.5). (-0.55, 0.2, -2.85): heading
    // of (side z, depth -y) = atan2(2.85, -0.2) = pi - 1.500737 = 1.640856, u = 1 - 0.261150 =
    // 0.738850; latitude atan(-0.55/2.857009) = -0.190190, row 0.560539.
    LwoMesh spherical;
    ASSERT_FALSE(spherical.load((kData + "earth_spherical_x.lwo").c_str()));
    for (const Corner& c : {Corner{{2.3f, 0.2f, 0}, 0.5f, 0.027612f}, Corner{{-3.4f, 0.2f, 0}, 0.5f, 0.981302f},
                            Corner{{-0.55f, 0.2f, -2.85f}, 0.738850f, 0.560539f}}) {
        const MeshUv* uv = uvAt(spherical, c.at);
        ASSERT_NE(uv, nullptr);
        EXPECT_NEAR(fraction(uv->u), c.u, 1e-4f);  // a polygon may carry it a whole turn along
        EXPECT_NEAR(uv->v, c.v, 1e-4f);
    }
}

namespace {

// Looks at the object from the front, tipped towards the viewer by `pitch` degrees (90: from
// straight above), the globe filling most of the view's height.
void frameObject(const LwoMesh& mesh, float pitch) {
    lwotest::MeshView view;
    view.radius = lwotest::MeshView::Radius::HalfHeight;
    view.fieldOfView = 45.0;
    view.distance = 3.0f;
    // The mesh's coordinates are the file's negated, so the file's top (+Y) comes forward by
    // turning the mesh's -Y towards the viewer.
    view.pitch = -pitch;
    lwotest::frameMesh(mesh.polygons, view);
}

struct Tally {
    int blue = 0, green = 0, bright = 0;
};

// The picture's own colours on screen: ocean blue, land green or brown, cloud and ice white.
Tally tallyColours() {
    Tally t;
    for (int y = 0; y < 600; y += 8) {
        for (int x = 0; x < 800; x += 8) {
            const testsupport::Rgb p = testsupport::readPixel(x, y);
            if (p.b > p.r + 20 && p.b > p.g) ++t.blue;
            if (p.g > p.b + 10 && p.g >= p.r - 10 && p.r + p.g + p.b > 60) ++t.green;
            if (p.r > 200 && p.g > 200 && p.b > 200) ++t.bright;
        }
    }
    return t;
}

}  // namespace

TEST(ProjectionMapping, ProjectionMappedEarthsShowTheirPicture) {
    REQUIRE_GL();
    // The spherical map seen from the front and a little above; the planar one from above, the
    // way its picture is projected.
    for (const auto& [name, pitch] :
         {std::make_pair("earth_spherical_x", 20.0f), std::make_pair("earth_planar_y", 90.0f)}) {
        SCOPED_TRACE(name);
        testsupport::resetGlState();
        LwoObject earth;
        ASSERT_FALSE(earth.load((kData + name + ".lwo").c_str())) << earth.lastError();
        // The object names the picture by a path on its author's machine; it lies beside the object.
        ASSERT_FALSE(earth.loadTexture((kData + "earthSpherical.jpg").c_str()));
        frameObject(earth, pitch);
        earth.drawMesh();
        testsupport::saveForLooking(std::string(name) + ".png");
        const Tally t = tallyColours();
        // The untextured surface is plain grey (0.78): blue ocean and green land come only from
        // the picture, drawn over most of the globe's disc.
        EXPECT_GT(t.blue, 500);
        EXPECT_GT(t.green, 50);
        glDeleteTextures(1, &earth.texture);
    }
}

namespace {

// An LWOB globe of radius 1 around Y, 24 slices by 12 stacks, its colour texture a spherical map
// around Y of the picture `image`. Longitude 0 faces the front (-Z) and grows towards +X, so each
// quad runs top-left, top-right, bottom-right, bottom-left seen from outside: clockwise, as
// LightWave's fronts are.
std::vector<uint8_t> lwobGlobe(const std::string& image) {
    constexpr int kSlices = 24, kStacks = 12;
    std::vector<Vec3> points;
    for (int i = 0; i <= kStacks; ++i) {
        const float lat = kPi / 2 - kPi * i / kStacks;
        for (int j = 0; j < kSlices; ++j) {
            const float lon = 2 * kPi * j / kSlices;
            points.push_back({std::cos(lat) * std::sin(lon), std::sin(lat), -std::cos(lat) * std::cos(lon)});
        }
    }
    Bytes polygons;
    for (int i = 0; i < kStacks; ++i) {
        for (int j = 0; j < kSlices; ++j) {
            const int next = (j + 1) % kSlices;
            polygons.u2(4).u2(i * kSlices + j).u2(i * kSlices + next);
            polygons.u2((i + 1) * kSlices + next).u2((i + 1) * kSlices + j).u2(1);
        }
    }
    Bytes surface = Bytes().s0("Globe").raw(subChunk("COLR", Bytes().u1(200).u1(200).u1(200).u1(0)));
    surface.raw(subChunk("CTEX", Bytes().s0("Spherical Image Map"))).raw(subChunk("TIMG", Bytes().s0(image)));
    surface.raw(subChunk("TFLG", Bytes().u2(2))).raw(subChunk("TSIZ", Bytes().vec({2, 2, 2})));
    LwoWriter w;
    w.chunk("SRFS", Bytes().s0("Globe")).points(points).chunk("POLS", polygons).chunk("SURF", surface);
    return w.file("LWOB");
}

}  // namespace

TEST(ProjectionMapping, LwobAndLwo3ObjectsThatNameAPictureDrawIt) {
    REQUIRE_GL();
    // LWOB: the colour texture names the picture itself, and projects it.
    LwoObject globe;
    const std::vector<uint8_t> file = lwobGlobe("earthSpherical.jpg");
    ASSERT_FALSE(globe.loadFromMemory(file.data(), file.size(), "globe.lwo")) << globe.lastError();
    ASSERT_EQ(globe.pictureFile(), "earthSpherical.jpg");
    ASSERT_FALSE(globe.loadTexture((kData + globe.pictureFile()).c_str()));
    frameObject(globe, 20.0f);
    globe.drawMesh();
    testsupport::saveForLooking("lwob_globe.png");
    Tally t = tallyColours();
    // Untextured, the globe is its surface's grey: the picture's ocean and land show it drawn.
    EXPECT_GT(t.blue, 500);
    EXPECT_GT(t.green, 50);
    glDeleteTextures(1, &globe.texture);

    // LWO3: the material's image node names Images/general/UV_Grid.jpg, laid on by the UV map.
    // That picture is not among the test data, so the earth stands in for it.
    testsupport::resetGlState();
    LwoObject cube;
    ASSERT_FALSE(cube.load((kData + "lwo3_Cube06-UVTextureMapStandard.lwo").c_str())) << cube.lastError();
    ASSERT_EQ(cube.pictureFile(), "Images/general/UV_Grid.jpg");
    ASSERT_FALSE(cube.loadTexture((kData + "earthSpherical.jpg").c_str()));
    lwotest::MeshView corner;
    corner.pitch = 25.0f;
    corner.yaw = 35.0f;
    lwotest::frameMesh(cube.polygons, corner);
    cube.drawMesh();
    testsupport::saveForLooking("lwo3_cube.png");
    t = tallyColours();
    EXPECT_GT(t.blue, 500);  // its surface is mid grey, never blue
    glDeleteTextures(1, &cube.texture);
}
