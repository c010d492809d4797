#include "scene/lws_scene.h"

#include "scene_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

using scenetest::channelsText;
using scenetest::channelText;
using scenetest::loadText;

namespace {

std::string dotsIn(const std::string& text) {
    std::string dots;
    for (char c : text) {
        if (c == '.') dots += c;
    }
    return dots;
}

TEST(LwsHeader, TheSecondTokenAloneChoosesTheReader) {
    const std::string body = "\nLoadObjectLayer 1 a.lwo\nNumChannels 0\n";
    LwsScene v3;
    EXPECT_FALSE(loadText(v3, "ANYTHING 3" + body));
    EXPECT_EQ(v3.header.magic, "ANYTHING");
    EXPECT_EQ(v3.header.version, 3);
    EXPECT_EQ(v3.objects.size(), 1u);

    LwsScene v1;
    EXPECT_FALSE(loadText(v1, "LWSC 1\nLoadObject a.lwo\n"));
    EXPECT_EQ(v1.v1Objects.size(), 1u);

    // Version 2 is read since (test_lws_reader_v5.cpp); 6 is past every version read.
    for (const char* header : {"LWSC 6", "LWSC 5", "LWSC three", "LWSC"}) {
        LwsScene other;
        EXPECT_TRUE(loadText(other, header + body)) << header;
        EXPECT_TRUE(other.objects.empty()) << header;
        EXPECT_TRUE(other.v1Objects.empty()) << header;
        EXPECT_FALSE(other.error().empty()) << header;
    }
}

TEST(LwsVersion3, SettingsArePrintedWithTheirOwnLabels) {
    std::ostringstream out;
    LwsScene scene;
    loadText(scene,
             "LWSC 3\nFirstFrame 1\nLastFrame 60\nFrameStep 2\nFramesPerSecond 25\n"
             "PreviewFirstFrame 4\nPreviewLastFrame 50\nPreviewFrameStep 3\n",
             &out);
    EXPECT_EQ(out.str(),
              "\nFirstFrame: 1\n\nLAstFrame: 60\n\nFrameStep: 2\n\nFramesPerSec: 25\n");
    EXPECT_EQ(scene.firstFrame, 1);
    EXPECT_EQ(scene.lastFrame, 60);
    EXPECT_EQ(scene.frameStep, 2);
    EXPECT_EQ(scene.framesPerSecond, 25);
    EXPECT_EQ(scene.previewFirstFrame, 4);
    EXPECT_EQ(scene.previewLastFrame, 50);
    EXPECT_EQ(scene.previewFrameStep, 3);
}

TEST(LwsVersion3, EveryUnknownTokenPrintsOneDot) {
    std::ostringstream out;
    LwsScene scene;
    loadText(scene, "LWSC 3\nRenderRangeType 0 x\n", &out);
    EXPECT_EQ(out.str(), "...");
    // Keywords are matched exactly and case-sensitively.
    std::ostringstream lower;
    LwsScene other;
    loadText(other, "LWSC 3\nfirstframe 3\n", &lower);
    EXPECT_EQ(lower.str(), "..");
}

TEST(LwsVersion3, ObjectBlockEndsAfterItsLastAnnouncedChannel) {
    std::ostringstream out;
    LwsScene scene;
    const std::string text = "LWSC 3\nFramesPerSecond 30\nLoadObjectLayer 2 Objects/box.lwo\n"
                             "ShowObject 7 -1\nObjectMotion\n" +
                             channelsText(9, {{0, 0}, {1, 1}}) + "After Lines\n";
    loadText(scene, text, &out);
    ASSERT_EQ(scene.objects.size(), 1u);
    const SceneItem& object = scene.objects[0];
    EXPECT_EQ(object.layerNumber, 2);
    EXPECT_EQ(object.name, "Objects/box.lwo");
    EXPECT_EQ(object.showPair[0], 7);
    EXPECT_EQ(object.showPair[1], -1);
    EXPECT_EQ(object.numChannels, 9);
    ASSERT_EQ(object.channels.size(), 9u);
    ASSERT_EQ(object.samples.size(), 9u);
    EXPECT_EQ(object.samples[8].size(), 30u);
    // The last channel's "Behaviors 1 1 }" and the two words after the block are the main
    // loop's: six dots.
    EXPECT_EQ(dotsIn(out.str()), "......");
}

TEST(LwsVersion3, EnvelopeEndsAtItsKeyCountTrailingBehaviorsAreReadAhead) {
    LwsScene scene;
    loadText(scene, "LWSC 3\nLoadObjectLayer 1 a.lwo\nNumChannels 2\n" +
                        channelText(0, {{4.5, 0}}) + channelText(1, {{1, 0}, {2, 0.5}}));
    ASSERT_EQ(scene.objects.size(), 1u);
    ASSERT_EQ(scene.objects[0].channels.size(), 2u);
    const Envelope& one = scene.objects[0].channels[0].envelope;
    EXPECT_EQ(one.keyCount, 1);
    ASSERT_EQ(one.keys.size(), 1u);
    EXPECT_DOUBLE_EQ(one.keys[0].value, 4.5);
    // The "Behaviors 1 1" after the key is read ahead, and still left to the loops (the dots
    // of the test above).
    EXPECT_TRUE(one.behaviorsGiven);
    EXPECT_EQ(one.preBehavior, 1);
    EXPECT_EQ(one.postBehavior, 1);
    EXPECT_TRUE(scene.objects[0].samples[0].empty());
    // "Behaviors" before the last key is read.
    LwsScene early;
    loadText(early, "LWSC 3\nLoadObjectLayer 1 a.lwo\nNumChannels 1\nChannel 5 { Envelope 1 "
                    "Behaviors 2 3 Key 1 0 0 0 0 0 0 0 0 }\n");
    const EnvelopeChannel& channel = early.objects.at(0).channels.at(0);
    EXPECT_EQ(channel.channelIndex, 5);
    EXPECT_EQ(channel.envelope.preBehavior, 2);
    EXPECT_EQ(channel.envelope.postBehavior, 3);
}

// After the last key a version 3 channel follows the post behaviour its Behaviors line gives,
// up to the scene's last frame, along the curve it is baked by; a constant one, or none, keeps
// the samples ending one frame before the last key, as they always did, and the text reads as
// before (the progress dots are the same whatever the line says).
TEST(LwsVersion3, PostBehavioursAfterTheLastKeyAreFollowed) {
    auto scene = [](const std::string& behaviors, std::ostringstream& out) {
        auto loaded = std::make_unique<LwsScene>();
        loadText(*loaded,
                 "LWSC 3\nLastFrame 30\nFramesPerSecond 10\nLoadObjectLayer 1 a.lwo\nNumChannels 1\n"
                 "Channel 0\n{ Envelope\n  2\n  Key 0 0 0 0 0 0 0 2 0\n  Key 10 1 0 0 0 0 5 0 0\n" +
                     behaviors + "}\nAfter Lines\n",
                 &out);
        return loaded;
    };
    std::ostringstream noneOut, constantOut, repeatOut, offsetOut, linearOut, resetOut;
    const auto none = scene("", noneOut);
    const auto constant = scene("  Behaviors 1 1\n", constantOut);
    const auto repeat = scene("  Behaviors 1 2\n", repeatOut);
    const auto offset = scene("  Behaviors 1 4\n", offsetOut);
    const auto linear = scene("  Behaviors 1 5\n", linearOut);
    const auto reset = scene("  Behaviors 0 0\n", resetOut);
    const SampleArray& held = constant->objects.at(0).samples.at(0);
    ASSERT_EQ(none->objects.at(0).samples.at(0), held);
    ASSERT_EQ(held.size(), 10u);
    EXPECT_EQ(repeatOut.str(), constantOut.str());
    EXPECT_EQ(dotsIn(repeatOut.str()), dotsIn(constantOut.str()));

    const SampleArray& again = repeat->objects.at(0).samples.at(0);
    ASSERT_EQ(again.size(), 31u);  // frames 0 to 30
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(again[i], held[i]) << i;
    EXPECT_DOUBLE_EQ(again[10], 10.0);  // the last key itself
    for (size_t i = 11; i <= 30; ++i) EXPECT_NEAR(again[i], held[i % 10], 1e-9) << i;

    const SampleArray& climbing = offset->objects.at(0).samples.at(0);
    ASSERT_EQ(climbing.size(), 31u);
    EXPECT_NEAR(climbing[15], held[5] + 10.0, 1e-9);
    EXPECT_NEAR(climbing[27], held[7] + 20.0, 1e-9);

    // The last span arrives with the tangent 5 stored in its last key: 5 a second.
    const SampleArray& line = linear->objects.at(0).samples.at(0);
    ASSERT_EQ(line.size(), 31u);
    EXPECT_NEAR(line[20], 10.0 + 5.0 * 1.0, 1e-9);

    const SampleArray& zero = reset->objects.at(0).samples.at(0);
    ASSERT_EQ(zero.size(), 31u);
    EXPECT_EQ(zero[12], 0.0);
}

TEST(LwsVersion3, EnvelopeKeysKeepAllNineNumbersInOrder) {
    LwsScene scene;
    loadText(scene, "LWSC 3\nLoadObjectLayer 1 a.lwo\nNumChannels 1\nChannel 0\n{ Envelope 1\n"
                    "Key 1 2 3 4 5 6 7 8 9\n}\n");
    const EnvelopeKey& k = scene.objects.at(0).channels.at(0).envelope.keys.at(0);
    const double expected[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const double got[] = {k.value,  k.time,   k.shape,  k.param1, k.param2,
                          k.param3, k.param4, k.param5, k.param6};
    for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(got[i], expected[i]) << i;
}

TEST(LwsVersion3, ObjectsBakeWithTheRateReadSoFarOrThirty) {
    LwsScene scene;
    loadText(scene, "LWSC 3\nLoadObjectLayer 1 a.lwo\n" + channelsText(1, {{0, 0}, {1, 1}}) +
                        "FramesPerSecond 10\nLoadObjectLayer 1 b.lwo\n" +
                        channelsText(1, {{0, 0}, {1, 1}}));
    ASSERT_EQ(scene.objects.size(), 2u);
    EXPECT_EQ(scene.objects[0].samples[0].size(), 30u);
    EXPECT_EQ(scene.objects[1].samples[0].size(), 10u);
}

TEST(LwsVersion3, CameraBlockReadsTheLensAndItsFieldOfView) {
    LwsScene scene;
    loadText(scene, "LWSC 3\nAddCamera 0\nCameraName Cam\nShowCamera 1 -1\nCameraMotion\n" +
                        channelsText(6, {{0, 0}, {1, 1}}) +
                        "ZoomFactor 3.2\nFrameSize 640 480\nPixelAspect 2.5\n"
                        "LoadObjectLayer 1 a.lwo\nNumChannels 0\n");
    const SceneCamera& camera = scene.camera;
    EXPECT_EQ(camera.cameraName, "Cam");
    EXPECT_EQ(camera.numChannels, 6);
    EXPECT_EQ(camera.samples.size(), 6u);
    EXPECT_FLOAT_EQ(camera.frameWidth, 640.0f);
    EXPECT_FLOAT_EQ(camera.frameHeight, 480.0f);
    EXPECT_FLOAT_EQ(camera.pixelAspect, 2.5f);
    EXPECT_NEAR(camera.fieldOfView, 45.241, 0.001);  // the pixel aspect plays no part
    EXPECT_EQ(scene.objects.size(), 1u);
}

// A block without the line that ends it (an object's NumChannels or its last channel, a
// camera's PixelAspect, a light's LightType) ends where the next item begins, with a located
// line; the items after it are all read.
TEST(LwsVersion3, ABlockWithoutItsLastLineEndsAtTheNextItem) {
    LwsScene scene;
    scene.errors = nullptr;
    EXPECT_FALSE(loadText(scene, "LWSC\n3\nFirstFrame 1\nLastFrame 10\nFramesPerSecond 10\n"
                                 "LoadObjectLayer 1 a.lwo\nLoadObjectLayer 1 b.lwo\nNumChannels 2\n" +
                                 channelText(0, {{0, 0}, {1, 1}}) +
                                 "AddLight\nLightName Sun\nAddCamera\nCameraName Cam\n"
                                 "ZoomFactor 2\nFrameSize 320 240\n"
                                 "AddLight\nLightName Fill\nLightType 1\n"));
    ASSERT_EQ(scene.objects.size(), 2u);
    EXPECT_EQ(scene.objects[1].name, "b.lwo");
    EXPECT_EQ(scene.objects[1].channels.size(), 1u);
    ASSERT_EQ(scene.lights.size(), 2u);
    EXPECT_EQ(scene.lights[0].name, "Sun");
    EXPECT_EQ(scene.lights[1].lightType, 1.0f);
    EXPECT_EQ(scene.camera.cameraName, "Cam");
    EXPECT_FLOAT_EQ(scene.camera.zoomFactor, 2.0f);
    EXPECT_NEAR(scene.camera.fieldOfView, LwsScene::computeFieldOfView(320, 240, 1, 2), 1e-5);
    const std::vector<std::string> expected = {
        "test.lws: line 6: object a.lwo has no NumChannels before the next item, at line 7; it ends there",
        "test.lws: line 7: object b.lwo has 1 of its 2 channels before the next item, at line 16; it "
        "ends there",
        "test.lws: line 16: light Sun has no LightType before the next item, at line 18; it ends there",
        "test.lws: line 18: camera Cam has no PixelAspect before the next item, at line 22; it ends "
        "there",
    };
    EXPECT_EQ(scene.warnings(), expected);
    EXPECT_EQ(scene.reasons(), expected);
}

TEST(LwsVersion3, CameraDefaultsAndTheSecondCameraWins) {
    LwsScene defaults;
    loadText(defaults, "LWSC 3\nAddCamera\nPixelAspect 1\n");
    EXPECT_FLOAT_EQ(defaults.camera.frameWidth, 640.0f);
    EXPECT_FLOAT_EQ(defaults.camera.frameHeight, 480.0f);
    EXPECT_FLOAT_EQ(defaults.camera.zoomFactor, 3.2f);
    EXPECT_EQ(defaults.camera.numChannels, 1);

    LwsScene two;
    loadText(two, "LWSC 3\nAddCamera\nCameraName First\nNumChannels 1\n" +
                      channelText(0, {{0, 0}, {1, 1}}) + "PixelAspect 1\n" +
                      "AddCamera\nCameraName Second\nZoomFactor 1\nPixelAspect 1\n");
    EXPECT_EQ(two.camera.cameraName, "Second");
    EXPECT_TRUE(two.camera.channels.empty());
    EXPECT_FLOAT_EQ(two.camera.zoomFactor, 1.0f);
}

TEST(LwsVersion3, LightsAreKeptAndListedAfterEachBlock) {
    std::ostringstream out;
    LwsScene scene;
    loadText(scene, "LWSC 3\nAddLight\nLightName Key\nShowLight 1 -1\n" +
                        channelsText(2, {{0, 0}}) +
                        "LightColor 1 0.5 0.25\nLightIntensity 0.8\nLightType 1\n"
                        "AddLight\nLightName Fill\nLightType 0\n",
             &out);
    ASSERT_EQ(scene.lights.size(), 2u);
    EXPECT_FLOAT_EQ(scene.lights[0].lightColour[1], 0.5f);
    EXPECT_FLOAT_EQ(scene.lights[0].lightIntensity, 0.8f);
    EXPECT_FLOAT_EQ(scene.lights[0].lightType, 1.0f);
    const std::string keyEntry =
        "\n\nKey\n\n1 -1\nnr channels: 2\nchannels size: 2\nchannel nr: 0\nchannel nr: 1\n";
    const std::string fillEntry = "\n\nFill\n\n0 0\nnr channels: 0\nchannels size: 0\n";
    // The last channel's trailing "Behaviors 1 1 }" is skipped by the light block itself.
    EXPECT_EQ(out.str(), keyEntry + keyEntry + fillEntry);
}

TEST(LwsVersion1, SettingsObjectsAndMotionAreRead) {
    LwsScene scene;
    const bool failed = loadText(scene,
                                 "LWSC\n1\n\nFirstFrame 5\nLastFrame 60\nFrameStep 2\n"
                                 "FramesPerSecond 25\n\nLoadObject Objects\\ball.lwo\n"
                                 "ShowObject 6 7\nObjectMotion (unnamed)\n  9\n  2\n"
                                 "  0 0 0 0 0 0 1 1 1\n  0 0 0 0 0\n"
                                 "  10 20 30 90 45 0 2 2 2\n  10 0 0 0 0\n"
                                 "ZoomFactor 2.0\nCustomSize 800 600\nPixelAspectRatio 1.5\n");
    EXPECT_FALSE(failed);
    EXPECT_EQ(scene.firstFrame, 0);  // version 1 stores no frame range
    EXPECT_EQ(scene.lastFrame, 0);
    EXPECT_EQ(scene.v1FrameStep, 2);
    EXPECT_EQ(scene.v1FramesPerSecond, 25);
    ASSERT_EQ(scene.v1Objects.size(), 1u);
    const SceneObjectV1& object = scene.v1Objects[0];
    EXPECT_EQ(object.name, "Objects\\ball.lwo");
    EXPECT_EQ(object.showPair[1], 7);
    EXPECT_EQ(object.motion.motionName, "(unnamed)");
    EXPECT_EQ(object.motion.channelCount, 9);
    ASSERT_EQ(object.motion.keys.size(), 2u);
    EXPECT_EQ(object.motion.keys[1].params[0], 10);
    ASSERT_EQ(object.motion.samples.size(), 10u);
    EXPECT_DOUBLE_EQ(object.motion.samples[0].channel[0], 1.0);
    EXPECT_DOUBLE_EQ(object.motion.samples[9].channel[3], 90.0);
    EXPECT_FLOAT_EQ(scene.v1ZoomFactor, 2.0f);
    EXPECT_FLOAT_EQ(scene.v1FrameWidth, 800.0f);
    EXPECT_FLOAT_EQ(scene.v1PixelAspect, 1.5f);
    EXPECT_NEAR(scene.v1FieldOfView, LwsScene::computeFieldOfView(800, 600, 1.5f, 2.0f), 1e-5);
}

TEST(LwsVersion1, CameraMotionChainsKeyPairsAndPrintsNothing) {
    std::ostringstream out;
    LwsScene scene;
    loadText(scene,
             "LWSC 1\nUnknown words\nCameraMotion cam 9 3\n"
             "0 0 0 0 0 0 1 1 1 0 0 0 0 0\n3 0 0 0 0 0 1 1 1 3 0 0 0 0\n"
             "3 6 0 0 0 0 1 1 1 5 0 0 0 0\n",
             &out);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(scene.v1CameraMotion.keys.size(), 3u);
    ASSERT_EQ(scene.v1CameraMotion.samples.size(), 5u);
    EXPECT_DOUBLE_EQ(scene.v1CameraMotion.samples[2].channel[0], 3.0);
    EXPECT_DOUBLE_EQ(scene.v1CameraMotion.samples[4].channel[1], 6.0);
    EXPECT_NEAR(scene.v1FieldOfView, 45.241, 0.001);
}

TEST(LwsDamage, MissingFileGivesAnEmptySceneAndAReason) {
    LwsScene scene("/nonexistent/folder/none.lws");
    scene.progress = nullptr;
    EXPECT_TRUE(scene.load());
    EXPECT_NE(scene.error().find("/nonexistent/folder/none.lws"), std::string::npos);
    EXPECT_EQ(scene.header.version, 0);
    EXPECT_TRUE(scene.objects.empty());

    LwsScene folder(testsupport::tempFolder());
    EXPECT_TRUE(folder.load());
    EXPECT_NE(folder.error().find("is a directory"), std::string::npos);
}

TEST(LwsDamage, TruncatedFilesKeepTheItemsReadSoFar) {
    const std::string full = "LWSC 3\nLoadObjectLayer 1 a.lwo\n" +
                             channelsText(1, {{0, 0}, {1, 1}}) + "LoadObjectLayer 1 b.lwo\n" +
                             channelsText(2, {{0, 0}, {1, 1}});
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        LwsScene scene;
        loadText(scene, full.substr(0, cut));
        EXPECT_LE(scene.objects.size(), 2u);
        for (const SceneItem& object : scene.objects) {
            EXPECT_EQ(object.samples.size(), object.channels.size());
            for (const EnvelopeChannel& channel : object.channels) {
                EXPECT_LE(channel.envelope.keys.size(), 2u);
            }
        }
    }
    LwsScene cutInSecondKey;
    const size_t secondKeyOfB = full.rfind("Key 1 1");
    loadText(cutInSecondKey, full.substr(0, secondKeyOfB + 9));
    ASSERT_EQ(cutInSecondKey.objects.size(), 2u);
    EXPECT_EQ(cutInSecondKey.objects[1].channels.back().envelope.keys.size(), 1u);
}

TEST(LwsDamage, MalformedNumbersStopTheReaderWithALocatedReason) {
    LwsScene scene;
    EXPECT_TRUE(loadText(scene, "LWSC 3\nFramesPerSecond 30\nLoadObjectLayer 1 a.lwo\n"
                                "NumChannels 1\nChannel 0\n{ Envelope 1\n"
                                "Key 1 nan 0 0 0 0 0 0 0\n}\n"
                                "LoadObjectLayer 1 b.lwo\nNumChannels 0\n"));
    EXPECT_EQ(scene.error(), "test.lws: line 7: expected a number, found \"nan\"");
    ASSERT_EQ(scene.objects.size(), 1u);
    ASSERT_EQ(scene.objects[0].channels.size(), 1u);
    EXPECT_TRUE(scene.objects[0].channels[0].envelope.keys.empty());

    for (const char* bad : {"12abc", "99999999999", "-", "1e999", "0x"}) {
        LwsScene other;
        EXPECT_TRUE(loadText(other, std::string("LWSC 3\nFirstFrame ") + bad + "\nLastFrame 7\n"))
            << bad;
        EXPECT_EQ(other.lastFrame, 0) << bad;
    }
}

TEST(LwsDamage, HugeCountsAndRatesStayBounded) {
    LwsScene scene;
    loadText(scene, "LWSC 3\nFramesPerSecond 2147483647\nLoadObjectLayer 1 a.lwo\n"
                    "NumChannels 2147483647\nChannel 0 { Envelope 2147483647\n"
                    "Key 0 0 0 0 0 0 0 0 0\nKey 1 1e300 0 0 0 0 0 0 0\n");
    ASSERT_EQ(scene.objects.size(), 1u);
    EXPECT_EQ(scene.objects[0].samples[0].size(), static_cast<size_t>(kMaxSamplesPerChannel));

    LwsScene v1;
    loadText(v1, "LWSC 1\nLoadObject a.lwo ObjectMotion m 9 2147483647\n"
                 "0 0 0 0 0 0 0 0 0 -2147483648 0 0 0 0\n0 0 0 0 0 0 0 0 0 2147483647 0 0 0 0\n"
                 "0 0 0 0 0 0 0 0 0 -2147483648 0 0 0 0\n0 0 0 0 0 0 0 0 0 2147483647 0 0 0 0\n");
    EXPECT_EQ(v1.v1Objects.at(0).motion.samples.size(),
              static_cast<size_t>(kMaxSamplesPerChannel));
}

// ---- bounds ----

// A channel of two keys `seconds` apart (3000 s bake the full 65536 samples at 30 fps).
std::string channel(int index, double seconds) {
    std::ostringstream out;
    out << "Channel " << index << " { Envelope 2 Key 0 0 0 0 0 0 0 0 0 Key 1 " << seconds
        << " 0 0 0 0 0 0 0 }";
    return out.str();
}

// "NumChannels n" and n channels, on one line.
std::string channelsLine(int channels, double seconds) {
    std::string line = "NumChannels " + std::to_string(channels);
    for (int c = 0; c < channels; ++c) line += " " + channel(c, seconds);
    return line + "\n";
}

std::string objectLine(int channels, double seconds) {
    return "LoadObjectLayer 1 a.lwo " + channelsLine(channels, seconds);
}

// A version 1 object on one line whose motion spans `frames` frames.
std::string objectLineV1(int frames) {
    return "LoadObject o.lwo ObjectMotion m 9 2 0 0 0 0 0 0 1 1 1 0 0 0 0 0 1 0 0 0 0 0 1 1 1 " +
           std::to_string(frames) + " 0 0 0 0\n";
}

std::string repeated(const std::string& line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += line;
    return text;
}

// What the reader says it made, against what its header promises.
void expectWithinMemoryBound(const LwsScene& scene, size_t textBytes, const std::string& what) {
    const SceneLoadCost& cost = scene.loadCost();
    EXPECT_LE(cost.bytes,
              kSceneBytesPerFileByte * static_cast<int64_t>(textBytes) + kSceneFixedBytes)
        << what;
    EXPECT_LE(cost.bakedValues, kMaxBakedValues + kMaxChannelsPerItem * kMaxSamplesPerChannel)
        << what;
    EXPECT_LE(cost.items, kMaxSceneItems + 1) << what;
}

const int kFullItemValues = 9 * 65536;  // one item's nine full channels, or a full v1 motion

TEST(LwsBounds, PassingABoundStopsWithALocatedReasonAndLeavesTheSceneEmpty) {
    std::string manyChannels = "LWSC 3\nFramesPerSecond 30\nLoadObjectLayer 1 a.lwo\n"
                               "NumChannels 4000\n";
    for (int c = 0; c < 4000; ++c) manyChannels += channel(c, 3000) + "\n";
    std::string mixedItems = "LWSC 3\n";
    for (int i = 0; i < 1025; ++i) {
        const char* const blocks[] = {"LoadObjectLayer 1 a.lwo NumChannels 0\n",
                                      "AddCamera PixelAspect 1\n", "AddLight LightType 0\n"};
        mixedItems += blocks[i % 3];
    }
    struct Case {
        const char* what;
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"4000 channels in one object", manyChannels,
         "test.lws: line 14: more than 9 channels in one item"},
        {"ten channels in a light",
         "LWSC 3\nAddLight\nLightName Lamp\n" + repeated(channel(0, 1) + "\n", 10) +
             "LightType 0\n",
         "test.lws: line 13: more than 9 channels in one item"},
        {"ten channels in a camera",
         "LWSC 3\nAddCamera\n" + repeated(channel(0, 1) + "\n", 10) + "PixelAspect 1\n",
         "test.lws: line 12: more than 9 channels in one item"},
        {"1025 objects, cameras and lights", mixedItems,
         "test.lws: line 1026: more than 1024 items (objects, cameras and lights)"},
        {"1025 version 1 objects",
         "LWSC 1\n" + repeated("LoadObject o.lwo ObjectMotion m 9 0\n", 1025),
         "test.lws: line 1026: more than 1024 items (objects, cameras and lights)"},
        {"eight objects of far-apart keys", "LWSC 3\n" + repeated(objectLine(9, 3000), 8),
         "test.lws: line 9: more than 4194304 baked motion values in one scene"},
        {"eight version 1 motions of far-apart keys", "LWSC 1\n" + repeated(objectLineV1(99999), 8),
         "test.lws: line 9: more than 4194304 baked motion values in one scene"},
        {"a camera bake that passes the bound",
         "LWSC 3\n" + repeated(objectLine(9, 3000), 7) + "AddCamera " + channelsLine(2, 3000) +
             "PixelAspect 1\n",
         "test.lws: line 10: more than 4194304 baked motion values in one scene"},
    };
    for (const Case& c : cases) {
        LwsScene scene;
        EXPECT_TRUE(loadText(scene, c.text)) << c.what;
        EXPECT_EQ(scene.error(), c.error) << c.what;
        EXPECT_TRUE(scene.objects.empty()) << c.what;
        EXPECT_TRUE(scene.lights.empty()) << c.what;
        EXPECT_TRUE(scene.v1Objects.empty()) << c.what;
        EXPECT_TRUE(scene.camera.channels.empty()) << c.what;
        EXPECT_TRUE(scene.camera.samples.empty()) << c.what;
        EXPECT_TRUE(scene.v1CameraMotion.samples.empty()) << c.what;
        expectWithinMemoryBound(scene, c.text.size(), c.what);
    }
    // The nine far-apart channels read before the tenth are not baked once the reader stopped.
    LwsScene stopped;
    loadText(stopped, manyChannels);
    EXPECT_EQ(stopped.loadCost().bakedValues, 0);
}

