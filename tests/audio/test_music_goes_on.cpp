// The show's clock goes on whatever the sound does, on SDL's dummy driver: a device pulled
// out and plugged back, a device that stops asking for sound for a while, and music that
// ends before the show. Positions are read every few milliseconds, as the demo's frames
// read them. While the position follows a device it waits for that device's requests, which
// a busy machine delays; where it runs by the clock it must never stand still.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_output.h"
#include "audio/mp3_stream.h"
#include "audio/music_player.h"
#include "audio_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

// The longest the position may stand still while it runs by the clock: a frame of the show
// at its slowest, 50 frames/s.
constexpr int64_t kFrameNs = 20000000;
// The longest anywhere: the player lets a silent device go after half a second.
constexpr int64_t kSilentDeviceNs = 500000000 + kFrameNs;

// What the test sees of the device it can pull out or silence, and the buffers the device
// was handed once it came back (from when it opened again, or from when `record` was called).
struct Socket {
    struct Taken {
        int64_t ns;
        std::vector<int16_t> samples;
    };
    std::atomic<bool> pulled{false};
    std::atomic<bool> silent{false};
    std::atomic<int> opens{0};
    std::atomic<bool> recording{false};
    std::atomic<int64_t> backNs{0};  // when the first of them was taken
    std::vector<Taken> taken;        // the device's thread's until the player stops

    void record() { recording = true; }
};

// SDL's device behind a plug: pulled, it stops asking for sound, says it is gone, and no
// device opens until it is plugged back; silent, it only stops asking.
class PullableOutput : public AudioOutput {
public:
    explicit PullableOutput(Socket& socket) : socket_(socket) {}

    bool open(const Format& format, Fill fill, void* user, int64_t& queuedFrames,
              std::string& error) override {
        if (socket_.pulled) {
            error = "unplugged";
            return false;
        }
        fill_ = fill;
        user_ = user;
        if (++socket_.opens > 1) {
            socket_.record();
        }
        return inner_->open(format, forward, this, queuedFrames, error);
    }
    void play() override { inner_->play(); }
    bool gone() override { return socket_.pulled || inner_->gone(); }
    void lock() override { inner_->lock(); }
    void unlock() override { inner_->unlock(); }
    void close() override { inner_->close(); }
    bool isOpen() const override { return inner_->isOpen(); }

private:
    static void forward(void* self, uint8_t* bytes, int length) {
        auto* output = static_cast<PullableOutput*>(self);
        Socket& socket = output->socket_;
        if (socket.pulled || socket.silent) {
            std::memset(bytes, 0, static_cast<size_t>(length));
            return;
        }
        output->fill_(output->user_, bytes, length);
        if (socket.recording && socket.taken.size() < 64) {
            const int64_t now = steadyNowNs();
            const auto* samples = reinterpret_cast<const int16_t*>(bytes);
            socket.taken.push_back({now, {samples, samples + length / sizeof(int16_t)}});
            if (socket.backNs == 0) {
                socket.backNs = now;
            }
        }
    }

    Socket& socket_;
    std::unique_ptr<AudioOutput> inner_ = makeSdlAudioOutput();
    Fill fill_ = nullptr;
    void* user_ = nullptr;
};

struct Read {
    int64_t ns;
    double frames;
};

// The position never goes back, and from the read `from` on (the first that moved, when 0)
// until `to` it never stands still for longer than `longestNs`.
void expectItGoesOn(const std::vector<Read>& reads, int64_t longestNs, size_t from = 0,
                    size_t to = SIZE_MAX) {
    ASSERT_FALSE(reads.empty());
    for (size_t k = 1; k < reads.size(); ++k) {
        ASSERT_GE(reads[k].frames, reads[k - 1].frames) << "read " << k;
    }
    while (from == 0 && from + 1 < reads.size() && reads[from + 1].frames == reads[0].frames) {
        ++from;
    }
    int64_t stillSince = reads[from].ns;
    for (size_t k = from + 1; k < std::min(to, reads.size()); ++k) {
        if (reads[k].frames > reads[k - 1].frames) {
            stillSince = reads[k].ns;
        }
        ASSERT_LE(reads[k].ns - stillSince, longestNs)
            << "read " << k << " at " << reads[k].frames << " frames";
    }
}

