#include "audio/music_player.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "audio/module_stream.h"
#include "audio/mp3_stream.h"
#include "files/whole_file.h"

namespace {

constexpr int kChannels = 2;
constexpr int64_t kReopenIntervalNs = 1000000000;
// Longer than any pause between requests of a device that plays, even with its thread held
// up on a busy machine (a quarter of a second has been seen), and short for a halt.
constexpr int64_t kStallNs = 500000000;
// Music that runs on may be started or moved this far past its end (about 800 years), which
// keeps every position a whole number of frames in a double.
constexpr int64_t kRunOnFrames = int64_t{1} << 40;

const AudioOutput::Format kFormat{MusicPlayer::kSampleRate, kChannels,
                                  MusicPlayer::kBufferFrames};

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}

std::string pastTheEnd(double seconds, int64_t length) {
    return "music position " + secondsText(seconds) + " is at or past the end of the music (" +
           secondsText(static_cast<double>(length) / MusicPlayer::kSampleRate) + ")";
}

// The frame at `seconds` when it lies inside music of `length` frames (the first frame
// always does: any stream that decodes can start there). Compared as doubles first, so
// huge times never reach the integer conversion.
bool frameInMusic(double seconds, int64_t length, int64_t& frame, std::string& error) {
    if (!std::isfinite(seconds) || seconds < 0.0) {
        error = "music position " + secondsText(seconds) + " is not a time in the music";
        return false;
    }
    const double frames = std::floor(seconds * MusicPlayer::kSampleRate);
    if (frames > 0.0 && frames >= static_cast<double>(length)) {
        error = pastTheEnd(seconds, length);
        return false;
    }
    frame = static_cast<int64_t>(frames);
    return true;
}

// One line on stderr for each change in what the show hears.
void say(const char* change, double seconds, const char* consequence) {
    std::fprintf(stderr, "music: %s at %.2f s; %s\n", change, seconds, consequence);
}

}  // namespace

MusicPlayer::MusicPlayer(std::unique_ptr<AudioOutput> output, TimeSource now)
    : output_(std::move(output)), now_(now) {}

MusicPlayer::~MusicPlayer() { stop(); }

void MusicPlayer::setObserver(Observer observer, void* user) {
    observer_ = observer;
    observerUser_ = user;
}

bool MusicPlayer::openOutput(std::string& error) {
    int64_t queued = 0;
    if (!output_->open(kFormat, fillDevice, this, queued, error)) {
        return false;
    }
    queued_ = queued;
    handed_ = 0;
    return true;
}

bool MusicPlayer::openDevice(std::string& error) {
    if (!openOutput(error)) {
        return false;
    }
    clock_ = std::make_unique<StreamClock>(kSampleRate, queued_);
    stalled_ = false;
    endFrame_.store(-1);
    endNoted_ = false;
    return true;
}

void MusicPlayer::closeAll() {
    output_->close();  // joins the device's thread
    stream_.reset();
    module_.reset();
    clock_.reset();
}

bool MusicPlayer::startStream(const char* fileName, double startSeconds, std::string& error,
                              AtEnd atEnd) {
    std::vector<unsigned char> bytes;
    if (!openDeviceAndRead(fileName, bytes, error)) {
        return false;
    }
    atEnd_ = atEnd;
    stream_ = Mp3Stream::open(std::move(bytes), kSampleRate, error);
    if (stream_) {
        stream_->setLooping(atEnd == AtEnd::Loop);
    }
    return play(stream_ != nullptr && moveStream(startSeconds, error), fileName, error);
}

bool MusicPlayer::seek(double seconds, std::string& error) {
    if (!clock_ || !stream_) {
        return false;
    }
    const bool deviceOpen = output_->isOpen();
    if (deviceOpen) {
        output_->lock();
    }
    const bool moved = moveStream(seconds, error);
    quietSinceNs_ = now_();
    stalled_ = false;
    if (deviceOpen) {
        output_->unlock();
    } else {
        clock_->runFree(now_());  // no device yet: on from the new place by the clock
    }
    return moved;
}