TEST(LwsBounds, ScenesUpToTheBoundsAreReadWhole) {
    LwsScene items;
    EXPECT_FALSE(loadText(items, "LWSC 3\n" +
                                     repeated("LoadObjectLayer 1 a.lwo NumChannels 0\n", 1000) +
                                     repeated("AddLight LightType 0\n", 23) +
                                     "AddCamera PixelAspect 1\n"))
        << items.error();
    EXPECT_EQ(items.objects.size(), 1000u);
    EXPECT_EQ(items.lights.size(), 23u);
    EXPECT_EQ(items.loadCost().items, 1024);

    // Seven full items are 4128768 values, just under the bound.
    const std::string sevenFull = "LWSC 3\n" + repeated(objectLine(9, 3000), 7);
    LwsScene baked;
    EXPECT_FALSE(loadText(baked, sevenFull)) << baked.error();
    ASSERT_EQ(baked.objects.size(), 7u);
    EXPECT_EQ(baked.objects[6].samples.size(), 9u);
    EXPECT_EQ(baked.objects[6].samples[8].size(), 65536u);
    EXPECT_EQ(baked.loadCost().bakedValues, 7 * kFullItemValues);
    expectWithinMemoryBound(baked, sevenFull.size(), "seven full objects");

    const std::string sevenFullV1 = "LWSC 1\n" + repeated(objectLineV1(99999), 7);
    LwsScene bakedV1;
    EXPECT_FALSE(loadText(bakedV1, sevenFullV1)) << bakedV1.error();
    ASSERT_EQ(bakedV1.v1Objects.size(), 7u);
    EXPECT_EQ(bakedV1.loadCost().bakedValues, 7 * kFullItemValues);
}

