// Scene versions 4 and 5: items with hexadecimal ids, parents, pivots, envelopes baked over
// the scene's frame range, and what is skipped by structure. Version 2, read into the same
// model: per-channel motion, behaviours, degrees, and what it refuses.
#include "scene/lws_scene.h"
#include "tests/scene/scene_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

using scenetest::loadText;

constexpr double kTight = 1e-9;

// The baked value of `channel` at `frame`, indexed from the scene's first frame.
double sampleAt(const LwsScene& scene, const SceneItem& item, size_t channel, int frame) {
    const size_t index = static_cast<size_t>(frame - scene.firstFrame);
    if (channel >= item.samples.size() || index >= item.samples[channel].size()) {
        ADD_FAILURE() << "no sample of channel " << channel << " at frame " << frame;
        return 0.0;
    }
    return item.samples[channel][index];
}

// A real scene read with its objects (no GL: no textures).
std::unique_ptr<LwsScene> readReal(const std::string& name) {
    auto scene = std::make_unique<LwsScene>(scenetest::testdataDir() + "/lws/" + name);
    scene->progress = nullptr;
    scene->errors = nullptr;
    scene->loadTextures = false;
    EXPECT_FALSE(scene->load()) << scene->error();
    EXPECT_TRUE(scene->objectErrors().empty());
    return scene;
}

// The items every real version 5 scene here holds: one cube, one light, one camera.
void expectCubeLightCamera(const LwsScene& scene, int firstFrame, int lastFrame) {
    EXPECT_EQ(scene.header.version, 5);
    EXPECT_EQ(scene.firstFrame, firstFrame);
    EXPECT_EQ(scene.lastFrame, lastFrame);
    ASSERT_EQ(scene.objects.size(), 1u);
    const SceneItem& cube = scene.objects[0];
    EXPECT_EQ(cube.name, "simple_cube.lwo");
    EXPECT_EQ(cube.layerNumber, 1);
    EXPECT_EQ(cube.itemId, 0x10000000u);
    EXPECT_EQ(cube.parentIndex, -1);
    EXPECT_FALSE(cube.mesh->polygons.empty());
    ASSERT_EQ(cube.samples.size(), 9u);
    for (const SampleArray& samples : cube.samples) {
        EXPECT_EQ(samples.size(), static_cast<size_t>(lastFrame - firstFrame + 1));
    }
    ASSERT_EQ(scene.lights.size(), 1u);
    EXPECT_EQ(scene.lights[0].name, "Light");
    EXPECT_EQ(scene.lights[0].itemId, 0x20000000u);
    EXPECT_EQ(scene.camera.name, "Camera");
    EXPECT_EQ(scene.camera.itemId, 0x30000000u);
    EXPECT_EQ(scene.camera.samples.size(), 6u);
    EXPECT_GT(scene.skippedBlocks, 0);
    EXPECT_GT(scene.skippedKeywords, 0);
}

TEST(LwsVersion5Real, MoveXReadsItsItemsAndHoldsItsOneKeyChannels) {
    REQUIRE_TESTDATA();
    const auto scene = readReal("move_x.lws");
    expectCubeLightCamera(*scene, 1, 60);
    const SceneItem& cube = scene->objects[0];
    // One key: its value at every frame.
    EXPECT_DOUBLE_EQ(sampleAt(*scene, cube, 1, 1), -0.040000002831220627);
    EXPECT_DOUBLE_EQ(sampleAt(*scene, cube, 6, 60), 0.97975808382034302);
    EXPECT_DOUBLE_EQ(sampleAt(*scene, scene->camera, 2, 30), -6.384000301361084);
    // Channel 0's keys at frames 20 and 40 (2/3 s and 4/3 s).
    EXPECT_NEAR(sampleAt(*scene, cube, 0, 20), 2.0691125392913818, kTight);
    EXPECT_NEAR(sampleAt(*scene, cube, 0, 40), -2.3748657703399658, kTight);
}

// The values below were derived by hand from the keys (see test_envelope_eval.cpp's
// EnvelopeRealScenes, which derives them step by step).
TEST(LwsVersion5Real, PostOffsetRepeatBakesBeyondItsLastKey) {
    REQUIRE_TESTDATA();
    const auto scene = readReal("move_x_post_offset_repeat.lws");
    expectCubeLightCamera(*scene, 1, 120);
    const SceneItem& cube = scene->objects[0];
    const double v2 = -1.6381832361221313;
    EXPECT_NEAR(sampleAt(*scene, cube, 0, 10), 1.4413779942450644, kTight);
    EXPECT_NEAR(sampleAt(*scene, cube, 0, 30), 0.5023373078121037, kTight);
    EXPECT_DOUBLE_EQ(sampleAt(*scene, cube, 0, 20), 2.1381859973436792);
    EXPECT_NEAR(sampleAt(*scene, cube, 0, 49), 1.4413779942450644 + v2, kTight);
    EXPECT_NEAR(sampleAt(*scene, cube, 0, 69), 0.5023373078121037 + v2, kTight);
}

