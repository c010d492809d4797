// The two embedded objects (assets/data/tube.lwo, assets/data/knot.lwo) and the tool that makes
// them. The files are read here by a small reader of their own, written from the LWO2 layout
// and independent of the engine's, so that a fault in either shows up as a disagreement.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "lwo/lwo_object.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Point {
    double x, y, z;
};

struct SubChunk {
    std::string id;
    std::vector<float> values;  // the F4 values before any envelope index
};

// What the file holds, as plainly as the format states it.
struct ObjectFile {
    std::uint32_t formLength = 0;
    std::string formType;
    std::vector<std::string> chunkIds;
    std::vector<std::string> tags;
    std::string layerName;
    std::uint16_t layerNumber = 0xFFFF;
    std::vector<Point> points;
    std::string polygonType;
    std::vector<std::array<std::uint32_t, 3>> triangles;
    std::vector<int> cornerCounts;
    std::string tagType;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> polygonTags;
    std::string surfaceName, sourceName;
    std::vector<SubChunk> surface;
};

class Cursor {
public:
    Cursor(const Bytes& b, std::size_t begin, std::size_t end) : b_(b), pos_(begin), end_(end) {}
    bool more() const { return pos_ < end_; }
    std::size_t pos() const { return pos_; }
    void need(std::size_t n) const {
        if (n > end_ - pos_) throw std::runtime_error("read past the end at " + std::to_string(pos_));
    }
    std::uint32_t u(int bytes) {
        need(static_cast<std::size_t>(bytes));
        std::uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v = (v << 8) | b_[pos_++];
        return v;
    }
    float f4() {
        std::uint32_t bits = u(4);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    std::string id4() {
        need(4);
        std::string s(b_.begin() + static_cast<long>(pos_), b_.begin() + static_cast<long>(pos_) + 4);
        pos_ += 4;
        return s;
    }
    std::string s0() {
        std::string s;
        for (std::uint8_t c = static_cast<std::uint8_t>(u(1)); c != 0; c = static_cast<std::uint8_t>(u(1)))
            s.push_back(static_cast<char>(c));
        if ((s.size() + 1) % 2 != 0) {
            if (u(1) != 0) throw std::runtime_error("non-zero string pad at " + std::to_string(pos_ - 1));
        }
        return s;
    }
    // These objects have fewer than 0xFF00 points, so every index must be the two-byte form.
    std::uint32_t vx2() {
        need(1);
        if (b_[pos_] == 0xFF) throw std::runtime_error("four-byte index at " + std::to_string(pos_));
        return u(2);
    }
    void skipTo(std::size_t p) { pos_ = p; }

private:
    const Bytes& b_;
    std::size_t pos_, end_;
};

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string assetPath(const char* name) { return std::string(DEMO_SOURCE_DIR) + "/assets/data/" + name; }

void readSurface(Cursor& c, ObjectFile& o) {
    o.surfaceName = c.s0();
    o.sourceName = c.s0();
    while (c.more()) {
        SubChunk sub{c.id4(), {}};
        std::uint32_t length = c.u(2);
        c.need(length);
        std::size_t end = c.pos() + length;
        Cursor body = c;
        std::size_t floats = sub.id == "COLR" ? 3 : 1;
        for (std::size_t i = 0; i < floats; ++i) sub.values.push_back(body.f4());
        // Everything but SMAN ends with a two-byte envelope index, zero (no envelope) here.
        if (sub.id != "SMAN" && body.vx2() != 0) throw std::runtime_error(sub.id + " has an envelope");
        if (body.pos() != end) throw std::runtime_error(sub.id + " length does not match its fields");
        o.surface.push_back(sub);
        c.skipTo(end);
    }
}

void readPolygons(Cursor& c, ObjectFile& o) {
    o.polygonType = c.id4();
    while (c.more()) {
        int corners = static_cast<int>(c.u(2));  // flag bits included: they must be zero
        o.cornerCounts.push_back(corners);
        if (corners != 3) throw std::runtime_error("polygon with count word " + std::to_string(corners));
        std::array<std::uint32_t, 3> t{};
        for (auto& i : t) i = c.vx2();
        o.triangles.push_back(t);
    }
}

void readChunk(const std::string& id, Cursor& c, ObjectFile& o) {
    if (id == "TAGS") {
        while (c.more()) o.tags.push_back(c.s0());
    } else if (id == "LAYR") {
        o.layerNumber = static_cast<std::uint16_t>(c.u(2));
        c.u(2);
        for (int i = 0; i < 3; ++i) c.f4();
        o.layerName = c.s0();
    } else if (id == "PNTS") {
        while (c.more()) {
            double x = c.f4(), y = c.f4(), z = c.f4();
            o.points.push_back({x, y, z});
        }
    } else if (id == "POLS") {
        readPolygons(c, o);
    } else if (id == "PTAG") {
        o.tagType = c.id4();
        while (c.more()) {
            std::uint32_t polygon = c.vx2();
            o.polygonTags.push_back({polygon, static_cast<std::uint16_t>(c.u(2))});
        }
    } else if (id == "SURF") {
        readSurface(c, o);
    }
    if (c.more()) throw std::runtime_error(id + " has bytes its fields do not use");
}

ObjectFile parse(const Bytes& b) {
    ObjectFile o;
    Cursor header(b, 0, b.size());
    if (header.id4() != "FORM") throw std::runtime_error("no FORM");
    o.formLength = header.u(4);
    o.formType = header.id4();
    if (std::size_t{o.formLength} + 8 != b.size()) throw std::runtime_error("FORM length + 8 != file size");
    std::size_t pos = 12;
    while (pos < b.size()) {
        Cursor head(b, pos, b.size());
        std::string id = head.id4();
        std::uint32_t length = head.u(4);
        head.need(length);
        o.chunkIds.push_back(id);
        Cursor body(b, pos + 8, pos + 8 + length);
        readChunk(id, body, o);
        pos += 8 + length + (length % 2);
    }
    if (pos != b.size()) throw std::runtime_error("chunks overrun the FORM");
    return o;
}

struct Expected {
    const char* file;
    std::size_t size;
    const char* layer;
    const char* surface;
    std::size_t points, triangles;
    std::array<float, 3> colour;
    std::vector<std::string> subChunks;
};

// Keeps test listings short: a parameter prints as its file name.
void PrintTo(const Expected& expected, std::ostream* out) { *out << expected.file; }

const Expected kTube{"tube.lwo", 34760, "Tube01", "surface", 960, 1920, {1.0f, 1.0f, 1.0f},
                     {"COLR", "DIFF", "SPEC", "LUMI", "SMAN", "GLOS", "REFL"}};
const Expected kKnot{"knot.lwo", 59552, "Torus Knot", "1 - Default", 1656, 3288, {0.0f, 162.0f / 255.0f, 1.0f},
                     {"COLR", "DIFF", "SPEC", "LUMI", "SMAN", "GLOS", "TRAN", "REFL"}};

class EmbeddedObject : public ::testing::TestWithParam<Expected> {
protected:
    void SetUp() override {
        bytes = readBytes(assetPath(GetParam().file));
        ASSERT_FALSE(bytes.empty()) << assetPath(GetParam().file);
        try {
            object = parse(bytes);
        } catch (const std::exception& e) {
            FAIL() << GetParam().file << ": " << e.what();
        }
    }
    Bytes bytes;
    ObjectFile object;
};

TEST_P(EmbeddedObject, HasTheExactSizeAndFormHeader) {
    EXPECT_EQ(bytes.size(), GetParam().size);
    EXPECT_EQ(object.formLength + 8u, GetParam().size);
    EXPECT_EQ(object.formType, "LWO2");
}

TEST_P(EmbeddedObject, HoldsOnlyTheSixChunksInOrder) {
    std::vector<std::string> expected{"TAGS", "LAYR", "PNTS", "POLS", "PTAG", "SURF"};
    EXPECT_EQ(object.chunkIds, expected);
}

TEST_P(EmbeddedObject, HasOneLayerAndOneSurfaceTag) {
    EXPECT_EQ(object.layerName, GetParam().layer);
    EXPECT_EQ(object.layerNumber, 0);
    EXPECT_EQ(object.tags, std::vector<std::string>{GetParam().surface});
}

TEST_P(EmbeddedObject, IsATriangleMeshWithIndicesInRange) {
    EXPECT_EQ(object.points.size(), GetParam().points);
    EXPECT_EQ(object.polygonType, "FACE");
    EXPECT_EQ(object.triangles.size(), GetParam().triangles);
    std::vector<bool> used(object.points.size(), false);
    for (const auto& t : object.triangles) {
        for (std::uint32_t i : t) {
            ASSERT_LT(i, object.points.size());
            used[i] = true;
        }
        EXPECT_TRUE(t[0] != t[1] && t[1] != t[2] && t[0] != t[2]);
    }
    for (std::size_t i = 0; i < used.size(); ++i) EXPECT_TRUE(used[i]) << "point " << i << " is never used";
}

TEST_P(EmbeddedObject, TagsEveryPolygonWithTheSurfaceInOrder) {
    EXPECT_EQ(object.tagType, "SURF");
    ASSERT_EQ(object.polygonTags.size(), object.triangles.size());
    for (std::size_t i = 0; i < object.polygonTags.size(); ++i) {
        EXPECT_EQ(object.polygonTags[i].first, i);
        EXPECT_EQ(object.polygonTags[i].second, 0);
    }
}

TEST_P(EmbeddedObject, SurfaceHasItsNameColourAndSubChunks) {
    EXPECT_EQ(object.surfaceName, GetParam().surface);
    EXPECT_EQ(object.sourceName, "");
    std::vector<std::string> ids;
    for (const auto& s : object.surface) ids.push_back(s.id);
    EXPECT_EQ(ids, GetParam().subChunks);
    ASSERT_FALSE(object.surface.empty());
    ASSERT_EQ(object.surface[0].values.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(object.surface[0].values[i], GetParam().colour[i]);
    for (const auto& s : object.surface) {
        if (s.id == "TRAN") {
            EXPECT_FLOAT_EQ(s.values[0], 0.2f);
        }
    }
}

// The engine's reader and mesh model must see the same: one layer, triangles with negated
// positions, the surface colour on every polygon, transparency only on the knot.
TEST_P(EmbeddedObject, LoadsIntoTheEngineMeshAsTheShowUsesIt) {
    LwoObject mesh;
    std::ostringstream said;
    mesh.diagnostics = &said;
    ASSERT_FALSE(mesh.load(assetPath(GetParam().file).c_str())) << mesh.lastError();
    EXPECT_EQ(said.str(), "");
    ASSERT_EQ(mesh.reader.layers.size(), 1u);
    EXPECT_EQ(mesh.reader.layers[0].name, GetParam().layer);
    ASSERT_EQ(mesh.reader.polygonSets.size(), 1u);
    EXPECT_EQ(mesh.reader.polygonSets[0].layerCount, 1);
    ASSERT_EQ(mesh.reader.surfaces.size(), 1u);
    EXPECT_EQ(mesh.reader.surfaces[0].name, GetParam().surface);
    const auto& ids = GetParam().subChunks;
    bool transparent = std::find(ids.begin(), ids.end(), "TRAN") != ids.end();
    EXPECT_EQ(mesh.reader.surfaces[0].hasTransparency, transparent);
    ASSERT_EQ(mesh.polygons.size(), GetParam().triangles);
    for (std::size_t i = 0; i < mesh.polygons.size(); ++i) {
        const MeshPolygon& polygon = mesh.polygons[i];
        ASSERT_EQ(polygon.cornerCount, 3);
        EXPECT_EQ(polygon.layer, 1);
        EXPECT_TRUE(polygon.uvs.empty());
        EXPECT_FALSE(polygon.textured);
        for (int c = 0; c < 3; ++c) EXPECT_FLOAT_EQ(polygon.colour[c], GetParam().colour[c]);
        for (int k = 0; k < 3; ++k) {
            const Point& p = object.points[object.triangles[i][k]];
            EXPECT_EQ(polygon.positions[k].x, static_cast<float>(-p.x));
            EXPECT_EQ(polygon.positions[k].y, static_cast<float>(-p.y));
            EXPECT_EQ(polygon.positions[k].z, static_cast<float>(-p.z));
        }
    }
    mesh.prepareVertexArray();
    EXPECT_EQ(mesh.vertexArrayVertexCount(), static_cast<int32_t>(3 * GetParam().triangles));
}

INSTANTIATE_TEST_SUITE_P(Assets, EmbeddedObject, ::testing::Values(kTube, kKnot),
                         [](const auto& info) { return std::string(info.param.file).substr(0, 4); });

// --- Shape: closed, wound outward, placed where the show looks -------------------------

Point sub(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point cross(Point a, Point b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dot(Point a, Point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

ObjectFile load(const char* name) { return parse(readBytes(assetPath(name))); }

// Every edge, keyed by its end positions (the knot's seam ring repeats the first ring's
// positions under other indices), must be used once in each direction: a closed surface.
void expectClosed(const ObjectFile& o) {
    auto key = [&o](std::uint32_t i) {
        const Point& p = o.points[i];
        return std::array<double, 3>{p.x, p.y, p.z};
    };
    std::map<std::pair<std::array<double, 3>, std::array<double, 3>>, int> edges;
    for (const auto& t : o.triangles)
        for (int k = 0; k < 3; ++k) ++edges[{key(t[k]), key(t[(k + 1) % 3])}];
    for (const auto& [edge, count] : edges) {
        ASSERT_EQ(count, 1) << "edge used twice in the same direction";
        auto reverse = edges.find({edge.second, edge.first});
        ASSERT_TRUE(reverse != edges.end()) << "open edge";
    }
}

// With normals (b - a) x (c - a), the divergence theorem gives the enclosed volume: positive
// when every face points outward, i.e. clockwise seen from outside in LightWave's frame.
double signedVolume(const ObjectFile& o) {
    double v = 0;
    for (const auto& t : o.triangles)
        v += dot(o.points[t[0]], cross(o.points[t[1]], o.points[t[2]])) / 6.0;
    return v;
}

TEST(ObjectShape, BothAreClosedAndFaceOutward) {
    for (const char* name : {"tube.lwo", "knot.lwo"}) {
        SCOPED_TRACE(name);
        ObjectFile o = load(name);
        expectClosed(o);
        EXPECT_GT(signedVolume(o), 0.0);
        for (const auto& t : o.triangles) {
            Point n = cross(sub(o.points[t[1]], o.points[t[0]]), sub(o.points[t[2]], o.points[t[0]]));
            EXPECT_GT(dot(n, n), 1e-6) << "degenerate triangle";
        }
    }
}

// The show turns the tube about its pivot's z axis; a tube wrapped round that axis would look
// the same at every angle.
TEST(ObjectShape, TubeLiesBesideItsSpinAxis) {
    ObjectFile o = load("tube.lwo");
    double cx = 0, cy = 0;
    for (const Point& p : o.points) cx += p.x / o.points.size(), cy += p.y / o.points.size();
    double reach = 0;
    for (const Point& p : o.points) reach = std::max(reach, std::hypot(p.x - cx, p.y - cy));
    EXPECT_GT(std::hypot(cx, cy), reach + 10.0);
}

// The finale draws the tube 400 units in front while turning it every way: a bounding sphere
// smaller than 400 x sin 30 degrees keeps it inside the 60 degree view at any angle.
TEST(ObjectShape, TubeFitsTheFinaleViewAtAnyAngle) {
    ObjectFile o = load("tube.lwo");
    for (const Point& p : o.points) ASSERT_LT(std::sqrt(dot(p, p)), 200.0);
}

// The knot flies from around the viewer into the distance: eye = (-150 - x, -333 - y,
// 10 (50 - depth + z)) for a file point (x, y, z), the reader's negation included.
struct EyePoint {
    double x, y, z;
};
EyePoint knotInEye(const Point& p, double knotDepth) {
    return {-150.0 - p.x, -333.0 - p.y, 10.0 * (50.0 - knotDepth + p.z)};
}
constexpr double kHalfFovRadians = 30.0 * 3.14159265358979323846 / 180.0;
bool inView(const EyePoint& e) {
    double d = -e.z;
    double halfHeight = d * std::tan(kHalfFovRadians);
    return d > 0.1 && std::fabs(e.y) < halfHeight && std::fabs(e.x) < halfHeight * 4.0 / 3.0;
}

TEST(ObjectShape, KnotStartsAroundTheViewerAndEndsWhollyInView) {
    ObjectFile o = load("knot.lwo");
    int behindAtStart = 0, inViewAtStart = 0, inViewAtEnd = 0;
    for (const Point& p : o.points) {
        behindAtStart += knotInEye(p, 0.0).z > 0 ? 1 : 0;
        inViewAtStart += inView(knotInEye(p, 0.0)) ? 1 : 0;
        inViewAtEnd += inView(knotInEye(p, 400.0)) ? 1 : 0;
    }
    EXPECT_GT(behindAtStart, 0);
    EXPECT_GT(inViewAtStart, 0);
    EXPECT_EQ(inViewAtEnd, static_cast<int>(o.points.size()));
}

// --- Drawn as the engine draws: negated, clockwise front faces, back faces culled ---------

// Depth of the tube's nearest drawn surface at the window centre when it is placed there.
double tubeDepthAtCentre(GLenum frontFace) {
    ObjectFile o = load("tube.lwo");
    double cx = 0, cy = 0;
    for (const Point& p : o.points) cx += p.x / o.points.size(), cy += p.y / o.points.size();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-200, 200, -150, 150, 1, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Side-on: the tube's axis turned to x, its centre moved onto the view axis.
    glTranslated(0, 0, -500);
    glRotated(90, 0, 1, 0);
    glTranslated(cx, cy, 0);  // the negated centre is (-cx, -cy)
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
    glFrontFace(frontFace);
    glBegin(GL_TRIANGLES);
    for (const auto& t : o.triangles)
        for (std::uint32_t i : t) glVertex3d(-o.points[i].x, -o.points[i].y, -o.points[i].z);
    glEnd();
    float depth = 1.0f;
    glReadPixels(400, 300, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    return depth;
}

TEST(ObjectDrawing, ClockwiseFrontFacesShowTheOutsideAfterNegation) {
    REQUIRE_GL();
    double outside = tubeDepthAtCentre(GL_CW);
    double inside = tubeDepthAtCentre(GL_CCW);
    ASSERT_LT(outside, 1.0) << "nothing drawn at the centre";
    EXPECT_LT(outside, inside);
}

// --- The tool ------------------------------------------------------------------------------

TEST(MakeObjectsTool, RegeneratesTheCommittedFilesByteForByte) {
    std::string out = testsupport::tempPath("make_objects_out");
    std::string command = "mkdir -p '" + out + "' && '" + MAKE_OBJECTS_TOOL + "' '" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* name : {"tube.lwo", "knot.lwo"}) {
        Bytes made = readBytes(out + "/" + name);
        Bytes committed = readBytes(assetPath(name));
        EXPECT_FALSE(made.empty()) << name;
        EXPECT_TRUE(made == committed) << name << " differs from assets/data: rerun make_objects";
    }
}

TEST(MakeObjectsTool, RefusesToRunWithoutAnOutputFolder) {
    std::string command = std::string("'") + MAKE_OBJECTS_TOOL + "' 2>/dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
}

}  // namespace
