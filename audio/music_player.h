// Sound output for the demo: one SDL audio device playing either an MP3 stream (looping)
// or a tracker module, and the position of what has been heard so far.
//
// Device: 44100 Hz, 16-bit stereo, full volume, 1024-frame (23.2 ms) buffers. The buffer is
// a power of two because SDL's dummy and disk drivers pace themselves by sleeping for a
// power-of-two buffer's length in whole milliseconds; with 882 frames they took 882 frames
// every 23 ms and ran 14 % slow, with 1024 they run within 0.2 % of real time.
//
// Threads. The caller's thread (the main loop) starts, stops, seeks and reads the position;
// SDL's audio thread runs `fillDevice`. While the device plays, the audio thread alone
// touches the decoder (`stream_` or `module_`), `handed_` and the writer side of `clock_`;
// the caller's thread touches only the reader side of `clock_` (StreamClock's
// sequence-locked atomics). The one exception is `seek`, which moves the decoder and
// restarts the clock with the device locked: SDL holds that lock around every callback, so
// the audio thread is not inside `fillDevice` meanwhile and its next request sees the moved
// state. The decoder and clock are created, and moved to the start position, before the
// device is unpaused, and destroyed only after SDL_CloseAudioDevice has joined the audio
// thread, so neither outlives nor precedes it. The observer is set before starting and
// called on the audio thread.
//
// SDL's audio subsystem is initialised by start and shut by stop (or by a failed start),
// reference-counted by SDL, so it coexists with the video subsystem owned elsewhere.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/stream_clock.h"

class Mp3Stream;
class ModuleStream;

class MusicPlayer {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kBufferFrames = 1024;

    // Called on the audio thread after each buffer: steady time of the request, frames
    // handed to the device before this buffer, frames in this buffer.
    using Observer = void (*)(void* user, int64_t nowNs, int64_t handedBefore, int64_t frames);

    MusicPlayer();
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // Start an MP3 stream, at `startSeconds` of the music, or a module. False, with the
    // cause in `error` and everything this call opened closed again, when no device opens,
    // the file cannot be read or decoded, or the start lies outside the music (negative,
    // not finite, at or past its end). A player that is already playing is stopped first.
    bool startStream(const char* fileName, std::string& error) {
        return startStream(fileName, 0.0, error);
    }
    bool startStream(const char* fileName, double startSeconds, std::string& error);
    bool startModule(const char* fileName, std::string& error);

    // Moves the stream to `seconds` of the music; the position counts from there once this
    // returns. False when no stream plays (`error` left empty) or the position lies outside
    // the music (the cause in `error`; playback goes on as it was, unless the music turned
    // out to end before it: then it goes on from its start). The audio thread waits while
    // the decoder gets there, so a far jump can cost the device a buffer of sound.
    bool seek(double seconds, std::string& error);

    // Closes the device, the decoder and the audio subsystem; harmless when not playing.
    void stop();

    bool playing() const { return device_ != 0; }

    // What has been heard so far, counted from the stream's first sample: the stream wraps
    // to 0 at each loop; a module counts on. 0 when nothing plays.
    double positionSeconds();
    int64_t positionMilliseconds();

    void setObserver(Observer observer, void* user);

private:
    bool openDeviceAndRead(const char* fileName, std::vector<unsigned char>& bytes,
                           std::string& error);
    bool play(bool decoderReady, const char* fileName, std::string& error);
    bool moveStream(double seconds, std::string& error);
    bool fail(const char* fileName, std::string& error);  // closes everything; false
    bool openDevice(std::string& error);
    void closeDevice();
    static void fillDevice(void* self, uint8_t* bytes, int length);

    uint32_t device_ = 0;
    bool subsystemOpen_ = false;
    std::unique_ptr<Mp3Stream> stream_;
    std::unique_ptr<ModuleStream> module_;
    std::unique_ptr<StreamClock> clock_;
    int64_t handed_ = 0;  // audio thread only
    Observer observer_ = nullptr;
    void* observerUser_ = nullptr;
};