TEST(LwsVersion5Real, TwoDimensionalBezierSpans) {
    REQUIRE_TESTDATA();
    const auto scene = readReal("move_xz_bezier.lws");
    expectCubeLightCamera(*scene, 1, 120);
    const SceneItem& cube = scene->objects[0];
    EXPECT_NEAR(sampleAt(*scene, cube, 0, 10), 1.2079142224949995, 1e-8);
    EXPECT_NEAR(sampleAt(*scene, cube, 0, 40), 0.9682040858792167, 1e-8);
    EXPECT_DOUBLE_EQ(sampleAt(*scene, cube, 0, 20), 1.924918483918713);
    EXPECT_DOUBLE_EQ(sampleAt(*scene, cube, 0, 90), -0.52300345897674561);  // after: constant
}

TEST(LwsVersion5Real, BehavioursOnBothSidesOverANegativeRange) {
    REQUIRE_TESTDATA();
    const auto scene = readReal("move_y_pre_ofrep_post_osc.lws");
    expectCubeLightCamera(*scene, -240, 240);
    const SceneItem& cube = scene->objects[0];
    const double v2 = 0.98909872770309448;
    EXPECT_NEAR(sampleAt(*scene, cube, 1, 15), -0.07272784762522753, kTight);
    EXPECT_NEAR(sampleAt(*scene, cube, 1, 45), 0.6725735646274688, kTight);
    EXPECT_NEAR(sampleAt(*scene, cube, 1, 60), 0.5041333251129473, kTight);
    EXPECT_NEAR(sampleAt(*scene, cube, 1, 111), -0.063 * v2 / 1.7, kTight);
    EXPECT_NEAR(sampleAt(*scene, cube, 1, -30), -1.074626676510362, kTight);
    EXPECT_DOUBLE_EQ(sampleAt(*scene, cube, 1, 51), v2);
}

// A null parent, a child with a pivot, a parent id that names nothing, and settings that are
// skipped by structure even where they hold keywords the reader knows.
TEST(LwsVersion5, ParentsPivotsNullsAndSkippedStructure) {
    const std::string text =
        "LWSC\n4\nFirstFrame 0\nLastFrame 2\nFramesPerSecond 2\n"
        "AddNullObject 1000000A pivot\n"
        "{ Settings\n  { Inner\n    LoadObjectLayer 1 10000005 hidden.lwo\n  }\n}\n"
        "LoadObjectLayer 2 1000000B child.lwo\nParentItem 1000000a\nPivotPosition 1 -2 0.5\n"
        "NumChannels 1\nChannel 0\n{ Envelope\n  2\n  Key 0 0 3 0 0 0 0 0 0\n"
        "  Key 4 1 3 0 0 0 0 0 0\n  Behaviors 1 1\n}\n"
        "Plugin ItemMotionHandler 1 Mover\n{ Block\n  AddLight 20000000\n}\nEndPlugin\n"
        "SomeSetting 3\n"
        "AddNullObject 1000000C orphan\nParentItem 2FFFFFFF\n";
    LwsScene scene;
    scenetest::loadQuietly(scene, text);
    EXPECT_EQ(scene.header.version, 4);
    ASSERT_EQ(scene.objects.size(), 3u);
    EXPECT_TRUE(scene.lights.empty());
    EXPECT_TRUE(scene.objects[0].isNull);
    EXPECT_EQ(scene.objects[0].itemId, 0x1000000Au);
    const SceneItem& child = scene.objects[1];
    EXPECT_EQ(child.name, "child.lwo");
    EXPECT_EQ(child.layerNumber, 2);
    EXPECT_EQ(child.parentIndex, 0);
    EXPECT_DOUBLE_EQ(child.pivot[0], 1.0);
    EXPECT_DOUBLE_EQ(child.pivot[1], -2.0);
    EXPECT_DOUBLE_EQ(child.pivot[2], 0.5);
    // Linear from 0 at 0 s to 4 at 1 s, two frames a second, constant after.
    ASSERT_EQ(child.samples.size(), 1u);
    EXPECT_EQ(child.samples[0], (SampleArray{0.0, 2.0, 4.0}));
    EXPECT_EQ(scene.objects[2].parentIndex, -1);
    ASSERT_EQ(scene.objectErrors().size(), 1u);
    EXPECT_EQ(scene.objectErrors()[0],
              "test.lws: line 30: object orphan: parent 2FFFFFFF names no other item; left unparented");
    EXPECT_EQ(scene.skippedBlocks, 2);  // the settings block and the plugin
    EXPECT_EQ(scene.skippedKeywords, 1);
}

