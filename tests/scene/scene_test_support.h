// Small scene texts and files for the scene tests.
#pragma once

#include "scene/lws_scene.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace scenetest {

// One "Channel" block whose envelope lists `keys` as (value, time) pairs.
inline std::string channelText(int index, std::initializer_list<std::pair<double, double>> keys) {
    std::ostringstream out;
    out << "Channel " << index << "\n{ Envelope\n  " << keys.size() << "\n";
    for (const auto& k : keys) out << "  Key " << k.first << " " << k.second << " 0 0 0 0 0 0 0\n";
    out << "  Behaviors 1 1\n}\n";
    return out.str();
}

// NumChannels n and n channels, each with the same keys.
inline std::string channelsText(int n, std::initializer_list<std::pair<double, double>> keys) {
    std::string text = "NumChannels " + std::to_string(n) + "\n";
    for (int c = 0; c < n; ++c) text += channelText(c, keys);
    return text;
}

// Reads `text` without touching files and without printing.
inline bool loadText(LwsScene& scene, const std::string& text, std::ostream* progress = nullptr) {
    scene.progress = progress;
    scene.loadObjects = false;
    return scene.loadFromText(text, "test.lws");
}

// loadText for a text that must read without an error, its reasons kept off standard error.
inline void loadQuietly(LwsScene& scene, const std::string& text) {
    scene.errors = nullptr;
    EXPECT_FALSE(loadText(scene, text)) << scene.error();
}

// The real-world test files (tests/data).
inline std::string testdataDir() { return DEMO_TESTDATA_DIR; }

// The object every real scene loads: without it a test would check an error, not the scene.
inline std::string testdataProbe() { return testdataDir() + "/lws/simple_cube.lwo"; }

// Written into a folder of its own, which holds no object files.
inline std::string writeTempFile(const std::string& name, const std::string& text) {
    const std::string dir = testsupport::tempPath("lws_scene_tests");
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

}  // namespace scenetest

// The test data are part of the repository: a missing file fails the test.
#define REQUIRE_TESTDATA()                               \
    ASSERT_TRUE(std::ifstream(scenetest::testdataProbe())) \
        << "test data missing: " << scenetest::testdataProbe()
