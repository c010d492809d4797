// The version 4/5 player: where items land (matrices checked against positions worked out by
// hand from LightWave's conventions), and what a frame shows (pixels read back).
#include "scene/lws_player_v5.h"
#include "scene/lws_scene.h"

#include "scene_test_support.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

// As in the other scene test binary that draws: LeakSanitizer's exit-time scan misreads the
// dynamic TLS of Mesa's threads unless __tls_get_addr is left untracked.
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }

using scenetest::loadText;

namespace {

constexpr double kQuarterTurn = 1.5707963267948966;

// Nine channels holding one value each.
std::string motionText(const double (&values)[9]) {
    std::ostringstream out;
    out.precision(17);
    out << "NumChannels 9\n";
    for (int c = 0; c < 9; ++c) {
        out << "Channel " << c << "\n{ Envelope\n  1\n  Key " << values[c]
            << " 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";
    }
    return out.str();
}

std::string header(int first, int last) {
    return "LWSC\n5\nFirstFrame " + std::to_string(first) + "\nLastFrame " + std::to_string(last) +
           "\nFramesPerSecond 30\n";
}

void expectPoint(const SceneMatrix& m, const double (&from)[3], const double (&to)[3]) {
    const std::array<double, 3> got = transformedPoint(m, from[0], from[1], from[2]);
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(got[static_cast<size_t>(a)], to[a], 1e-9)
            << "axis " << a << " of (" << from[0] << ", " << from[1] << ", " << from[2] << ")";
    }
}

// A null at (0, 0, 5) turned a quarter heading; its child two units along the null's x, itself
// turned a quarter heading about its pivot (0, 0, 1).
const std::string kParentedScene =
    header(1, 3) + "AddNullObject 10000000 Turner\n" +
    motionText({0, 0, 5, kQuarterTurn, 0, 0, 1, 1, 1}) +
    "LoadObjectLayer 1 10000001 child.lwo\nParentItem 10000000\nPivotPosition 0 0 1\n" +
    motionText({2, 0, 0, kQuarterTurn, 0, 0, 1, 1, 1});

TEST(LwsPlayerV5Placement, ChildOfATurnedNullTurnsAboutItsPivot) {
    LwsScene scene;
    ASSERT_FALSE(loadText(scene, kParentedScene)) << scene.error();
    ASSERT_EQ(scene.objects.size(), 2u);
    const SceneMatrix child = objectWorldMatrices(scene, 0)[1];
    // A heading of a quarter turn takes +x to -z and +z to +x. The pivot stays where the child's
    // position puts it, (2, 0, 0) in the null, which the null turns to (0, 0, -2) and moves to
    // (0, 0, 3).
    expectPoint(child, {0, 0, 1}, {0, 0, 3});
    // One unit along the child's x from the pivot: (0, 0, -1) in the null, turned to (-1, 0, 0).
    expectPoint(child, {1, 0, 1}, {-1, 0, 3});
    // The child's origin, one unit behind the pivot: (-1, 0, 0) after the child's turn, so
    // (1, 0, 0) in the null and (0, 0, -1) after its turn.
    expectPoint(child, {0, 0, 0}, {0, 0, 4});
}

TEST(LwsPlayerV5Placement, BankThenPitchThenHeading) {
    LwsScene scene;
    ASSERT_FALSE(loadText(scene, header(0, 0) + "AddNullObject 10000000 Turned\n" +
                                     motionText({0, 0, 0, kQuarterTurn, kQuarterTurn,
                                                 kQuarterTurn, 1, 1, 1})));
    const SceneMatrix m = itemLocalMatrix(scene.objects.at(0), 0);
    // x: bank to +y, pitch to +z, heading to +x.
    expectPoint(m, {1, 0, 0}, {1, 0, 0});
    // y: bank to -x, pitch leaves it, heading to +z.
    expectPoint(m, {0, 1, 0}, {0, 0, 1});
    // z: bank leaves it, pitch (nose down) to -y, heading leaves it.
    expectPoint(m, {0, 0, 1}, {0, -1, 0});
}

