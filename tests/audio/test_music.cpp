// The music entries on SDL's dummy audio driver: failures close what they opened and say
// why, the position follows the device and starts at the first sample, the stream loops,
// and the module entry reports whole seconds.
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "audio/music.h"
#include "audio/music_player.h"
#include "audio_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

class Music : public testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("SDL_AUDIODRIVER") == nullptr) {
            setenv("SDL_AUDIODRIVER", "dummy", 1);
        }
    }
    void TearDown() override { stopMusic(); }

    static std::string mp3File(const std::string& name, double seconds) {
        const auto frames = static_cast<size_t>(seconds * audiotest::kRate);
        return audiotest::writeTempFile(name, audiotest::encodeTestMp3(audiotest::testSignal(frames, 2), 2));
    }

    // Waits (at most two seconds) until the device has started taking music.
    static bool waitForSound() {
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        while (musicTimeSeconds() == 0.0 && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return musicTimeSeconds() > 0.0;
    }
};

TEST_F(Music, MissingFileFailsWithTheAudioSubsystemClosedAndSaysWhy) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(startMusic("no_such_dir/inv2.mp3"), 1);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_EQ(musicTimeSeconds(), 0.0);
    EXPECT_NE(said.find("no_such_dir/inv2.mp3"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST_F(Music, UndecodableFileFailsClosed) {
    const std::string path = audiotest::writeTempFile("garbage.mp3", std::vector<unsigned char>(3000, 0x41));
    testing::internal::CaptureStderr();
    EXPECT_EQ(startMusic(path.c_str()), 1);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_NE(said.find("MP3"), std::string::npos) << said;
}

TEST_F(Music, NoAudioDeviceFailsClosedAndTellsHowToRunSilently) {
    const std::string path = mp3File("device.mp3", 0.2);
    const std::string previous = std::getenv("SDL_AUDIODRIVER");
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    testing::internal::CaptureStderr();
    const int status = startMusic(path.c_str());
    const std::string said = testing::internal::GetCapturedStderr();
    setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_NE(said.find("SDL_AUDIODRIVER=dummy"), std::string::npos) << said;
}

TEST_F(Music, PositionFollowsPlaybackSmoothlyAndNeverGoesBack) {
    const std::string path = mp3File("play.mp3", 3.0);
    ASSERT_EQ(startMusic(path.c_str()), 0);
    EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    ASSERT_TRUE(waitForSound());
    const double p1 = musicTimeSeconds();
    const auto t1 = Clock::now();
    double last = p1;
    // Frames about 10 ms apart, as the demo reads it.
    while (Clock::now() - t1 < std::chrono::milliseconds(500)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const double p = musicTimeSeconds();
        ASSERT_GE(p, last);
        last = p;
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - t1).count();
    // The dummy device consumes at its nominal rate, give or take how its sleeps round.
    EXPECT_NEAR(musicTimeSeconds() - p1, elapsed, 0.01);
    stopMusic();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_EQ(musicTimeSeconds(), 0.0);
}

TEST_F(Music, PositionCountsFromTheFirstSampleTheDeviceTakes) {
    struct Log {
        int64_t firstRequestNs = 0;
    } log;
    MusicPlayer player;
    player.setObserver(
        [](void* user, int64_t nowNs, int64_t handedBefore, int64_t) {
            if (handedBefore == 0) {
                static_cast<Log*>(user)->firstRequestNs = nowNs;
            }
        },
        &log);
    std::string error;
    const std::string path = mp3File("first.mp3", 1.0);
    ASSERT_TRUE(player.startStream(path.c_str(), error)) << error;
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (player.positionSeconds() == 0.0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    const int64_t readNs = steadyNowNs();
    const double position = player.positionSeconds();
    ASSERT_GT(log.firstRequestNs, 0);
    // The position is the time since the device took the first sample, to within the
    // time between the two clock readings here.
    EXPECT_NEAR(position, (readNs - log.firstRequestNs) * 1e-9, 0.002);
    player.stop();
}

TEST_F(Music, StreamWrapsToZeroWhenItLoops) {
    const double length = 0.25;
    const std::string path = mp3File("loop.mp3", length);
    ASSERT_EQ(startMusic(path.c_str()), 0);
    ASSERT_TRUE(waitForSound());
    int wraps = 0;
    double last = musicTimeSeconds();
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::milliseconds(700)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const double p = musicTimeSeconds();
        ASSERT_LT(p, length);
        if (p < last) {
            ++wraps;
            EXPECT_LT(p, 0.05);  // back near the start, not somewhere in the middle
        }
        last = p;
    }
    EXPECT_GE(wraps, 2);
}

TEST_F(Music, StoppingLeavesTheVideoSubsystemAlone) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    const std::string path = mp3File("coexist.mp3", 0.3);
    ASSERT_EQ(startMusic(path.c_str()), 0);
    stopMusic();
    stopMusic();  // a second stop changes nothing
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_NE(SDL_WasInit(SDL_INIT_EVENTS), 0u);
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

TEST_F(Music, ModuleEntryPlaysAndReportsWholeSeconds) {
    const std::string path = audiotest::writeTempFile("tune.mod", audiotest::minimalModule());
    ASSERT_EQ(startModuleMusic(path.c_str()), 0);
    EXPECT_EQ(moduleTimeSeconds(), 0.0);
    const auto deadline = Clock::now() + std::chrono::seconds(4);
    while (moduleTimeSeconds() < 1.0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const double seconds = moduleTimeSeconds();
    EXPECT_EQ(seconds, 1.0);
    stopMusic();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST_F(Music, ModuleEntryFailsClosedOnANonModule) {
    const std::string path = audiotest::writeTempFile("not.mod", std::vector<unsigned char>(100, 7));
    testing::internal::CaptureStderr();
    EXPECT_EQ(startModuleMusic(path.c_str()), 1);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_NE(said.find("not.mod"), std::string::npos) << said;
}

}  // namespace