// Keys, names and channel records grow with the text, not with numbers it holds; the densest
// texts come closest to the bytes-per-byte the header promises.
TEST(LwsBounds, WhatGrowsWithTheTextStaysWithinItsMultiple) {
    const std::string keysV1 = "LWSC 1\nCameraMotion m 0 30000\n" + repeated("0 0 0 0 0\n", 30000);
    const std::string keysV3 = "LWSC 3\nLoadObjectLayer 1 a.lwo NumChannels 1 Channel 0 "
                               "{ Envelope 30000\n" +
                               repeated("Key 0 0 0 0 0 0 0 0 0\n", 30000);
    const std::string valuesV1 = "LWSC 1\nCameraMotion m 100000 1\n" + repeated("0 ", 100000) +
                                 "0 0 0 0 0\n";
    const std::string names = "LWSC 3\n" + repeated("AddLight LightName " +
                                                     std::string(10000, 'n') + " LightType 0\n",
                                                     100);
    const std::string keysV2 = "LWSC\n2\nLoadObject a ObjectMotion m 1 30000\n" +
                               repeated("0 0 2 0 0 0\n", 30000);
    const std::string keysV5 = "LWSC\n5\nAddNullObject 1 a Channel 0 { Envelope 1\n" +
                               repeated("Key 0 0 0 0 0 0 0 0 0\n", 30000) + "}\n";
    for (const std::string* text : {&keysV1, &keysV3, &valuesV1, &names, &keysV2, &keysV5}) {
        LwsScene scene;
        EXPECT_FALSE(loadText(scene, *text)) << scene.error();
        expectWithinMemoryBound(scene, text->size(), text->substr(0, 40));
    }
    // The count is real: thirty thousand value-less keys are most of the allowance per byte,
    // and the later readers count their keys too (72 bytes for 12 and for 22 bytes of text).
    LwsScene dense;
    loadText(dense, keysV1);
    EXPECT_EQ(dense.v1CameraMotion.keys.size(), 30000u);
    EXPECT_GT(dense.loadCost().bytes, 6 * static_cast<int64_t>(keysV1.size()));
    const std::pair<const std::string*, int64_t> later[] = {{&keysV2, 5}, {&keysV5, 3}};
    for (const auto& [text, bytesPerByte] : later) {
        LwsScene scene;
        loadText(scene, *text);
        ASSERT_EQ(scene.objects.size(), 1u) << text->substr(0, 8);
        EXPECT_EQ(scene.objects[0].channels[0].envelope.keys.size(), 30000u);
        EXPECT_GT(scene.loadCost().bytes, bytesPerByte * static_cast<int64_t>(text->size()))
            << text->substr(0, 8);
    }
}