// PivotRotation is written in degrees and turns the axes the motion turns about: a quarter
// heading of the pivot, then a quarter pitch from the motion, is pitched about the turned x.
// (The other order, the pivot's turn inside the motion's, takes +x to (0, 1, 5) instead.)
TEST(LwsPlayerV5Placement, PivotRotationTurnsOutsideTheMotion) {
    LwsScene scene;
    ASSERT_FALSE(loadText(scene, header(0, 0) + "AddNullObject 10000000 Turned\nPivotRotation 90 0 0\n" +
                                     motionText({0, 0, 5, 0, kQuarterTurn, 0, 1, 1, 1})))
        << scene.error();
    EXPECT_NEAR(scene.objects.at(0).pivotRotation[0], kQuarterTurn, 1e-15);
    const SceneMatrix m = itemLocalMatrix(scene.objects.at(0), 0);
    expectPoint(m, {0, 0, 1}, {0, -1, 5});
    expectPoint(m, {1, 0, 0}, {0, 0, 4});
    expectPoint(m, {0, 1, 0}, {1, 0, 5});
}

// A camera riding on a null that moves 10 units along x between frames 0 and 1, held two units
// up and five back from it; a light on the same null.
const std::string kRiderScene =
    header(0, 1) + "AddNullObject 10000000 Dolly\nNumChannels 1\n" +
    scenetest::channelText(0, {{0, 0}, {10, 1.0 / 30}}) +
    "AddLight 20000000\nLightName Lamp\nParentItem 10000000\n"
    "AddCamera 30000000\nCameraName Eye\nParentItem 10000000\n" +
    motionText({0, 2, -5, 0, 0, 0, 1, 1, 1});

TEST(LwsPlayerV5Placement, CameraAndLightFollowTheirParent) {
    LwsScene scene;
    ASSERT_FALSE(loadText(scene, kRiderScene)) << scene.error();
    EXPECT_EQ(scene.camera.parentIndex, 0);
    ASSERT_EQ(scene.lights.size(), 1u);
    EXPECT_EQ(scene.lights[0].parentIndex, 0);
    for (int frame = 0; frame < 2; ++frame) {
        const std::vector<SceneMatrix> objects = objectWorldMatrices(scene, frame);
        const double x = 10.0 * frame;
        expectPoint(parentedWorldMatrix(scene.camera, objects, frame), {0, 0, 0}, {x, 2, -5});
        expectPoint(parentedWorldMatrix(scene.lights[0], objects, frame), {0, 0, 0}, {x, 0, 0});
    }
}

// An object riding on the camera (a cockpit), and a light on a light: a camera at (0, 0, -5)
// turned a quarter heading, so its +z is the world's +x; the object two units ahead of it; a
// lamp at (0, 3, 0) and a second light one unit along the lamp's x.
TEST(LwsPlayerV5Placement, ObjectsAndLightsRideOnCamerasAndLights) {
    LwsScene scene;
    ASSERT_FALSE(loadText(scene, header(0, 0) + "AddNullObject 10000000 Cockpit\nParentItem 30000000\n" +
                                     motionText({0, 0, 2, 0, 0, 0, 1, 1, 1}) +
                                     "AddLight 20000000\nLightName Lamp\n" + motionText({0, 3, 0, 0, 0, 0, 1, 1, 1}) +
                                     "AddLight 20000001\nLightName Fill\nParentItem 20000000\n" +
                                     motionText({1, 0, 0, 0, 0, 0, 1, 1, 1}) +
                                     "AddCamera 30000000\nCameraName Eye\n" +
                                     motionText({0, 0, -5, kQuarterTurn, 0, 0, 1, 1, 1})))
        << scene.error();
    EXPECT_TRUE(scene.objectErrors().empty());
    EXPECT_EQ(scene.objects[0].parentKind, SceneItemKind::Camera);
    EXPECT_EQ(scene.lights[1].parentKind, SceneItemKind::Light);
    EXPECT_EQ(scene.lights[1].parentIndex, 0);
    const SceneWorlds worlds = sceneWorldMatrices(scene, 0);
    expectPoint(worlds.objects[0], {0, 0, 0}, {2, 0, -5});
    expectPoint(worlds.lights[1], {0, 0, 0}, {1, 3, 0});
    expectPoint(worlds.camera, {0, 0, 1}, {1, 0, -5});
}