// Decoder and clock move together, so the position always names what the decoder plays.
// Music that runs on goes past its end all the same, in silence.
bool MusicPlayer::moveStream(double seconds, std::string& error) {
    int64_t frame = 0;
    const int64_t length = atEnd_ == AtEnd::RunOn ? kRunOnFrames : stream_->lengthFrames();
    if (!frameInMusic(seconds, length, frame, error)) {
        return false;
    }
    const bool reached = stream_->seek(frame);
    if (stream_->ended()) {
        endFrame_.store(stream_->loopFrames());
    }
    endNoted_ = false;
    if (reached || atEnd_ == AtEnd::RunOn) {
        clock_->restartAt(frame);
        return true;
    }
    // The music ended (or broke off) short of the length the file's header promised; the
    // stream went back to its start.
    clock_->restartAt(0);
    error = pastTheEnd(seconds, stream_->lengthFrames());
    return false;
}

bool MusicPlayer::startModule(const char* fileName, std::string& error) {
    std::vector<unsigned char> bytes;
    if (!openDeviceAndRead(fileName, bytes, error)) {
        return false;
    }
    atEnd_ = AtEnd::Loop;
    module_ = ModuleStream::open(bytes, kSampleRate, error);
    return play(module_ != nullptr, fileName, error);
}

// The device is opened before the file is read: a machine without sound fails on that,
// whatever the file.
bool MusicPlayer::openDeviceAndRead(const char* fileName, std::vector<unsigned char>& bytes,
                                    std::string& error) {
    stop();
    if (!openDevice(error)) {
        return false;
    }
    error = files::readWholeFile(fileName, kMaxMusicBytes, bytes);
    return error.empty() || fail(fileName, error);
}

bool MusicPlayer::play(bool decoderReady, const char* fileName, std::string& error) {
    if (!decoderReady) {
        return fail(fileName, error);
    }
    output_->play();
    quietSinceNs_ = now_();
    return true;
}

bool MusicPlayer::fail(const char* fileName, std::string& error) {
    error = std::string(fileName) + ": " + error;
    closeAll();
    return false;
}

void MusicPlayer::stop() { closeAll(); }

StreamClock* MusicPlayer::watchedClock(int64_t& nowNs) {
    if (!clock_) {
        return nullptr;
    }
    nowNs = now_();
    watchDevice(nowNs);
    return clock_.get();
}

double MusicPlayer::positionSeconds() {
    int64_t nowNs = 0;
    StreamClock* clock = watchedClock(nowNs);
    return clock ? clock->positionSeconds(nowNs) : 0.0;
}

int64_t MusicPlayer::positionMilliseconds() {
    int64_t nowNs = 0;
    StreamClock* clock = watchedClock(nowNs);
    return clock ? clock->positionMilliseconds(nowNs) : 0;
}

void MusicPlayer::watchDevice(int64_t nowNs) {
    if (output_->isOpen() && output_->gone()) {
        loseDevice(nowNs);
    }
    if (!output_->isOpen() && nowNs >= nextOpenNs_) {
        reopenDevice(nowNs);
    } else if (output_->isOpen()) {
        watchStall(nowNs);
    }
    noteMusicEnd(nowNs);
}

void MusicPlayer::loseDevice(int64_t nowNs) {
    clock_->runFree(nowNs);
    stalled_ = false;
    output_->close();  // joins the device's thread: the decoder is this thread's until one opens
    say("the sound device is gone", clock_->positionSeconds(nowNs), "the show goes on without it");
    nextOpenNs_ = nowNs;  // try again at once
}

// The decoder follows the show first, so opening after a long absence decodes only what
// passed since the last attempt; once a device opens (which can take a while) it moves on
// once more, to where the show will be when that device's sound is first heard.
void MusicPlayer::reopenDevice(int64_t nowNs) {
    if (!followShow(nowNs, 0)) {
        return;  // still ahead of the show: try again at the next read
    }
    nextOpenNs_ = nowNs + kReopenIntervalNs;
    std::string error;
    if (!openOutput(error)) {
        return;  // no word: the loss has been told, and this is tried every second
    }
    clock_->useDevice(queued_);
    const int64_t openedNs = now_();
    resumeAtShow(openedNs);
    output_->play();
    quietSinceNs_ = now_();
    say("a sound device is back", clock_->positionSeconds(openedNs), "the music goes on from there");
}