// Reads the position every 3 ms, after `act` has looked at the reads so far, until it says
// so or five seconds have passed.
std::vector<Read> readWhile(MusicPlayer& player,
                            const std::function<bool(const std::vector<Read>&)>& act) {
    std::vector<Read> reads;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        const double seconds = player.positionSeconds();
        reads.push_back(Read{steadyNowNs(), seconds * MusicPlayer::kSampleRate});
        if (!act(reads)) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    return reads;
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

// Four seconds of the test signal as MP3, the music it decodes to, and its file.
struct TestMusic {
    static constexpr size_t kFrames = 4 * audiotest::kRate;
    std::vector<unsigned char> mp3 =
        audiotest::encodeTestMp3(audiotest::testSignal(kFrames, 2), 2);
    std::string path = audiotest::writeTempFile("goes_on.mp3", mp3);

    std::vector<int16_t> decoded() const {
        std::string error;
        auto stream = Mp3Stream::open(mp3, audiotest::kRate, error);
        EXPECT_TRUE(stream) << error;
        std::vector<int16_t> music(kFrames * 2);
        if (stream) {
            stream->read(music.data(), static_cast<int64_t>(kFrames));
        }
        return music;
    }
};

// A tenth of a second after the device came back, the sound it takes is the music, sample
// for sample, where the show is (within a buffer), and after `after` frames.
void expectTheMusicAtTheShowsPlace(const TestMusic& music, const Socket& socket,
                                   const std::vector<Read>& reads, double after) {
    const int64_t backNs = socket.backNs;
    const auto taken = std::find_if(socket.taken.begin(), socket.taken.end(),
                                    [&](const Socket::Taken& t) { return t.ns >= backNs + 100000000; });
    ASSERT_NE(taken, socket.taken.end());
    const auto read = std::find_if(reads.begin(), reads.end(),
                                   [&](const Read& r) { return r.ns >= taken->ns; });
    ASSERT_NE(read, reads.end());
    // Where the show was when the device took that buffer, from the next read.
    const auto show = static_cast<int64_t>(read->frames - (read->ns - taken->ns) * 1e-9 *
                                                              MusicPlayer::kSampleRate);
    const std::vector<int16_t> decoded = music.decoded();
    const std::vector<int16_t>& buffer = taken->samples;
    int64_t found = -1;
    for (int64_t frame = 0; frame + MusicPlayer::kBufferFrames <= int64_t{TestMusic::kFrames} && found < 0;
         ++frame) {
        if (std::equal(buffer.begin(), buffer.end(), decoded.begin() + frame * 2)) {
            found = frame;
        }
    }
    ASSERT_GE(found, 0) << "the sound after the return is not the music";
    EXPECT_LE(std::abs(show - found), MusicPlayer::kBufferFrames) << "at " << found;
    EXPECT_GT(static_cast<double>(found), after);
}

// The test music playing on a device behind a socket, what the player says captured from the
// start until `stop`.
struct PlayingBehindASocket {
    const TestMusic music;
    Socket socket;
    MusicPlayer player{std::make_unique<PullableOutput>(socket)};

    bool start(std::string& error) {
        testing::internal::CaptureStderr();
        return player.startStream(music.path.c_str(), error);
    }
    // False once the device that came back has played half a second.
    bool backForLessThanHalfASecond(const std::vector<Read>& sofar) const {
        const int64_t back = socket.backNs;
        return back == 0 || sofar.back().ns - back < 500000000;
    }
    std::string stop() {
        player.stop();
        return testing::internal::GetCapturedStderr();
    }
};

class MusicGoesOn : public testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("SDL_AUDIODRIVER") == nullptr) {
            setenv("SDL_AUDIODRIVER", "dummy", 1);
        }
    }
};

