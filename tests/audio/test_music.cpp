// The music entries on SDL's dummy audio driver: failures close what they opened and say
// why, the position follows the device and starts at the first sample (or the chosen start,
// still counted from the first), jumps follow at once, the stream loops, and the module
// entry reports whole seconds.
#include "files/whole_file.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "audio/music.h"
#include "audio/mp3_stream.h"
#include "audio/music_player.h"
#include "audio_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

// Reads the position `frames` times about 10 ms apart, as the demo's frames read it: it never
// goes back from `first`, and it has moved on by the end.
void expectPositionAdvancesFrom(double first, int frames) {
    double last = first;
    for (int frame = 0; frame < frames; ++frame) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const double p = musicTimeSeconds();
        ASSERT_GE(p, last);
        last = p;
    }
    EXPECT_GT(last, first);
}

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
        return audiotest::writeTempFile(
            name, audiotest::encodeTestMp3(audiotest::testSignal(frames, 2), 2));
    }

    // Runs a start that must fail, leaving the audio subsystem closed and the position at 0;
    // returns what it said on stderr.
    template <typename Start>
    static std::string failedStart(Start start) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(start(), 1);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
        EXPECT_EQ(musicTimeSeconds(), 0.0);
        return said;
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
    const std::string said = failedStart([] { return startMusic("no_such_dir/inv2.mp3"); });
    EXPECT_NE(said.find("no_such_dir/inv2.mp3"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST_F(Music, UndecodableFileFailsClosed) {
    const std::string path =
        audiotest::writeTempFile("garbage.mp3", std::vector<unsigned char>(3000, 0x41));
    const std::string said = failedStart([&] { return startMusic(path.c_str()); });
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

TEST_F(Music, PositionAdvancesAndNeverGoesBack) {
    const std::string path = mp3File("play.mp3", 3.0);
    ASSERT_EQ(startMusic(path.c_str()), 0);
    EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    ASSERT_TRUE(waitForSound());
    const double first = musicTimeSeconds();
    ASSERT_NO_FATAL_FAILURE(expectPositionAdvancesFrom(first, 40));
    stopMusic();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_EQ(musicTimeSeconds(), 0.0);
}

// What the device asked for, logged from the audio thread.
struct RequestLog {
    struct Request {
        int64_t requestNs;    // when the device asked
        int64_t publishedNs;  // by when the position knew of it
        int64_t handedBefore;
        int64_t frames;
    };
    std::vector<Request> requests = std::vector<Request>(4096);
    std::atomic<size_t> count{0};

    static void record(void* user, int64_t nowNs, int64_t handedBefore, int64_t frames) {
        auto* log = static_cast<RequestLog*>(user);
        const size_t n = log->count.load(std::memory_order_relaxed);
        if (n < log->requests.size()) {
            log->requests[n] = Request{nowNs, steadyNowNs(), handedBefore, frames};
            log->count.store(n + 1, std::memory_order_release);
        }
    }
};

// Positions read every few milliseconds for `duration`, in frames, each with the steady
// times just before and just after the read.
struct Read {
    int64_t beforeNs;
    double frames;
    int64_t afterNs;
};

std::vector<Read> readPositions(MusicPlayer& player, std::chrono::milliseconds duration) {
    std::vector<Read> reads;
    const auto until = Clock::now() + duration;
    while (Clock::now() < until) {
        const int64_t before = steadyNowNs();
        const double seconds = player.positionSeconds();
        reads.push_back(Read{before, seconds * MusicPlayer::kSampleRate, steadyNowNs()});
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    return reads;
}

// Where a read may lie, in frames the device took: at least what had been taken at the last
// request the clock surely knew of, at most the end of the buffer taken at the last request
// before the read ended (`current`, or null when there was none).
struct Heard {
    double lower = 0.0;
    double upper = 0.0;
    const RequestLog::Request* current = nullptr;
};

Heard heardAround(const RequestLog& log, size_t count, const Read& read) {
    Heard heard;
    for (size_t k = 0; k < count; ++k) {
        const RequestLog::Request& r = log.requests[k];
        if (r.publishedNs <= read.beforeNs) {
            heard.lower = static_cast<double>(r.handedBefore);
        }
        if (r.requestNs <= read.afterNs) {
            heard.upper = static_cast<double>(r.handedBefore + r.frames);
            heard.current = &r;
        }
    }
    return heard;
}

TEST_F(Music, PositionIsTheSoundTheDeviceHasTakenCountedFromTheFirstSample) {
    RequestLog log;
    MusicPlayer player;
    player.setObserver(RequestLog::record, &log);
    std::string error;
    const std::string path = mp3File("heard.mp3", 2.0);
    ASSERT_TRUE(player.startStream(path.c_str(), error)) << error;
    const std::vector<Read> reads = readPositions(player, std::chrono::milliseconds(600));
    player.stop();  // joins the audio thread: the log is complete
    const size_t count = log.count.load(std::memory_order_acquire);
    ASSERT_GT(count, 3u);
    EXPECT_EQ(log.requests[0].handedBefore, 0);

    // The first sample is position 0, and the position never runs ahead of the device.
    std::vector<double> misses;
    for (const Read& read : reads) {
        const Heard heard = heardAround(log, count, read);
        ASSERT_GE(read.frames, heard.lower - 1e-6);
        ASSERT_LE(read.frames, heard.upper + 1e-6);
        const RequestLog::Request* current = heard.current;
        if (current != nullptr && current + 1 < log.requests.data() + count) {
            // The sample being consumed, if the buffer plays evenly until the next request.
            const RequestLog::Request& next = *(current + 1);
            const double share = static_cast<double>(read.beforeNs - current->requestNs) /
                                 static_cast<double>(next.requestNs - current->requestNs);
            misses.push_back(
                std::fabs(read.frames - (current->handedBefore + share * current->frames)));
        }
    }
    ASSERT_FALSE(misses.empty());
    std::nth_element(misses.begin(), misses.begin() + static_cast<long>(misses.size() / 2),
                     misses.end());
    EXPECT_LT(misses[misses.size() / 2], 0.002 * MusicPlayer::kSampleRate);  // median under 2 ms
}

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        old_ = had_ ? old : "";
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

TEST_F(Music, StartingPartWayPlaysFromThereAndCountsFromTheStreamsStart) {
    const auto frames = static_cast<size_t>(3.0 * audiotest::kRate);
    const std::vector<unsigned char> mp3 =
        audiotest::encodeTestMp3(audiotest::testSignal(frames, 2), 2);
    const std::string path = audiotest::writeTempFile("partway.mp3", mp3);
    const double start = 2.0;
    const auto startFrame = static_cast<size_t>(start * audiotest::kRate);

    // SDL's disk driver keeps what the device was handed, paced like the dummy driver.
    const std::string raw = testsupport::tempPath("audio_test_partway.raw");
    std::vector<Read> reads;
    RequestLog log;
    {
        ScopedEnv driver("SDL_AUDIODRIVER", "disk");
        ScopedEnv output("SDL_DISKAUDIOFILE", raw);
        MusicPlayer player;
        player.setObserver(RequestLog::record, &log);
        std::string error;
        ASSERT_TRUE(player.startStream(path.c_str(), start, error)) << error;
        reads = readPositions(player, std::chrono::milliseconds(300));
        player.stop();
    }
    const size_t count = log.count.load(std::memory_order_acquire);
    ASSERT_GT(count, 3u);
    double last = start * audiotest::kRate;
    for (const Read& read : reads) {
        const Heard heard = heardAround(log, count, read);
        ASSERT_GE(read.frames - startFrame, heard.lower - 1e-6);
        ASSERT_LE(read.frames - startFrame, heard.upper + 1e-6);
        ASSERT_GE(read.frames, last);
        last = read.frames;
    }
    EXPECT_GT(last, start * audiotest::kRate);

    // The device's first buffers are the music from that sample on, as reading through
    // the stream gives it. The file holds one buffer per request, after the silence the
    // driver wrote while the device was still paused.
    std::string error;
    auto through = Mp3Stream::open(mp3, audiotest::kRate, error);
    ASSERT_TRUE(through) << error;
    const size_t compared = 2 * MusicPlayer::kBufferFrames;
    std::vector<int16_t> reference((startFrame + compared) * 2);
    through->read(reference.data(), static_cast<int64_t>(startFrame + compared));
    std::vector<unsigned char> bytes;
    error = files::readWholeFile(raw, size_t{1} << 26, bytes);
    ASSERT_TRUE(error.empty()) << error;
    std::remove(raw.c_str());
    const size_t bufferBytes = MusicPlayer::kBufferFrames * 2 * sizeof(int16_t);
    ASSERT_EQ(bytes.size() % bufferBytes, 0u);
    ASSERT_GE(bytes.size() / bufferBytes, count);
    const size_t paused = bytes.size() / bufferBytes - count;
    std::vector<int16_t> handed(compared * 2);
    std::memcpy(handed.data(), bytes.data() + paused * bufferBytes,
                handed.size() * sizeof(int16_t));
    EXPECT_TRUE(std::equal(handed.begin(), handed.end(), reference.begin() + startFrame * 2));
}

TEST_F(Music, StartOutsideTheMusicFailsClosedAndSaysWhy) {
    const std::string path = mp3File("short.mp3", 0.5);
    for (double start : {0.5, 9.0, -1.0, std::nan(""), HUGE_VAL}) {
        SCOPED_TRACE(start);
        const std::string said = failedStart([&] { return startMusic(path.c_str(), start); });
        EXPECT_NE(said.find("music position"), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
    EXPECT_EQ(startMusic(path.c_str(), 0.49), 0);  // its last moments still play
}

TEST_F(Music, SeekingBackToTheStartCountsFromThereAtOnce) {
    seekMusic(1.0);  // nothing plays: nothing happens
    EXPECT_EQ(musicTimeSeconds(), 0.0);
    const std::string path = mp3File("again.mp3", 3.0);
    ASSERT_EQ(startMusic(path.c_str()), 0);
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    while (musicTimeSeconds() < 0.3 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_GE(musicTimeSeconds(), 0.3);
    seekMusic(0.0);
    const double first = musicTimeSeconds();
    EXPECT_LT(first, 0.1);  // at most what the device took since, never the old place
    ASSERT_NO_FATAL_FAILURE(expectPositionAdvancesFrom(first, 30));
}

TEST_F(Music, StreamWrapsToZeroWhenItLoops) {
    const double length = 0.25;
    const std::string path = mp3File("loop.mp3", length);
    ASSERT_EQ(startMusic(path.c_str()), 0);
    ASSERT_TRUE(waitForSound());
    // The position only goes back when the stream starts over, and stays inside one pass.
    int wraps = 0;
    double last = musicTimeSeconds();
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (wraps < 2 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const double p = musicTimeSeconds();
        ASSERT_LT(p, length);
        wraps += p < last;
        last = p;
    }
    EXPECT_EQ(wraps, 2);
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
    const std::string path =
        audiotest::writeTempFile("not.mod", std::vector<unsigned char>(100, 7));
    const std::string said = failedStart([&] { return startModuleMusic(path.c_str()); });
    EXPECT_NE(said.find("not.mod"), std::string::npos) << said;
}

}  // namespace