// A device that stops asking for sound, unreported, would hold the position at the end of
// its last buffer for as long as it stays silent.
void MusicPlayer::watchStall(int64_t nowNs) {
    const int64_t lastNs = std::max(clock_->lastRequestNs(), quietSinceNs_);
    if (!stalled_) {
        if (nowNs - lastNs > kStallNs && !clock_->runningFree()) {
            stalled_ = true;
            stalledAtNs_ = nowNs;
            clock_->runFree(nowNs);
            say("the sound device stopped taking sound", clock_->positionSeconds(nowNs),
                "the show goes on without it");
        }
        return;
    }
    if (lastNs <= stalledAtNs_) {
        return;
    }
    output_->lock();
    const bool resumed = resumeAtShow(nowNs);
    output_->unlock();
    if (resumed) {
        stalled_ = false;
        quietSinceNs_ = now_();
        say("the sound device takes sound again", clock_->positionSeconds(nowNs),
            "the music goes on from there");
    }
}

// With the device held off: the decoder moves on to where the show will be when the device's
// sound is next heard, half a buffer on (the mean wait for its next request) and past what
// it keeps queued, and the position follows that sound from when it is heard. False while
// the decoder is still ahead of the show.
bool MusicPlayer::resumeAtShow(int64_t nowNs) {
    const int64_t ahead = kBufferFrames / 2 + queued_;
    if (!followShow(nowNs, ahead)) {
        return false;
    }
    if (stream_ && !musicOver()) {
        clock_->rejoinAt(stream_->position());
    } else if (module_) {
        clock_->rejoinAt(static_cast<int64_t>(std::ceil(clock_->positionFrames(nowNs))) + ahead);
    }
    return true;
}

// Moves the decoder on to `ahead` frames past the one the show has reached (rounded up).
// Only forward: going back would decode from the start. False while the decoder is still
// ahead of the show, by what the lost device was handed but did not play: the show gets
// there within a buffer or two.
bool MusicPlayer::followShow(int64_t nowNs, int64_t ahead) {
    if (!stream_ || musicOver()) {
        return true;
    }
    const auto target = static_cast<int64_t>(std::ceil(clock_->positionFrames(nowNs))) + ahead;
    if (target < stream_->position()) {
        return false;
    }
    stream_->seek(target);
    if (stream_->ended()) {
        endFrame_.store(stream_->loopFrames());
    }
    return true;
}

// Music that runs on: once the heard position reaches its end, the clock runs free.
void MusicPlayer::noteMusicEnd(int64_t nowNs) {
    const int64_t end = endFrame_.load(std::memory_order_acquire);
    if (end < 0 || endNoted_ || clock_->positionFrames(nowNs) < static_cast<double>(end)) {
        return;
    }
    clock_->runFree(nowNs);
    endNoted_ = true;
    say("the music ended", static_cast<double>(end) / kSampleRate, "the show goes on without it");
}

// Only while no device plays (closed, paused or locked).
bool MusicPlayer::musicOver() const { return stream_ && stream_->ended(); }

void MusicPlayer::fillDevice(void* self, uint8_t* bytes, int length) {
    auto* player = static_cast<MusicPlayer*>(self);
    const int64_t nowNs = player->now_();
    auto* out = reinterpret_cast<int16_t*>(bytes);
    const int64_t frames = length / static_cast<int>(kChannels * sizeof(int16_t));
    int64_t loopFrames = 0;
    if (player->stream_) {
        player->stream_->read(out, frames);
        if (player->atEnd_ == AtEnd::Loop) {
            loopFrames = player->stream_->loopFrames();
        } else if (player->stream_->ended() && player->endFrame_.load() < 0) {
            player->endFrame_.store(player->stream_->loopFrames(), std::memory_order_release);
        }
    } else if (player->module_) {
        player->module_->read(out, frames);
    } else {
        std::memset(bytes, 0, static_cast<size_t>(length));
    }
    player->clock_->deviceConsumed(nowNs, frames, loopFrames);
    if (player->observer_ != nullptr) {
        player->observer_(player->observerUser_, nowNs, player->handed_, frames);
    }
    player->handed_ += frames;
}