TEST_F(MusicGoesOn, ThroughADevicePulledOutAndPluggedBack) {
    PlayingBehindASocket playing;
    Socket& socket = playing.socket;
    std::string error;
    ASSERT_TRUE(playing.start(error)) << error;

    // Pulled out at 0.4 s of music, plugged back a second later; read on until the music has
    // played half a second on the device that opened then.
    const double pullAt = 0.4 * MusicPlayer::kSampleRate;
    const double plugAt = 1.4 * MusicPlayer::kSampleRate;
    size_t pulledRead = 0;
    size_t openedRead = 0;
    const std::vector<Read> reads = readWhile(playing.player, [&](const std::vector<Read>& sofar) {
        const double at = sofar.back().frames;
        if (at >= pullAt && pulledRead == 0) {
            socket.pulled = true;
            pulledRead = sofar.size() - 1;
        }
        if (at >= plugAt) {
            socket.pulled = false;
        }
        if (socket.opens == 2 && openedRead == 0) {
            openedRead = sofar.size() - 1;
        }
        return openedRead == 0 || playing.backForLessThanHalfASecond(sofar);
    });
    const std::string said = playing.stop();

    ASSERT_EQ(socket.opens, 2) << said;
    ASSERT_NO_FATAL_FAILURE(expectItGoesOn(reads, kSilentDeviceNs));
    ASSERT_NO_FATAL_FAILURE(expectItGoesOn(reads, kFrameNs, pulledRead, openedRead));
    EXPECT_EQ(count(said, "music: the sound device is gone at 0.4"), 1u) << said;
    EXPECT_EQ(count(said, "music: a sound device is back at "), 1u) << said;
    expectTheMusicAtTheShowsPlace(playing.music, socket, reads, plugAt);
}

TEST_F(MusicGoesOn, ThroughADeviceThatStopsAskingForAWhile) {
    PlayingBehindASocket playing;
    Socket& socket = playing.socket;
    std::string error;
    ASSERT_TRUE(playing.start(error)) << error;

    // Silent from 0.4 s of music until 1.4 s; then it asks again, unprompted.
    const double silentAt = 0.4 * MusicPlayer::kSampleRate;
    const double askAt = 1.4 * MusicPlayer::kSampleRate;
    bool asking = false;
    const std::vector<Read> reads = readWhile(playing.player, [&](const std::vector<Read>& sofar) {
        const double at = sofar.back().frames;
        if (at >= silentAt && !asking && !socket.silent) {
            socket.silent = true;
        }
        if (at >= askAt && !asking) {
            socket.record();
            socket.silent = false;
            asking = true;
        }
        return !asking || playing.backForLessThanHalfASecond(sofar);
    });
    const std::string said = playing.stop();

    ASSERT_TRUE(asking);
    ASSERT_NO_FATAL_FAILURE(expectItGoesOn(reads, kSilentDeviceNs));
    EXPECT_EQ(count(said, "music: the sound device stopped taking sound at 0.4"), 1u) << said;
    EXPECT_EQ(count(said, "music: the sound device takes sound again at 1.4"), 1u) << said;
    EXPECT_EQ(socket.opens, 1);
    expectTheMusicAtTheShowsPlace(playing.music, socket, reads, askAt);
}

TEST_F(MusicGoesOn, PastTheEndOfMusicThatRunsOnFromWhereItEnded) {
    const double length = 0.3;
    const auto frames = static_cast<size_t>(length * audiotest::kRate);
    const std::string path = audiotest::writeTempFile(
        "ends.mp3", audiotest::encodeTestMp3(audiotest::testSignal(frames, 2), 2));
    for (const double start : {0.0, 2.0}) {
        MusicPlayer player;
        std::string error;
        testing::internal::CaptureStderr();
        ASSERT_TRUE(player.startStream(path.c_str(), start, error, MusicPlayer::AtEnd::RunOn))
            << error;
        const double until = (std::max(start, length) + 0.4) * MusicPlayer::kSampleRate;
        const std::vector<Read> reads = readWhile(player, [&](const std::vector<Read>& sofar) {
            return sofar.back().frames <= until;
        });
        player.stop();
        const std::string said = testing::internal::GetCapturedStderr();
        ASSERT_NO_FATAL_FAILURE(expectItGoesOn(reads, kSilentDeviceNs)) << "from " << start;
        // Past the end the position runs by the clock.
        const auto ended = static_cast<size_t>(
            std::find_if(reads.begin(), reads.end(),
                         [&](const Read& r) { return r.frames > frames; }) -
            reads.begin());
        ASSERT_NO_FATAL_FAILURE(expectItGoesOn(reads, kFrameNs, ended)) << "from " << start;
        EXPECT_GE(reads.front().frames, start * MusicPlayer::kSampleRate);
        EXPECT_GT(reads.back().frames, until) << "from " << start;
        EXPECT_EQ(count(said, "music: the music ended"), 1u) << said;
        EXPECT_EQ(count(said, "music: the music ended at 0.30 s; the show goes on without it\n"), 1u)
            << said;
    }
}