TEST(LwsPlayerV5Placement, UnknownCameraParentIsLocatedAndLoopsEnd) {
    LwsScene scene;
    ASSERT_FALSE(loadText(scene, header(0, 0) + "AddCamera 30000000\nCameraName Eye\n"
                                                "ParentItem 10000009\n"));
    EXPECT_EQ(scene.camera.parentIndex, -1);
    ASSERT_EQ(scene.objectErrors().size(), 1u);
    EXPECT_EQ(scene.objectErrors()[0],
              "test.lws: line 8: camera Eye: parent 10000009 names no other item; left unparented");

    // Two nulls each naming the other: both are still placed, each once.
    LwsScene loop;
    ASSERT_FALSE(loadText(loop, header(0, 0) + "AddNullObject 10000000 A\nParentItem 10000001\n" +
                                    motionText({1, 0, 0, 0, 0, 0, 1, 1, 1}) +
                                    "AddNullObject 10000001 B\nParentItem 10000000\n" +
                                    motionText({0, 1, 0, 0, 0, 0, 1, 1, 1})));
    ASSERT_EQ(loop.objects[0].parentIndex, 1);
    ASSERT_EQ(loop.objects[1].parentIndex, 0);
    const std::vector<SceneMatrix> worlds = objectWorldMatrices(loop, 0);
    expectPoint(worlds[0], {0, 0, 0}, {1, 1, 0});
    expectPoint(worlds[1], {0, 0, 0}, {0, 1, 0});
}

TEST(LwsPlayerV5Placement, RealSceneFrameTwentyIsItsSecondKey) {
    REQUIRE_TESTDATA();
    LwsScene scene(scenetest::testdataDir() + "/lws/move_x.lws");
    scene.progress = nullptr;
    scene.loadTextures = false;
    ASSERT_FALSE(scene.load()) << scene.error();
    ASSERT_EQ(scene.objects.size(), 1u);
    ASSERT_TRUE(scene.objects[0].mesh);
    ASSERT_FALSE(scene.objects[0].mesh->polygons.empty());
    // FirstFrame is 1, so frame 20 (0.667 s, the second key: x 2.0691) is sample 19, and frame
    // 40 (the third key: x -2.3749) sample 39. y is the one key's -0.04.
    const double keyed[][2] = {{19, 2.0691125392913818}, {39, -2.3748657703399658}};
    for (const auto& k : keyed) {
        const SceneMatrix m = objectWorldMatrices(scene, static_cast<int64_t>(k[0]))[0];
        expectPoint(m, {0, 0, 0}, {k[1], -0.040000002831220627, 0});
    }
    expectPoint(parentedWorldMatrix(scene.camera, {}, 0), {0, 0, 0},
                {-0.10000002384185791, 0.94999998807907104, -6.384000301361084});
}

// Pixels: a camera at the origin looking along +z (its frame 640x480, as the test context's
// 800x600), a red square 0.4 wide around (0.5, 0, 0) of an object at (1, 1, 5); the camera
// moves to x 1.5 on the second frame.
const std::string kMarkerScene =
    header(0, 1) + "LoadObjectLayer 1 10000000 marker.lwo\n" +
    motionText({1, 1, 5, 0, 0, 0, 1, 1, 1}) + "AddCamera 30000000\nNumChannels 1\n" +
    scenetest::channelText(0, {{0, 0}, {1.5, 1.0 / 30}}) + "ZoomFactor 3.2\nFrameSize 640 480\n";

// One face, its corners clockwise seen from the front (-z) as LightWave orders them, stored
// negated as the mesh model stores points: drawn only if the player keeps both conventions.
void giveMarker(std::shared_ptr<LwoObject>& mesh) {
    mesh = std::make_shared<LwoObject>();
    const double corners[4][2] = {{0.3, 0.2}, {0.7, 0.2}, {0.7, -0.2}, {0.3, -0.2}};
    std::vector<Vec3> positions;
    for (const auto& c : corners) positions.push_back({static_cast<float>(-c[0]), static_cast<float>(-c[1]), 0.0f});
    MeshPolygon square;
    square.positions = positions;
    square.cornerCount = 4;
    square.colour = {1.0f, 0.0f, 0.0f};
    mesh->polygons.add(square);
}

// Where a point of the camera's view (x right, y up, z ahead) lands in the 800x600 frame. The
// zoom factor is the focal length over half the frame's height, so at distance z the frame is
// z / zoom high above its centre.
void pixelOf(const LwsScene& scene, double x, double y, double z, int& px, int& py) {
    const double halfHeight = z / scene.camera.zoomFactor;
    px = static_cast<int>(std::lround(400.0 + x / (halfHeight * 4.0 / 3.0) * 400.0));
    py = static_cast<int>(std::lround(300.0 + y / halfHeight * 300.0));
}

bool isRed(const testsupport::Rgb& c) { return c.r > 200 && c.g < 50 && c.b < 50; }
bool isBlack(const testsupport::Rgb& c) { return c.r < 20 && c.g < 20 && c.b < 20; }