// A second block reads into the same motion: its keys follow the first's and every pair is
// interpolated again onto the samples there: 5 (a), then 5, none for the step back to frame 0,
// and 3.
TEST(LwsBounds, ASecondCameraMotionJoinsTheFirst) {
    LwsScene scene;
    loadText(scene, "LWSC 1\nCameraMotion a 9 2\n0 0 0 0 0 0 1 1 1 0 0 0 0 0\n"
                    "0 0 0 0 0 0 1 1 1 5 0 0 0 0\n"
                    "CameraMotion b 9 2\n0 0 0 0 0 0 1 1 1 0 0 0 0 0\n"
                    "0 0 0 0 0 0 1 1 1 3 0 0 0 0\n");
    EXPECT_EQ(scene.v1CameraMotion.motionName, "b");
    EXPECT_EQ(scene.v1CameraMotion.keys.size(), 4u);
    EXPECT_EQ(scene.v1CameraMotion.samples.size(), 5u + 5u + 0u + 3u);
    EXPECT_EQ(scene.loadCost().bakedValues, 9 * 13);  // what the motion holds
}

TEST(LwsFieldOfView, UsesPiAsThreeFourOneFiveAndIgnoresPixelAspect) {
    EXPECT_NEAR(LwsScene::computeFieldOfView(640, 480, 1.0f, 3.2f), 45.2410642, 1e-5);
    EXPECT_EQ(LwsScene::computeFieldOfView(640, 480, 1.0f, 3.2f),
              LwsScene::computeFieldOfView(640, 480, 7.0f, 3.2f));
}