TEST(LwsVersion5, DamagedIdsAndBoundsAreLocatedRefusals) {
    LwsScene damaged;
    damaged.errors = nullptr;
    EXPECT_TRUE(loadText(damaged, "LWSC\n5\nAddNullObject 1000000A a\nAddNullObject xyz b\n"));
    EXPECT_EQ(damaged.error(), "test.lws: line 4: item id \"xyz\" is not hexadecimal");
    EXPECT_EQ(damaged.objects.size(), 1u);

    std::string tenChannels = "LWSC\n5\nLastFrame 1\nAddNullObject 10000000 n\n";
    for (int c = 0; c < 10; ++c) tenChannels += scenetest::channelText(c, {{1, 0}});
    LwsScene crowded;
    crowded.errors = nullptr;
    EXPECT_TRUE(loadText(crowded, tenChannels));
    EXPECT_NE(crowded.error().find("more than 9 channels in one item"), std::string::npos);
    EXPECT_TRUE(crowded.objects.empty());

    LwsScene longRange;
    longRange.errors = nullptr;
    EXPECT_TRUE(loadText(longRange, "LWSC\n5\nFirstFrame 0\nLastFrame 2000000000\n"
                                    "AddNullObject 10000000 n\n" +
                                        scenetest::channelText(0, {{1, 0}})));
    EXPECT_NE(longRange.error().find("frames in the scene's range"), std::string::npos);
    EXPECT_TRUE(longRange.objects.empty());
}

// ---- version 2 --------------------------------------------------------------------------

// The same scene saved as version 2 and as version 5: the same items and the same motion at
// every frame of the range. The older file writes seven digits (2.069113 for
// 2.0691125392913818), so the two differ by up to 3e-6.
TEST(LwsVersion2Real, MovesAsTheSameSceneSavedAsVersion5) {
    REQUIRE_TESTDATA();
    const auto v2 = readReal("move_x_oldformat_56.lws");
    const auto v5 = readReal("move_x.lws");
    EXPECT_EQ(v2->header.version, 2);
    EXPECT_EQ(v2->firstFrame, 1);
    EXPECT_EQ(v2->lastFrame, 60);
    ASSERT_EQ(v2->objects.size(), 1u);
    ASSERT_EQ(v2->lights.size(), 1u);
    EXPECT_EQ(v2->objects[0].name, "simple_cube.lwo");
    EXPECT_FALSE(v2->objects[0].mesh->polygons.empty());
    EXPECT_EQ(v2->lights[0].name, "Light");
    EXPECT_EQ(v2->camera.cameraName, "Camera");
    const std::pair<const SceneItem*, const SceneItem*> pairs[] = {
        {&v2->objects[0], &v5->objects[0]}, {&v2->camera, &v5->camera}, {&v2->lights[0], &v5->lights[0]}};
    for (const auto& [older, newer] : pairs) {
        ASSERT_EQ(older->samples.size(), newer->samples.size()) << older->name;
        for (size_t c = 0; c < older->samples.size(); ++c) {
            for (int frame = 1; frame <= 60; ++frame) {
                EXPECT_NEAR(sampleAt(*v2, *older, c, frame), sampleAt(*v5, *newer, c, frame), 1e-5)
                    << older->name << " channel " << c << " frame " << frame;
            }
        }
    }
    // Frame 20 is 2/3 s, the middle key's time as far as 0.6666667 holds it: the cube is where
    // that key puts it. The light's heading is written as 45 degrees.
    EXPECT_NEAR(sampleAt(*v2, v2->objects[0], 0, 20), 2.069113, 1e-6);
    EXPECT_NEAR(sampleAt(*v2, v2->lights[0], 3, 1), std::atan(1.0), kTight);
    EXPECT_FLOAT_EQ(v2->lights[0].lightColour[0], v5->lights[0].lightColour[0]);
    EXPECT_FLOAT_EQ(v2->camera.fieldOfView, v5->camera.fieldOfView);
}