TEST(LwsPlayerV5Frames, MarkerRightAndUpThenCameraCatchesUpThenWraps) {
    REQUIRE_GL();
    LwsScene scene;
    ASSERT_FALSE(loadText(scene, kMarkerScene)) << scene.error();
    giveMarker(scene.objects.at(0).mesh);
    // The square's centre is at (1.5, 1, 5) from the camera, then (0, 1, 5), then round again;
    // the places a mirrored view would put it stay dark.
    const double expectedCentre[][2] = {{1.5, 1.0}, {0.0, 1.0}, {1.5, 1.0}};
    for (int call = 0; call < 3; ++call) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        EXPECT_EQ(scene.play(), call % 2) << "call " << call;
        testsupport::saveForLooking("lws_player_v5_marker_" + std::to_string(call) + ".png");
        int x = 0, y = 0;
        pixelOf(scene, expectedCentre[call][0], expectedCentre[call][1], 5.0, x, y);
        EXPECT_TRUE(isRed(testsupport::readPixel(x, y)))
            << "call " << call << " at " << x << "," << y;
        EXPECT_TRUE(isBlack(testsupport::readPixel(x, 600 - y))) << "call " << call;
        if (expectedCentre[call][0] != 0.0) {
            EXPECT_TRUE(isBlack(testsupport::readPixel(800 - x, y))) << "call " << call;
        }
    }
}

// LightWave's default lens: zoom 3.2 (a 24 mm lens over a 15 mm high aperture) sees 34.71°
// from top to bottom, 2 atan(1 / 3.2); a zoom of 1 sees a right angle.
TEST(LwsPlayerV5Lens, ZoomFactorIsFocalLengthOverHalfTheFrameHeight) {
    SceneCamera camera;
    camera.zoomFactor = 3.2f;
    EXPECT_NEAR(lightWaveVerticalFieldOfView(camera), 34.70805, 1e-4);
    camera.zoomFactor = 1.0f;
    EXPECT_NEAR(lightWaveVerticalFieldOfView(camera), 90.0, 1e-9);
    camera.zoomFactor = 0.0f;
    EXPECT_EQ(lightWaveVerticalFieldOfView(camera), camera.fieldOfView);
}

TEST(LwsPlayerV5Frames, PlayReturnsSceneFramesAndWrapsAfterLastFrame) {
    REQUIRE_GL();
    LwsScene scene;
    ASSERT_FALSE(loadText(scene, kParentedScene));
    std::vector<int32_t> shown;
    for (int i = 0; i < 7; ++i) shown.push_back(i % 2 ? scene.playLimited(100) : scene.play());
    EXPECT_EQ(shown, (std::vector<int32_t>{1, 2, 3, 1, 2, 3, 1}));
}

// The frame a play() call draws, as the back buffer's RGBA bytes.
std::vector<unsigned char> playedFrame(LwsScene& scene) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene.play();
    std::vector<unsigned char> pixels(size_t(800) * 600 * 4);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Version 2 reads into the same items as version 5, so a scene and its version 5 save play the
// same frames, byte for byte, as docs/formats.md says of move_x.lws and its version 2 form.
TEST(LwsPlayerV5Frames, VersionTwoFramesAreThoseOfTheVersionFiveSave) {
    REQUIRE_GL();
    REQUIRE_TESTDATA();
    LwsScene two(scenetest::testdataDir() + "/lws/move_x_oldformat_56.lws");
    LwsScene five(scenetest::testdataDir() + "/lws/move_x.lws");
    for (LwsScene* scene : {&two, &five}) {
        scene->progress = nullptr;
        scene->loadTextures = false;
        ASSERT_FALSE(scene->load()) << scene->error();
    }
    const std::vector<unsigned char> black(size_t(800) * 600 * 4, 0);
    for (int frame = 1; frame <= 60; ++frame) {
        const std::vector<unsigned char> fromTwo = playedFrame(two);
        const std::vector<unsigned char> fromFive = playedFrame(five);
        if (frame % 10 != 1 && frame != 60) continue;  // the cube at rest, on its way and back
        testsupport::saveForLooking("lws_v2_frame_" + std::to_string(frame) + ".png");
        ASSERT_NE(fromFive, black) << "frame " << frame << " shows nothing to compare";
        EXPECT_TRUE(fromTwo == fromFive) << "frame " << frame;
    }
}

}  // namespace
