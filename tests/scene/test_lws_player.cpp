#include "scene/lws_scene.h"

#include "scene_test_support.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

// In sanitizer builds, LeakSanitizer's exit-time scan walks the dynamic TLS of Mesa's
// software-rasteriser threads and can crash on a descriptor it misreads (a sanitizer/glibc
// mismatch, not a leak). Not tracking __tls_get_addr avoids that walk; leaks are still found.
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }

using scenetest::channelsText;
using scenetest::channelText;
using scenetest::loadText;

namespace {

// A camera five units from the origin, looking at it, for three seconds at 30 fps.
std::string cameraText(int previewLastFrame) {
    std::string text = "PreviewLastFrame " + std::to_string(previewLastFrame) +
                       "\nAddCamera\nNumChannels 6\n";
    for (int c = 0; c < 6; ++c) {
        const double value = c == 2 ? -5.0 : 0.0;
        text += channelText(c, {{value, 0}, {value, 3}});
    }
    return text + "ZoomFactor 3.2\nFrameSize 640 480\nPixelAspect 1\n";
}

std::string objectText(const std::string& name, const std::string& channels) {
    return "LoadObjectLayer 1 " + name + "\n" + channels;
}

const std::string kStill = "NumChannels 0\n";

// A flat triangle pair around the origin in the z = 0 plane, both windings, so it shows
// whichever way faces are culled. Into the item's mesh, made if it has none.
void makeTriangles(std::shared_ptr<LwoObject>& loaded, LwoColour colour, bool transparent) {
    if (!loaded) loaded = std::make_shared<LwoObject>();
    LwoObject& mesh = *loaded;
    const Vec3 a{-1, -1, 0}, b{1, -1, 0}, c{0, 1, 0};
    for (const std::vector<Vec3>& corners :
         {std::vector<Vec3>{a, b, c}, std::vector<Vec3>{a, c, b}}) {
        MeshPolygon polygon;
        polygon.positions = corners;
        polygon.cornerCount = 3;
        polygon.colour = colour;
        mesh.polygons.add(polygon);
    }
    LwoSurface surface;
    surface.hasTransparency = transparent;
    mesh.reader.surfaces.push_back(surface);
}

uint32_t fastTicks() {
    static uint32_t ticks = 0;
    return ticks += 50;
}

testsupport::Rgb centre() { return testsupport::readPixel(400, 300); }

// A new context's pixels are whatever its memory held: a test that a player draws nothing
// starts from black.
void clearToBlack() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

TEST(LwsPlayer, PreviewLastFrameSixtyShowsFramesZeroToFiftyNine) {
    REQUIRE_GL();
    LwsScene scene;
    loadText(scene, "LWSC 3\n" + cameraText(60));
    std::vector<int32_t> returned;
    for (int i = 0; i < 61; ++i) returned.push_back(scene.play());
    EXPECT_EQ(returned[0], 1);
    EXPECT_EQ(returned[58], 59);
    EXPECT_EQ(returned[59], 0);
    EXPECT_EQ(returned[60], 1);
}

TEST(LwsPlayer, PingPongTurnsAtBothEnds) {
    REQUIRE_GL();
    LwsScene scene;
    loadText(scene, "LWSC 3\n" + cameraText(3));
    std::vector<int32_t> shown;
    for (int i = 0; i < 8; ++i) {
        shown.push_back(scene.camera.frameCounter);
        scene.playPingPong();
    }
    EXPECT_EQ(shown, (std::vector<int32_t>{0, 1, 2, 3, 2, 1, 0, 1}));
}

TEST(LwsPlayer, LimitedPlayWrapsAtTheLimitAndAtTheCameraLength) {
    REQUIRE_GL();
    LwsScene scene;
    loadText(scene, "LWSC 3\n" + cameraText(60));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(scene.playLimited(5), i + 1);
    EXPECT_EQ(scene.playLimited(5), 0);
    // A limit past the 90 baked frames wraps where the samples end.
    scene.camera.frameCounter = 89;
    EXPECT_EQ(scene.playLimited(1000), 90);
    EXPECT_EQ(scene.playLimited(1000), 1);
}

TEST(LwsPlayer, ObjectsCycleThroughTheirOwnKeys) {
    REQUIRE_GL();
    std::string tenKeys = "NumChannels 9\nChannel 0\n{ Envelope\n10\n";
    for (int k = 0; k < 10; ++k) {
        tenKeys += "Key " + std::to_string(k) + " " + std::to_string(k / 30.0) + " 0 0 0 0 0 0 0\n";
    }
    tenKeys += "}\n";
    for (int c = 1; c < 9; ++c) tenKeys += channelText(c, {{1, 0}});  // one key: held
    LwsScene scene;
    loadText(scene, "LWSC 3\n" + cameraText(4) + objectText("ten.lwo", tenKeys) +
                        objectText("three.lwo", channelsText(9, {{0, 0}, {1, 0.1}, {2, 0.2}})) +
                        objectText("still.lwo", kStill));
    ASSERT_EQ(scene.objects.size(), 3u);
    std::vector<int32_t> ten, three;
    // A counter wraps when the next frame starts, so the key a frame used is its count - 1.
    for (int i = 0; i < 12; ++i) {
        scene.playImmediate(100);
        ten.push_back(scene.objects[0].frameCounter - 1);
        three.push_back(scene.objects[1].frameCounter - 1);
    }
    EXPECT_EQ(ten, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1}));
    EXPECT_EQ(three, (std::vector<int32_t>{0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(scene.objects[2].frameCounter, 0);
}

TEST(LwsPlayer, ObjectWithoutChannelsIsDrawnAtTheOriginInTheCameraView) {
    REQUIRE_GL();
    LwsScene scene;
    loadText(scene, "LWSC 3\n" + cameraText(60) + objectText("tri.lwo", kStill));
    makeTriangles(scene.objects[0].mesh, {0.0f, 0.0f, 1.0f}, false);
    scene.prepareVertexArrays();
    scene.play();
    const testsupport::Rgb mid = centre();
    EXPECT_LT(mid.r, 10);
    EXPECT_GT(mid.b, 245);
    // Five units away at about 45 degrees the pair spans well under the whole view.
    EXPECT_EQ(testsupport::readPixel(400, 560).b, 0);
}

TEST(LwsPlayer, TransparentFirstSurfaceAddsAndTheNextObjectIsOpaqueAgain) {
    REQUIRE_GL();
    const std::string text = "LWSC 3\n" + cameraText(60) + objectText("a.lwo", kStill) +
                             objectText("b.lwo", kStill);
    LwsScene additive;
    loadText(additive, text);
    makeTriangles(additive.objects[0].mesh, {1.0f, 0.0f, 0.0f}, false);
    makeTriangles(additive.objects[1].mesh, {0.0f, 1.0f, 0.0f}, true);
    additive.prepareVertexArrays();
    additive.play();
    testsupport::Rgb mid = centre();
    EXPECT_GT(mid.r, 245);
    EXPECT_GT(mid.g, 245);
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);

    testsupport::resetGlState();
    LwsScene opaqueAfter;
    loadText(opaqueAfter, text);
    makeTriangles(opaqueAfter.objects[0].mesh, {1.0f, 0.0f, 0.0f}, true);
    makeTriangles(opaqueAfter.objects[1].mesh, {0.0f, 1.0f, 0.0f}, false);
    opaqueAfter.prepareVertexArrays();
    opaqueAfter.play();
    mid = centre();
    EXPECT_LT(mid.r, 10);
    EXPECT_GT(mid.g, 245);
}

TEST(LwsPlayer, MismatchedChannelLengthsNeverIndexPastTheEnd) {
    REQUIRE_GL();
    // A camera with only position channels, of different lengths; objects whose later
    // channels have fewer keys than channel 0, or no keys at all.
    const std::string camera = "PreviewLastFrame 500\nAddCamera\nNumChannels 3\n" +
                               channelText(0, {{0, 0}, {0, 2}}) +
                               channelText(1, {{0, 0}, {0, 0.1}}) +
                               channelText(2, {{-5, 0}, {-5, 1}}) + "PixelAspect 1\n";
    std::string ragged = "NumChannels 9\n" + channelText(0, {{0, 0}, {1, 1}, {2, 2}, {3, 3}});
    for (int c = 1; c < 9; ++c) {
        ragged += c % 2 ? channelText(c, {{1, 0}}) : "Channel 9 { Envelope 0 }\n";
    }
    LwsScene scene;
    loadText(scene, "LWSC 3\n" + camera + objectText("r.lwo", ragged) +
                        objectText("short.lwo", channelsText(2, {{0, 0}, {1, 1}})));
    ASSERT_EQ(scene.objects.size(), 2u);
    for (auto& object : scene.objects) makeTriangles(object.mesh, {1, 1, 1}, false);
    scene.prepareVertexArrays();
    for (int i = 0; i < 300; ++i) {
        scene.play();
        scene.playPingPong();
        scene.playLimited(1000);
    }
    EXPECT_GE(scene.camera.frameCounter, 0);
    EXPECT_LT(scene.objects[0].frameCounter, 5);
}

TEST(LwsPlayer, VersionOneCountersAdvancePerObjectAndWrap) {
    REQUIRE_GL();
    // Camera: 10 samples; two objects of 4 samples each.
    const std::string text =
        "LWSC 1\nFramesPerSecond 25\nCameraMotion cam 9 2\n"
        "0 0 -5 0 0 0 1 1 1 0 0 0 0 0\n0 0 -5 0 0 0 1 1 1 10 0 0 0 0\n"
        "LoadObject a.lwo ObjectMotion m 9 2\n0 0 0 0 0 0 1 1 1 0 0 0 0 0\n"
        "0 0 0 0 0 0 1 1 1 4 0 0 0 0\n"
        "LoadObject b.lwo ObjectMotion m 9 2\n0 0 0 0 0 0 1 1 1 0 0 0 0 0\n"
        "0 0 0 0 0 0 1 1 1 4 0 0 0 0\n";
    LwsScene played, limited;
    for (LwsScene* scene : {&played, &limited}) {
        loadText(*scene, text);
        scene->frameTimer.tickSource = fastTicks;
    }
    std::vector<int32_t> camera, objectA;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(played.play(), 1);
        EXPECT_EQ(limited.playLimited(100), 1);
        camera.push_back(played.v1CameraMotion.frameCounter);
        objectA.push_back(played.v1Objects[0].motion.frameCounter);
        EXPECT_EQ(limited.v1CameraMotion.frameCounter, camera.back());
        EXPECT_EQ(limited.v1Objects[1].motion.frameCounter, objectA.back());
    }
    EXPECT_EQ(camera, (std::vector<int32_t>{2, 4, 6, 8, 10, 2}));
    EXPECT_EQ(objectA, (std::vector<int32_t>{1, 2, 3, 4, 1, 2}));
    EXPECT_EQ(played.playV1(), 2);
}

