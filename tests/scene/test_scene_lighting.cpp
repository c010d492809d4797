// Scenes drawn lit, as the tools draw them: pixels read back against the light a surface point
// should get. The camera stands at the origin looking along +z (LightWave's axes), its 640x480
// frame drawn into the test context's 800x600, and ambient light is off unless a case says so.
#include "lwo/lwo_writer.h"
#include "scene/lws_player_v5.h"
#include "scene/lws_scene.h"
#include "scene/scene_lighting.h"

#include "scene_test_support.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using scenetest::loadText;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kZoom = 3.2;

// Corners turned so that the polygon faces away from `inside` (LightWave's order: clockwise
// seen from the front).
std::vector<uint32_t> facingOut(std::vector<uint32_t> polygon, const std::vector<Vec3>& points, const Vec3& inside) {
    const Vec3& a = points[polygon[0]];
    const Vec3& b = points[polygon[1]];
    const Vec3& c = points[polygon[2]];
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    const double n[3] = {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
    const double out = n[0] * (a.x - inside.x) + n[1] * (a.y - inside.y) + n[2] * (a.z - inside.z);
    // Clockwise from the front in left-handed axes: the right-hand cross product points out.
    if (out < 0.0) std::reverse(polygon.begin(), polygon.end());
    return polygon;
}

// A white sphere of radius 1 about the origin, smoothed, 64 slices by 32 stacks.
LwoObject sphere() {
    const int slices = 64, stacks = 32;
    std::vector<Vec3> points;
    for (int i = 0; i <= stacks; ++i) {
        const double lat = kPi * i / stacks - kPi / 2;
        for (int j = 0; j < slices; ++j) {
            const double lon = 2 * kPi * j / slices;
            points.push_back({float(std::cos(lat) * std::cos(lon)), float(std::sin(lat)),
                              float(std::cos(lat) * std::sin(lon))});
        }
    }
    std::vector<std::vector<uint32_t>> polygons;
    std::vector<std::pair<uint32_t, uint16_t>> tags;
    for (int i = 0; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            const uint32_t a = uint32_t(i * slices + j), b = uint32_t(i * slices + (j + 1) % slices);
            std::vector<uint32_t> quad = {a, b, b + uint32_t(slices), a + uint32_t(slices)};
            if (i == 0) quad = {a, b + uint32_t(slices), a + uint32_t(slices)};
            if (i == stacks - 1) quad = {a, b, a + uint32_t(slices)};
            tags.push_back({uint32_t(polygons.size()), 0});
            polygons.push_back(facingOut(quad, points, Vec3{}));
        }
    }
    LwoWriter w;
    w.tags({"White"}).layer(0, "sphere").points(points).polygons("FACE", polygons).polygonTags("SURF", tags);
    w.surface("White", LwoBytes()
                           .raw(lwoSubChunk("COLR", LwoBytes().f4(1).f4(1).f4(1).vx(0)))
                           .raw(lwoSubChunk("DIFF", LwoBytes().f4(1).vx(0)))
                           .raw(lwoSubChunk("SMAN", LwoBytes().f4(1.5f))));
    const std::vector<uint8_t> bytes = w.file();
    LwoObject object;
    EXPECT_FALSE(object.loadFromMemory(bytes.data(), bytes.size(), "sphere.lwo")) << object.lastError();
    return object;
}

// A white square 8 wide facing the camera, its centre at the object's position, cut into a
// 160 by 160 grid: GL lights corners, so a spot's edge shows only as finely as the corners lie.
LwoObject wall() {
    constexpr int kCells = 160;
    constexpr float kHalf = 4.0f;
    std::vector<Vec3> points;
    for (int row = 0; row <= kCells; ++row) {
        for (int column = 0; column <= kCells; ++column) {
            points.push_back({-kHalf + 2 * kHalf * column / kCells, kHalf - 2 * kHalf * row / kCells, 0.0f});
        }
    }
    std::vector<std::vector<uint32_t>> polygons;
    std::vector<std::pair<uint32_t, uint16_t>> tags;
    for (uint32_t row = 0; row < kCells; ++row) {
        for (uint32_t column = 0; column < kCells; ++column) {
            const uint32_t a = row * (kCells + 1) + column, below = a + kCells + 1;
            tags.push_back({uint32_t(polygons.size()), 0});
            polygons.push_back({a, a + 1, below + 1, below});  // clockwise seen from the front
        }
    }
    LwoWriter w;
    w.tags({"White"}).layer(0, "wall").points(points).polygons("FACE", polygons).polygonTags("SURF", tags);
    w.surface("White", LwoBytes().raw(lwoSubChunk("COLR", LwoBytes().f4(1).f4(1).f4(1).vx(0))));
    const std::vector<uint8_t> bytes = w.file();
    LwoObject object;
    EXPECT_FALSE(object.loadFromMemory(bytes.data(), bytes.size(), "wall.lwo")) << object.lastError();
    return object;
}

std::string positionAt(double z) {
    std::string text = "NumChannels 3\n";
    for (int c = 0; c < 3; ++c) text += scenetest::channelText(c, {{c == 2 ? z : 0.0, 0.0}});
    return text;
}