TEST(LwsRealFiles, VersionThreeSceneLoadsWithItsObject) {
    REQUIRE_TESTDATA();
    std::ostringstream out;
    LwsScene scene(scenetest::testdataDir() + "/lws/move_x_oldformat_6.lws");
    scene.progress = &out;
    scene.loadTextures = false;
    EXPECT_FALSE(scene.load()) << scene.error();
    EXPECT_EQ(scene.header.version, 3);
    EXPECT_EQ(scene.firstFrame, 1);
    EXPECT_EQ(scene.lastFrame, 60);
    EXPECT_EQ(scene.previewLastFrame, 60);
    EXPECT_EQ(scene.framesPerSecond, 30);
    ASSERT_EQ(scene.objects.size(), 1u);
    const SceneItem& cube = scene.objects[0];
    EXPECT_EQ(cube.name, "simple_cube.lwo");
    ASSERT_EQ(cube.channels.size(), 9u);
    EXPECT_EQ(cube.channels[0].envelope.keys.size(), 3u);
    EXPECT_EQ(cube.samples[0].size(), 40u);
    EXPECT_TRUE(cube.samples[1].empty());
    EXPECT_TRUE(scene.objectErrors().empty()) << scene.objectErrors().front();
    EXPECT_EQ(cube.mesh->polygons.size(), 6u);
    ASSERT_EQ(scene.lights.size(), 1u);
    EXPECT_EQ(scene.lights[0].name, "Light");
    EXPECT_EQ(scene.lights[0].channels.size(), 9u);
    EXPECT_EQ(scene.camera.cameraName, "Camera");
    EXPECT_EQ(scene.camera.channels.size(), 6u);
    EXPECT_NEAR(scene.camera.fieldOfView, 45.241, 0.001);
    EXPECT_NE(out.str().find("\nFirstFrame: 1\n\nLAstFrame: 60\n"), std::string::npos);
    EXPECT_NE(out.str().find("\nFramesPerSec: 30\n"), std::string::npos);
}