TEST(LwsPlayer, VersionOneObjectIsScaledMovedAndDrawnInTheCameraView) {
    REQUIRE_GL();
    LwsScene scene;
    loadText(scene,
             "LWSC 1\nFramesPerSecond 1000\nCameraMotion cam 9 2\n"
             "0 0 -5 0 0 0 1 1 1 0 0 0 0 0\n0 0 -5 0 0 0 1 1 1 10 0 0 0 0\n"
             "LoadObject a.lwo ObjectMotion m 9 2\n1 0 0 0 0 0 0.5 0.5 0.5 0 0 0 0 0\n"
             "1 0 0 0 0 0 0.5 0.5 0.5 4 0 0 0 0\n");
    scene.frameTimer.tickSource = fastTicks;
    makeTriangles(scene.v1Objects[0].mesh, {1.0f, 1.0f, 0.0f}, false);
    scene.play();
    testsupport::saveForLooking("player_v1.png");
    // Half size and one unit along x, which the camera's half turn shows on the left.
    EXPECT_EQ(centre().r, 0);
    EXPECT_GT(testsupport::readPixel(400 - 96, 300).r, 245);
}

TEST(LwsPlayer, OtherVersionsDrawNothing) {
    REQUIRE_GL();
    LwsScene scene;
    loadText(scene, "LWSC 6\n" + cameraText(60));
    clearToBlack();
    EXPECT_EQ(scene.play(), 1);
    EXPECT_EQ(scene.playLimited(5), 1);
    const testsupport::Rgb mid = centre();
    EXPECT_EQ(mid.r + mid.g + mid.b, 0);
}

