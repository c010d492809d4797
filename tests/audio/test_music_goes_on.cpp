// The show's clock goes on whatever the sound does, on SDL's dummy driver: a device pulled
// out and plugged back, and music that ends before the show. Positions are read every few
// milliseconds, as the demo's frames read them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_output.h"
#include "audio/mp3_stream.h"
#include "audio/music_player.h"
#include "audio_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

// The longest the position may stand still: a frame of the show at its slowest, 50 frames/s.
constexpr int64_t kFrameNs = 20000000;

// What the test sees of the device it can pull out, and the first buffer the device was
// handed after each time it opened.
struct Socket {
    std::atomic<bool> pulled{false};
    std::atomic<int> opens{0};
    std::atomic<bool> firstPending{false};
    std::vector<int16_t> firstBuffer;
    std::atomic<int64_t> firstNs{0};
};

// SDL's device behind a plug: pulled, it stops asking for sound, says it is gone, and no
// device opens until it is plugged back.
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
        socket_.firstNs = 0;
        socket_.firstPending = true;
        ++socket_.opens;
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
        if (socket.pulled) {
            std::memset(bytes, 0, static_cast<size_t>(length));
            return;
        }
        output->fill_(output->user_, bytes, length);
        if (socket.firstPending.exchange(false)) {
            const auto* samples = reinterpret_cast<const int16_t*>(bytes);
            socket.firstBuffer.assign(samples, samples + length / sizeof(int16_t));
            socket.firstNs = steadyNowNs();
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

// The position never goes back, and once the device has first taken sound it never stands
// still for longer than a frame.
void expectItGoesOn(const std::vector<Read>& reads) {
    ASSERT_FALSE(reads.empty());
    size_t k = 1;
    while (k < reads.size() && reads[k].frames == reads.front().frames) {
        ++k;
    }
    int64_t stillSince = reads[k - 1].ns;
    for (; k < reads.size(); ++k) {
        ASSERT_GE(reads[k].frames, reads[k - 1].frames) << "read " << k;
        if (reads[k].frames > reads[k - 1].frames) {
            stillSince = reads[k].ns;
        }
        ASSERT_LE(reads[k].ns - stillSince, kFrameNs) << "read " << k << " at "
                                                      << reads[k].frames << " frames";
    }
}

class MusicGoesOn : public testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("SDL_AUDIODRIVER") == nullptr) {
            setenv("SDL_AUDIODRIVER", "dummy", 1);
        }
    }

    // Reads the position every 3 ms until `done` says so or five seconds have passed.
    template <typename Done>
    static std::vector<Read> readUntil(MusicPlayer& player, Done done) {
        std::vector<Read> reads;
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (!done(reads) && Clock::now() < deadline) {
            const double seconds = player.positionSeconds();
            reads.push_back(Read{steadyNowNs(), seconds * MusicPlayer::kSampleRate});
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        return reads;
    }

    static size_t count(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
            ++n;
        }
        return n;
    }
};

// Where `buffer` lies in `music`, searching frames [from, to]; -1 when nowhere.
int64_t findInMusic(const std::vector<int16_t>& music, const std::vector<int16_t>& buffer,
                    int64_t from, int64_t to) {
    for (int64_t frame = std::max<int64_t>(0, from); frame <= to; ++frame) {
        const size_t at = static_cast<size_t>(frame) * 2;
        if (at + buffer.size() <= music.size() &&
            std::equal(buffer.begin(), buffer.end(), music.begin() + static_cast<long>(at))) {
            return frame;
        }
    }
    return -1;
}

TEST_F(MusicGoesOn, ThroughADevicePulledOutAndPluggedBack) {
    const auto frames = static_cast<size_t>(4.0 * audiotest::kRate);
    const std::vector<unsigned char> mp3 =
        audiotest::encodeTestMp3(audiotest::testSignal(frames, 2), 2);
    const std::string path = audiotest::writeTempFile("pulled.mp3", mp3);
    Socket socket;
    MusicPlayer player(std::make_unique<PullableOutput>(socket));
    std::string error;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(player.startStream(path.c_str(), error)) << error;

    // Pulled out at 0.4 s of music, plugged back a second later; read on until the music has
    // played half a second on the device that opened then.
    const double kPullAt = 0.4 * MusicPlayer::kSampleRate;
    const double kPlugAt = 1.4 * MusicPlayer::kSampleRate;
    const std::vector<Read> reads = readUntil(player, [&](const std::vector<Read>& sofar) {
        if (sofar.empty()) {
            return false;
        }
        const double at = sofar.back().frames;
        if (at >= kPullAt && socket.opens == 1) {
            socket.pulled = true;
        }
        if (at >= kPlugAt) {
            socket.pulled = false;
        }
        const int64_t back = socket.firstNs;
        return socket.opens == 2 && back != 0 && sofar.back().ns - back > 500000000;
    });
    player.stop();
    const std::string said = testing::internal::GetCapturedStderr();

    ASSERT_EQ(socket.opens, 2) << said;
    ASSERT_NO_FATAL_FAILURE(expectItGoesOn(reads));
    EXPECT_EQ(count(said, "\n"), 2u) << said;
    EXPECT_EQ(count(said, "music: the sound device is gone at 0.4"), 1u) << said;
    EXPECT_EQ(count(said, "music: a sound device is back at "), 1u) << said;

    // The first sound after the return is the music, sample for sample, at the show's place:
    // within a buffer of the position read just after the device took it.
    const auto after = std::find_if(reads.begin(), reads.end(),
                                    [&](const Read& r) { return r.ns >= socket.firstNs; });
    ASSERT_NE(after, reads.end());
    auto reference = Mp3Stream::open(mp3, audiotest::kRate, error);
    ASSERT_TRUE(reference) << error;
    std::vector<int16_t> music(frames * 2);
    reference->read(music.data(), static_cast<int64_t>(frames));
    const auto show = static_cast<int64_t>(after->frames);
    const int64_t resumed = findInMusic(music, socket.firstBuffer,
                                        show - 2 * MusicPlayer::kBufferFrames,
                                        show + 2 * MusicPlayer::kBufferFrames);
    ASSERT_GE(resumed, 0) << "the sound after the return is not the music near " << show;
    EXPECT_LE(std::abs(show - resumed), MusicPlayer::kBufferFrames);
    EXPECT_GT(resumed, kPlugAt);
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
        const std::vector<Read> reads = readUntil(player, [&](const std::vector<Read>& sofar) {
            return !sofar.empty() && sofar.back().frames > until;
        });
        player.stop();
        const std::string said = testing::internal::GetCapturedStderr();
        ASSERT_NO_FATAL_FAILURE(expectItGoesOn(reads)) << "from " << start;
        EXPECT_GE(reads.front().frames, start * MusicPlayer::kSampleRate);
        EXPECT_GT(reads.back().frames, until) << "from " << start;
        EXPECT_EQ(said, "music: the music ended at 0.30 s; the show goes on without it\n");
    }
}

}  // namespace
