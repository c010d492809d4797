#include "audio/music_player.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "audio/module_stream.h"
#include "audio/mp3_stream.h"
#include "platform/whole_file.h"

namespace {

constexpr size_t kMaxMusicBytes = size_t{256} << 20;
constexpr int kChannels = 2;

// Drivers that consume a buffer while the next is being made; real devices keep about
// one buffer queued behind the one being filled.
bool consumesWhileFilling(const char* driver) {
    return driver != nullptr &&
           (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "disk") == 0);
}

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

}  // namespace

MusicPlayer::MusicPlayer() = default;

MusicPlayer::~MusicPlayer() { stop(); }

void MusicPlayer::setObserver(Observer observer, void* user) {
    observer_ = observer;
    observerUser_ = user;
}

bool MusicPlayer::openDevice(std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = std::string("no audio device (") + SDL_GetError() +
                "); to run without sound set SDL_AUDIODRIVER=dummy";
        return false;
    }
    subsystemOpen_ = true;
    SDL_AudioSpec wanted{};
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kChannels;
    wanted.samples = kBufferFrames;
    wanted.callback = fillDevice;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device_ == 0) {
        error = std::string("no audio device (") + SDL_GetError() +
                "); to run without sound set SDL_AUDIODRIVER=dummy";
        closeDevice();
        return false;
    }
    const int64_t queued = consumesWhileFilling(SDL_GetCurrentAudioDriver()) ? 0 : obtained.samples;
    clock_ = std::make_unique<StreamClock>(kSampleRate, queued);
    handed_ = 0;
    return true;
}

void MusicPlayer::closeDevice() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);  // joins the audio thread
        device_ = 0;
    }
    stream_.reset();
    module_.reset();
    clock_.reset();
    if (subsystemOpen_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemOpen_ = false;
    }
}

bool MusicPlayer::startStream(const char* fileName, double startSeconds, std::string& error) {
    std::vector<unsigned char> bytes;
    if (!openDeviceAndRead(fileName, bytes, error)) {
        return false;
    }
    stream_ = Mp3Stream::open(std::move(bytes), kSampleRate, error);
    return play(stream_ != nullptr && moveStream(startSeconds, error), fileName, error);
}

bool MusicPlayer::seek(double seconds, std::string& error) {
    if (device_ == 0 || !stream_) {
        return false;
    }
    SDL_LockAudioDevice(device_);
    const bool moved = moveStream(seconds, error);
    SDL_UnlockAudioDevice(device_);
    return moved;
}

// Decoder and clock move together, so the position always names what the decoder plays.
bool MusicPlayer::moveStream(double seconds, std::string& error) {
    int64_t frame = 0;
    if (!frameInMusic(seconds, stream_->lengthFrames(), frame, error)) {
        return false;
    }
    if (stream_->seek(frame)) {
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
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

bool MusicPlayer::fail(const char* fileName, std::string& error) {
    error = std::string(fileName) + ": " + error;
    closeDevice();
    return false;
}

void MusicPlayer::stop() { closeDevice(); }

double MusicPlayer::positionSeconds() {
    return clock_ ? clock_->positionSeconds(steadyNowNs()) : 0.0;
}

int64_t MusicPlayer::positionMilliseconds() {
    return clock_ ? clock_->positionMilliseconds(steadyNowNs()) : 0;
}

void MusicPlayer::fillDevice(void* self, uint8_t* bytes, int length) {
    const int64_t nowNs = steadyNowNs();
    auto* player = static_cast<MusicPlayer*>(self);
    auto* out = reinterpret_cast<int16_t*>(bytes);
    const int64_t frames = length / static_cast<int>(kChannels * sizeof(int16_t));
    int64_t loopFrames = 0;
    if (player->stream_) {
        player->stream_->read(out, frames);
        loopFrames = player->stream_->loopFrames();
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