// A file over one of the reader's bounds leaves an empty scene, which plays as one.
TEST(LwsPlayer, ScenesOverABoundDrawNothing) {
    REQUIRE_GL();
    std::string tenChannels = "LWSC 3\n" + cameraText(60) + objectText("a.lwo", kStill) +
                              objectText("b.lwo", channelsText(10, {{0, 0}, {1, 1}}));
    std::string v1 = "LWSC 1\nCameraMotion cam 9 2\n0 0 -5 0 0 0 1 1 1 0 0 0 0 0\n"
                     "0 0 -5 0 0 0 1 1 1 10 0 0 0 0\n";
    for (int i = 0; i < 1025; ++i) v1 += "LoadObject a.lwo ObjectMotion m 9 0\n";
    for (const std::string* text : {&tenChannels, &v1}) {
        LwsScene scene;
        ASSERT_TRUE(loadText(scene, *text));
        scene.frameTimer.tickSource = fastTicks;
        scene.prepareVertexArrays();
        clearToBlack();
        for (int i = 0; i < 3; ++i) {
            scene.play();
            scene.playLimited(5);
            scene.playPingPong();
        }
        EXPECT_EQ(scene.playV1(), 0);
        const testsupport::Rgb mid = centre();
        EXPECT_EQ(mid.r + mid.g + mid.b, 0);
    }
}

}  // namespace