std::string scene(const std::string& lights, const std::string& objectLines = "") {
    return "LWSC\n5\nFirstFrame 0\nLastFrame 0\nFramesPerSecond 30\n"
           "LoadObjectLayer 1 10000000 thing.lwo\n" + objectLines + positionAt(5.0) +
           "AmbientIntensity 0\n" + lights +
           "AddCamera 30000000\nZoomFactor 3.2\nFrameSize 640 480\n";
}

// The pixel column on the middle row where the camera's ray of slope x / z lands.
int columnOf(double slope) { return int(std::lround(400.0 + slope * kZoom * 0.75 * 400.0 - 0.5)); }

// The camera's ray through the middle of pixel column `px` on the middle row, as x / z.
double slopeOf(int px) { return ((px + 0.5) / 400.0 - 1.0) / kZoom / 0.75; }

void drawLit(LwsScene& lws, LwoObject object, const std::string& picture) {
    lws.objects.at(0).mesh = std::make_shared<LwoObject>(std::move(object));
    const SceneShading shading(lws);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    playSceneVersion5(lws, &shading);
    testsupport::saveForLooking(picture);
}

TEST(SceneLighting, LitSphereDarkensAsTheCosineTowardItsEdge) {
    REQUIRE_GL();
    // A distant light with no turn shines along +z, from behind the camera onto the sphere.
    LwsScene lws;
    ASSERT_FALSE(loadText(lws, scene("AddLight 20000000\nLightType 0\nLightIntensity 1\n"))) << lws.error();
    drawLit(lws, sphere(), "scene_lighting_sphere.png");
    int checked = 0;
    for (int px = 400; px < 800; px += 12) {
        // Where the ray meets the sphere about (0, 0, 5): there n·L is the normal's -z.
        const double s = slopeOf(px);
        const double a = 1 + s * s, b = -10.0, c = 24.0;
        const double disc = b * b - 4 * a * c;
        const int got = testsupport::readPixel(px, 300).g;
        if (disc < 0.0) {
            EXPECT_LT(got, 3) << "past the edge, column " << px;
            continue;
        }
        const double t = (-b - std::sqrt(disc)) / (2 * a);
        const double cosine = -(t - 5.0);  // the normal's z is the hit's z - 5
        if (cosine < 0.08) continue;  // the outline's pixels are part covered
        EXPECT_NEAR(got / 255.0, cosine, 0.03) << "column " << px;
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

TEST(SceneLighting, SpotLightsOnlyInsideItsCone) {
    REQUIRE_GL();
    // A spot at the camera, cone 10 degrees, shining along +z onto a wall at z 5.
    LwsScene lws;
    ASSERT_FALSE(loadText(lws, scene("AddLight 20000000\nLightType 2\nLightConeAngle 10\n"))) << lws.error();
    drawLit(lws, wall(), "scene_lighting_spot.png");
    const double degree = kPi / 180.0;
    EXPECT_GT(testsupport::readPixel(columnOf(std::tan(9.0 * degree)), 300).g, 200);
    EXPECT_GT(testsupport::readPixel(400, 300).g, 200);
    EXPECT_LT(testsupport::readPixel(columnOf(std::tan(11.0 * degree)), 300).g, 3);
    EXPECT_LT(testsupport::readPixel(columnOf(-std::tan(11.0 * degree)), 300).g, 3);
}

TEST(SceneLighting, SceneWithoutLightsGetsTheDefaultLightAndHiddenObjectsAreNotDrawn) {
    REQUIRE_GL();
    LwsScene lws;
    ASSERT_FALSE(loadText(lws, scene(""))) << lws.error();
    drawLit(lws, wall(), "scene_lighting_default.png");
    // The default light comes down at 35 degrees from 45 degrees to the left: on a wall facing
    // the camera, n·L = cos 35° cos 45°.
    EXPECT_NEAR(testsupport::readPixel(400, 300).g / 255.0, std::cos(35 * kPi / 180) * std::cos(kPi / 4), 0.02);
    LwsScene hidden;
    ASSERT_FALSE(loadText(hidden, scene("", "ShowObject 0 7\n"))) << hidden.error();
    drawLit(hidden, wall(), "scene_lighting_hidden.png");
    EXPECT_LT(testsupport::readPixel(400, 300).g, 3);
}

// A quad 4 wide at the object's position whose UV map runs u from -1 at its left edge to 2 at
// its right, its colour picture two pixels wide (red, green), wrapped as `mode` (LWO2: 0 reset,
// 1 repeat, 2 mirror, 3 edge) on a blue surface.
LwoObject wrappedQuad(uint16_t mode, GLuint picture, uint16_t projection = 5) {
    const std::vector<Vec3> points = {{-2, 1, 0}, {2, 1, 0}, {2, -1, 0}, {-2, -1, 0}};
    const float us[4] = {-1, 2, 2, -1};
    std::vector<LwoWriter::MapEntry> uvs;
    for (uint32_t i = 0; i < 4; ++i) uvs.push_back({i, 0, {us[i], i < 2 ? 1.0f : 0.0f}});
    LwoBytes header;
    header.s0("\x80").raw(lwoSubChunk("CHAN", LwoBytes().id("COLR")));
    LwoBytes block = lwoSubChunk("IMAP", header);
    block.raw(lwoSubChunk("PROJ", LwoBytes().u2(projection))).raw(lwoSubChunk("IMAG", LwoBytes().vx(1)));
    block.raw(lwoSubChunk("WRAP", LwoBytes().u2(mode).u2(mode))).raw(lwoSubChunk("VMAP", LwoBytes().s0("uv")));
    LwoWriter w;
    w.tags({"Blue"}).layer(0, "quad").points(points).vertexMap("VMAP", "TXUV", "uv", 2, uvs);
    w.polygons("FACE", {{0, 1, 2, 3}}).polygonTags("SURF", {{0, 0}});
    w.surface("Blue", LwoBytes().raw(lwoSubChunk("COLR", LwoBytes().f4(0).f4(0).f4(1).vx(0))).raw(lwoSubChunk("BLOK", block)));
    const std::vector<uint8_t> bytes = w.file();
    LwoObject object;
    EXPECT_FALSE(object.loadFromMemory(bytes.data(), bytes.size(), "quad.lwo")) << object.lastError();
    object.texture = picture;
    return object;
}

// What the pixel at texture coordinate u shows, as a letter: r, g, b or ? (anything else).
char colourAtU(double u) {
    const double x = (u + 1.0) * 4.0 / 3.0 - 2.0;
    const testsupport::Rgb c = testsupport::readPixel(columnOf(x / 5.0), 300);
    if (c.r > 200 && c.g < 40 && c.b < 40) return 'r';
    if (c.g > 200 && c.r < 40 && c.b < 40) return 'g';
    if (c.b > 200 && c.r < 40 && c.g < 40) return 'b';
    return '?';
}

// A picture two pixels wide, red then green, sampled without blending its pixels.
GLuint redGreenPicture() {
    GLuint picture = 0;
    glGenTextures(1, &picture);
    glBindTexture(GL_TEXTURE_2D, picture);
    const unsigned char pixels[6] = {255, 0, 0, 0, 255, 0};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return picture;
}

TEST(SceneLighting, PicturesWrapAsTheirBlockSays) {
    REQUIRE_GL();
    GLuint picture = redGreenPicture();
    // u at -0.25, 0.25, 0.75 and 1.25: before the picture, its two pixels, after it.
    const struct {
        uint16_t mode;
        const char* name;
        std::string seen;
    } kModes[] = {{1, "repeat", "grgr"}, {2, "mirror", "rrgg"}, {3, "edge", "rrgg"}, {0, "reset", "brgb"}};
    for (const auto& mode : kModes) {
        LwsScene lws;
        ASSERT_FALSE(loadText(lws, scene("AddLight 20000000\nLightType 0\n"))) << lws.error();
        drawLit(lws, wrappedQuad(mode.mode, picture), std::string("scene_lighting_wrap_") + mode.name + ".png");
        const std::string seen = {colourAtU(-0.25), colourAtU(0.25), colourAtU(0.75), colourAtU(1.25)};
        EXPECT_EQ(seen, mode.seen) << mode.name;
    }
    glDeleteTextures(1, &picture);
}

// Front projection lays the picture on as the camera sees it: turned a third of a quarter away
// and off to the side, the quad still shows the picture's left half left of the frame's middle
// and its right half right of it, whatever its own coordinates say.
TEST(SceneLighting, FrontProjectionFillsTheCamerasFrame) {
    REQUIRE_GL();
    GLuint picture = redGreenPicture();
    LwsScene lws;
    ASSERT_FALSE(loadText(lws, "LWSC\n5\nFirstFrame 0\nLastFrame 0\nFramesPerSecond 30\n"
                               "LoadObjectLayer 1 10000000 thing.lwo\nNumChannels 4\n" +
                               scenetest::channelText(0, {{0.3, 0.0}}) + scenetest::channelText(1, {{0.0, 0.0}}) +
                               scenetest::channelText(2, {{5.0, 0.0}}) + scenetest::channelText(3, {{0.5, 0.0}}) +
                               "AmbientIntensity 1\nAddLight 20000000\nLightIntensity 0\n"
                               "AddCamera 30000000\nZoomFactor 3.2\nFrameSize 640 480\n"))
        << lws.error();
    drawLit(lws, wrappedQuad(1, picture, 4), "scene_lighting_front.png");
    const auto letter = [](int x, int y) {
        const testsupport::Rgb c = testsupport::readPixel(x, y);
        return c.r > 200 && c.g < 40 ? 'r' : c.g > 200 && c.r < 40 ? 'g' : '?';
    };
    const std::string seen = {letter(300, 300), letter(390, 320), letter(410, 280), letter(480, 300)};
    EXPECT_EQ(seen, "rrgg");
    glDeleteTextures(1, &picture);
}

}  // namespace
