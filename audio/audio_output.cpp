#include "audio/audio_output.h"

#include <SDL.h>

#include <cstring>

namespace {

// Drivers that consume a buffer while the next is being made; real devices keep about
// one buffer queued behind the one being filled.
bool consumesWhileFilling(const char* driver) {
    return driver != nullptr &&
           (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "disk") == 0);
}

std::string noDevice() {
    return std::string("no audio device (") + SDL_GetError() +
           "); to run without sound set SDL_AUDIODRIVER=dummy";
}

class SdlAudioOutput : public AudioOutput {
public:
    ~SdlAudioOutput() override { close(); }

    bool open(const Format& format, Fill fill, void* user, int64_t& queuedFrames,
              std::string& error) override {
        close();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            error = noDevice();
            return false;
        }
        subsystemOpen_ = true;
        SDL_AudioSpec wanted{};
        wanted.freq = format.rate;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = static_cast<Uint8>(format.channels);
        wanted.samples = static_cast<Uint16>(format.bufferFrames);
        wanted.callback = fill;
        wanted.userdata = user;
        SDL_AudioSpec obtained{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
        if (device_ == 0) {
            error = noDevice();
            close();
            return false;
        }
        queuedFrames = consumesWhileFilling(SDL_GetCurrentAudioDriver()) ? 0 : obtained.samples;
        return true;
    }

    void play() override { SDL_PauseAudioDevice(device_, 0); }

    // SDL marks a removed device stopped; a paused or playing one is still there.
    bool gone() override {
        return device_ != 0 && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED;
    }

    void lock() override { SDL_LockAudioDevice(device_); }
    void unlock() override { SDL_UnlockAudioDevice(device_); }

    void close() override {
        if (device_ != 0) {
            SDL_CloseAudioDevice(device_);  // joins the device's thread
            device_ = 0;
        }
        if (subsystemOpen_) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            subsystemOpen_ = false;
        }
    }

    bool isOpen() const override { return device_ != 0; }

private:
    SDL_AudioDeviceID device_ = 0;
    bool subsystemOpen_ = false;
};

}  // namespace

std::unique_ptr<AudioOutput> makeSdlAudioOutput() { return std::make_unique<SdlAudioOutput>(); }