// ---- The same returns on a device the test feeds by hand, at times the test sets ----
// No thread and no wall clock: the steps the position takes are exact, so a return that put the
// position where the device's sound will be heard at once, rather than when it is heard, shows
// as a jump of that sound's lead (here 35 ms), never hidden by a busy machine's delays.

int64_t g_handNowNs = 0;
int64_t handNow() { return g_handNowNs; }

// A device that keeps a buffer queued, as sound cards do, and asks for sound only when the test
// calls `request`; pulled, it is gone and opens no more until put back.
class HandFedOutput : public AudioOutput {
public:
    bool open(const Format& format, Fill fill, void* user, int64_t& queuedFrames,
              std::string& error) override {
        if (pulled) {
            error = "unplugged";
            return false;
        }
        fill_ = fill;
        user_ = user;
        buffer_.assign(static_cast<size_t>(format.bufferFrames * format.channels) * sizeof(int16_t), 0);
        queuedFrames = format.bufferFrames;
        open_ = true;
        playing_ = false;
        return true;
    }
    void play() override { playing_ = true; }
    bool gone() override { return pulled; }
    void lock() override {}
    void unlock() override {}
    void close() override { open_ = playing_ = false; }
    bool isOpen() const override { return open_; }

    bool playing() const { return open_ && playing_; }
    void request() { fill_(user_, buffer_.data(), static_cast<int>(buffer_.size())); }

    bool pulled = false;

private:
    Fill fill_ = nullptr;
    void* user_ = nullptr;
    std::vector<uint8_t> buffer_;
    bool open_ = false;
    bool playing_ = false;
};

// Read every millisecond for three seconds, the device asking each buffer's length (its first
// request half a buffer after it starts: the mean wait). From 0.5 s it is pulled out for half a
// second, or stays open but silent for a second; either way it comes back, and no read may move
// ahead of the one before by more than the time between them and three milliseconds (the clock's
// own catching up with a device after its rate estimate, a few milliseconds, stays inside that).
TEST(MusicOnAHandFedDevice, ComesBackWithoutTheShowJumpingAhead) {
    constexpr int64_t kMs = 1000000;
    constexpr int64_t kBufferNs = int64_t{MusicPlayer::kBufferFrames} * 1000000000 / MusicPlayer::kSampleRate;
    for (const bool pull : {true, false}) {
        SCOPED_TRACE(pull ? "pulled out" : "silent");
        const TestMusic music;
        auto output = std::make_unique<HandFedOutput>();
        HandFedOutput& device = *output;
        g_handNowNs = 5000 * kMs;
        MusicPlayer player(std::move(output), handNow);
        std::string error;
        testing::internal::CaptureStderr();
        ASSERT_TRUE(player.startStream(music.path.c_str(), error)) << error;
        int64_t nextRequestNs = g_handNowNs + kBufferNs / 2;
        double last = player.positionSeconds();
        for (int ms = 1; ms <= 3000; ++ms) {
            g_handNowNs += kMs;
            device.pulled = pull && ms >= 500 && ms < 1000;
            const bool silent = !pull && ms >= 500 && ms < 1500;
            if (device.playing() && g_handNowNs >= nextRequestNs) {
                if (!device.pulled && !silent) device.request();
                nextRequestNs += kBufferNs;
            }
            const bool wasPlaying = device.playing();
            const double position = player.positionSeconds();
            if (device.playing() && !wasPlaying) nextRequestNs = g_handNowNs + kBufferNs / 2;
            ASSERT_GE(position, last) << "at " << ms << " ms";
            ASSERT_LE(position - last, 0.001 + 0.003) << "at " << ms << " ms";
            last = position;
        }
        player.stop();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(count(said, pull ? "a sound device is back" : "takes sound again"), 1u) << said;
        // The show has gone on for three seconds, less the wait for the first buffer to be heard
        // (one and a half buffers) and, silent, the half second the player waits before letting
        // a device go; within a buffer.
        const double lost = 1.5 * kBufferNs * 1e-9 + (pull ? 0.0 : 0.5);
        EXPECT_NEAR(last, 3.0 - lost, kBufferNs * 1e-9) << said;
    }
}

}  // namespace