TEST(LwsRealFiles, OtherVersionsYieldAnEmptyScene) {
    REQUIRE_TESTDATA();
    // Versions 5 (move_x.lws) and 2 (move_x_oldformat_56.lws) are read since: see
    // test_lws_reader_v5.cpp. So a real file is given a version no reader knows.
    for (const char* name : {"move_x_oldformat_56.lws"}) {
        std::ifstream in(scenetest::testdataDir() + "/lws/" + name, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_EQ(text.compare(0, 7, "LWSC\n2\n"), 0) << name;
        text[5] = '6';
        LwsScene scene;
        scene.errors = nullptr;
        EXPECT_TRUE(loadText(scene, text)) << name;
        EXPECT_TRUE(scene.objects.empty()) << name;
        EXPECT_TRUE(scene.v1Objects.empty()) << name;
        EXPECT_TRUE(scene.lights.empty()) << name;
    }
}

TEST(LwsContentFolder, ObjectsAreLookedUpInTheNamedFolderNotTheWorkingDirectory) {
    REQUIRE_TESTDATA();
    const std::string text = "LWSC 1\nLoadObject simple_cube.lwo ObjectMotion m 9 0\n"
                             "LoadObject missing.lwo ObjectMotion m 9 0\n";
    const std::string path = scenetest::writeTempFile("content_v1.lws", text);

    LwsScene beside(path);  // the scene's own folder holds no objects
    beside.progress = nullptr;
    beside.loadTextures = false;
    EXPECT_FALSE(beside.load());
    ASSERT_EQ(beside.objectErrors().size(), 2u);
    EXPECT_NE(beside.objectErrors()[0].find("simple_cube.lwo"), std::string::npos);

    LwsScene named(path, scenetest::testdataDir() + "/lws");
    named.progress = nullptr;
    named.loadTextures = false;
    EXPECT_FALSE(named.load());
    ASSERT_EQ(named.v1Objects.size(), 2u);
    EXPECT_EQ(named.v1Objects[0].mesh->polygons.size(), 6u);
    EXPECT_EQ(named.v1Objects[1].mesh, nullptr);
    ASSERT_EQ(named.objectErrors().size(), 1u);
    EXPECT_NE(named.objectErrors()[0].find("missing.lwo"), std::string::npos);
}

TEST(LwsContentFolder, BrokenObjectsAreReportedWithTheObjectReadersReason) {
    REQUIRE_TESTDATA();
    LwsScene scene;
    scene.progress = nullptr;
    scene.loadTextures = false;
    scene.contentDir = scenetest::testdataDir() + "/lwo";
    // A picture where an object should be.
    EXPECT_FALSE(scene.loadFromText("LWSC 3\nLoadObjectLayer 1 earthSpherical.jpg\n"
                                    "NumChannels 0\nLoadObjectLayer 1 empty.lwo\nNumChannels 0\n",
                                    "broken.lws"));
    ASSERT_EQ(scene.objects.size(), 2u);
    ASSERT_EQ(scene.objectErrors().size(), 2u);
    EXPECT_NE(scene.objectErrors()[0].find("earthSpherical.jpg: FORM at 0x0: not an IFF FORM file"),
              std::string::npos)
        << scene.objectErrors()[0];
}

}  // namespace