// Behaviours pair with channels in order, pre then post; angles become radians; plugin blocks
// are skipped whole; lights and cameras keep their settings.
TEST(LwsVersion2, BehavioursAnglesAndItemSettings) {
    const std::string text =
        "LWSC\n2\nFirstFrame -1\nLastFrame 3\nFramesPerSecond 1\n"
        "LoadObject a.lwo\nObjectMotion (unnamed)\n  4\n"
        "  2\n  5 0 2 0 0 0\n  5 1 2 0 0 0\n"   // channel 0: 5 from 0 s to 1 s
        "  2\n  7 0 2 0 0 0\n  7 1 2 0 0 0\n"   // channel 1: 7 likewise
        "  1\n  0 0 2 0 0 0\n"
        "  1\n  90 0 2 0 0 0\n"                 // heading: 90 degrees
        "Pre/PostBehavior 1 0 0 1 1 1 1 1\n"     // 0: constant, reset; 1: reset, constant
        "Plugin ObjectHandler 1 Mover\nLoadObject hidden.lwo\nEndPlugin\n"
        "AddLight\nLightName Lamp\nLightColor 255 51 0\nLgtIntensity 0.5\nLightType 1\n"
        "AddCamera\nCameraName Cam\nZoomFactor 2\nCustomSize 320 240\n";
    LwsScene scene;
    scenetest::loadQuietly(scene, text);
    ASSERT_EQ(scene.objects.size(), 1u);
    const SceneItem& object = scene.objects[0];
    EXPECT_EQ(object.numChannels, 4);
    ASSERT_EQ(object.samples.size(), 4u);
    // Frames -1 to 3 are -1 s to 3 s.
    const double pi = 4.0 * std::atan(1.0);
    const SampleArray expected[] = {{5, 5, 5, 0, 0}, {0, 7, 7, 7, 7}, {0, 0, 0, 0, 0},
                                    {pi / 2, pi / 2, pi / 2, pi / 2, pi / 2}};
    for (size_t c = 0; c < 4; ++c) {
        for (int frame = -1; frame <= 3; ++frame) {
            EXPECT_NEAR(sampleAt(scene, object, c, frame), expected[c][static_cast<size_t>(frame + 1)],
                        kTight)
                << "channel " << c << " frame " << frame;
        }
    }
    EXPECT_EQ(scene.skippedBlocks, 1);
    ASSERT_EQ(scene.lights.size(), 1u);
    const SceneLight& lamp = scene.lights[0];
    EXPECT_EQ(lamp.name, "Lamp");
    EXPECT_FLOAT_EQ(lamp.lightColour[0], 1.0f);
    EXPECT_FLOAT_EQ(lamp.lightColour[1], 0.2f);
    EXPECT_FLOAT_EQ(lamp.lightIntensity, 0.5f);
    EXPECT_FLOAT_EQ(lamp.lightType, 1.0f);
    EXPECT_EQ(scene.camera.cameraName, "Cam");
    EXPECT_FLOAT_EQ(scene.camera.frameWidth, 320.0f);
    EXPECT_FLOAT_EQ(scene.camera.fieldOfView, LwsScene::computeFieldOfView(320, 240, 1, 2));
}

TEST(LwsVersion2, UnknownInterpolationsAndBoundsAreLocatedRefusals) {
    LwsScene unknown;
    unknown.errors = nullptr;
    EXPECT_TRUE(loadText(unknown, "LWSC\n2\nLoadObject a.lwo\nObjectMotion (unnamed)\n  1\n"
                                  "  2\n  0 0 2 0 0 0\n  1 1 3 0 0 0\n"));
    EXPECT_EQ(unknown.error(), "test.lws: line 8: key interpolation 3 is not known in version 2 "
                               "(2, read as TCB, is the only one known)");
    ASSERT_EQ(unknown.objects.size(), 1u);  // what came before the damage stays
    ASSERT_EQ(unknown.objects[0].channels.size(), 1u);
    EXPECT_EQ(unknown.objects[0].channels[0].envelope.keys.size(), 1u);

    std::string tenChannels = "LWSC\n2\nLoadObject a.lwo\nObjectMotion (unnamed)\n  10\n";
    for (int c = 0; c < 10; ++c) tenChannels += "  1\n  0 0 2 0 0 0\n";
    LwsScene crowded;
    crowded.errors = nullptr;
    EXPECT_TRUE(loadText(crowded, tenChannels));
    EXPECT_NE(crowded.error().find("more than 9 channels in one item"), std::string::npos);
    EXPECT_TRUE(crowded.objects.empty());

    std::string manyLights = "LWSC\n2\n";
    for (int i = 0; i <= kMaxSceneItems; ++i) manyLights += "AddLight\n";
    LwsScene lit;
    lit.errors = nullptr;
    EXPECT_TRUE(loadText(lit, manyLights));
    EXPECT_EQ(lit.error(), "test.lws: line 1027: more than 1024 items (objects, cameras and lights)");
    EXPECT_TRUE(lit.lights.empty());
}

}  // namespace
