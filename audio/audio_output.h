// Where the music's sound goes: one output device at a time, opened paused and filled on a
// thread of its own while it plays. Devices come and go (headphones pulled out, a USB or
// Bluetooth device gone, a sound server restarted); the player watches `gone` and opens the
// default device again, so everything it needs from a device is here, and a test can put a
// device of its own in front of the real one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class AudioOutput {
public:
    // Fills `length` bytes of interleaved signed 16-bit frames; called on the device's thread.
    using Fill = void (*)(void* user, uint8_t* bytes, int length);

    struct Format {
        int rate = 0;
        int channels = 0;
        int bufferFrames = 0;
    };

    virtual ~AudioOutput() = default;

    // Opens the default output device for `format`, paused. False with the reason in `error`
    // and nothing left open. `queuedFrames`: frames the device keeps queued after it asks
    // for more (what it was handed but has not yet played).
    virtual bool open(const Format& format, Fill fill, void* user, int64_t& queuedFrames,
                      std::string& error) = 0;
    // Starts calling `fill`.
    virtual void play() = 0;
    // The open device has been removed, or can no longer play.
    virtual bool gone() = 0;
    // Holds the device's thread out of `fill` until unlock.
    virtual void lock() = 0;
    virtual void unlock() = 0;
    // Closes the device once its thread has left `fill` for good; harmless when none is open.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

// The SDL audio device. Each open initialises SDL's audio subsystem and each close shuts it
// (reference-counted by SDL, so the video subsystem is left alone), so a device opened
// after a sound server has restarted talks to the new one.
std::unique_ptr<AudioOutput> makeSdlAudioOutput();