namespace {

TEST(LwsPlayerFiles, OwnVersionOneSceneShowsTheCubeFromItsContentFolder) {
    REQUIRE_GL();
    REQUIRE_TESTDATA();
    LwsScene scene(std::string(DEMO_SOURCE_DIR) + "/tests/scene/data/cube_v1.lws",
                   scenetest::testdataDir() + "/lws");
    EXPECT_FALSE(scene.load()) << scene.error();
    ASSERT_EQ(scene.v1Objects.size(), 1u);
    EXPECT_EQ(scene.v1Objects[0].mesh->polygons.size(), 6u);
    EXPECT_EQ(scene.v1Objects[0].motion.samples.size(), 60u);
    EXPECT_EQ(scene.v1CameraMotion.samples.size(), 60u);
    // The shared picture is not in the content folder: reported, and the cube still plays.
    ASSERT_EQ(scene.objectErrors().size(), 1u);
    EXPECT_NE(scene.objectErrors()[0].find("scenede.jpg"), std::string::npos);
    scene.frameTimer.tickSource = fastTicks;
    scene.play();
    const testsupport::Rgb mid = centre();
    EXPECT_NEAR(mid.r, 200, 8);  // the surface's grey, 0.784
    EXPECT_EQ(testsupport::readPixel(20, 20).r, 0);
}

TEST(LwsPlayerFiles, RealVersionThreeScenePlaysItsKeysFrameByFrame) {
    REQUIRE_GL();
    REQUIRE_TESTDATA();
    LwsScene scene(scenetest::testdataDir() + "/lws/move_x_oldformat_6.lws");
    scene.progress = nullptr;
    ASSERT_FALSE(scene.load());
    scene.prepareVertexArrays();
    // Its camera has one key per channel, so nothing is baked for it and it stays put;
    // the cube steps through its three position keys, one per frame.
    std::vector<int32_t> keys;
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(scene.play(), 0);
        keys.push_back(scene.objects[0].frameCounter - 1);
    }
    EXPECT_EQ(keys, (std::vector<int32_t>{0, 1, 2, 0, 1, 2, 0}));
}

}  // namespace

namespace {

TEST(LwsPlayerFiles, ClipPicturesAreFoundInTheContentFolderByTheirOwnName) {
    REQUIRE_GL();
    REQUIRE_TESTDATA();
    namespace fs = std::filesystem;
    const fs::path content = fs::path(testsupport::tempPath("lws_clip_content"));
    fs::remove_all(content);
    fs::create_directories(content);
    const std::string data = scenetest::testdataDir();
    fs::copy_file(data + "/lwo/earth_uv_cylindrical_y.lwo", content / "earth.lwo");
    const std::string text = "LWSC 3\nLoadObjectLayer 1 earth.lwo\nNumChannels 0\n";

    // The object names "Q:ASSIMP/.../earthCylindric.jpg", a path on its author's machine.
    LwsScene without;
    without.progress = nullptr;
    without.contentDir = content.string();
    EXPECT_FALSE(without.loadFromText(text, "earth.lws"));
    ASSERT_EQ(without.objectErrors().size(), 1u);
    EXPECT_NE(without.objectErrors()[0].find("earthCylindric.jpg"), std::string::npos);
    ASSERT_TRUE(without.objects.at(0).mesh);
    EXPECT_EQ(without.objects.at(0).mesh->texture, 0u);

    fs::copy_file(data + "/jpeg/testorig.jpg", content / "earthCylindric.jpg");
    LwsScene with;
    with.progress = nullptr;
    with.contentDir = content.string();
    EXPECT_FALSE(with.loadFromText(text, "earth.lws"));
    EXPECT_TRUE(with.objectErrors().empty());
    ASSERT_TRUE(with.objects.at(0).mesh);
    EXPECT_NE(with.objects.at(0).mesh->texture, 0u);
    fs::remove_all(content);
}

}  // namespace
