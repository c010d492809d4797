// Sound output for the demo: one audio device playing either an MP3 stream (looping, or once
// with the position running on past its end) or a tracker module, and the position of what
// has been heard so far.
//
// Device: 44100 Hz, 16-bit stereo, full volume, 1024-frame (23.2 ms) buffers. The buffer is
// a power of two because SDL's dummy and disk drivers pace themselves by sleeping for a
// power-of-two buffer's length in whole milliseconds; with 882 frames they took 882 frames
// every 23 ms and ran 14 % slow, with 1024 they run within 0.2 % of real time.
//
// Devices come and go, and the position is the show's clock, so it must never stop. Each
// position read first looks after the device. When the device has gone, the position runs
// on from where it stood by the steady clock, and the player opens the default device again
// at once, then about once a second. When one opens, the stream goes on there from the
// position the show will have reached when its sound is first heard, sample for sample as a
// seek would, and the position follows the heard sound again from then on, without a step
// back (what the guess missed by, half a buffer at most on SDL's dummy driver, becomes a
// small step forward or a short halt). A device that stops asking for sound without being
// reported gone is let go the same way after half a second, and followed again, with
// the music moved on to the show's place, when it asks again. A stream that runs on past its
// end lets the position run on in the same way once the heard music has ended, in silence.
// Each change is one line on stderr.
//
// Threads. The caller's thread (the main loop) starts, stops, seeks and reads the position;
// the device's thread runs `fillDevice`. While a device plays, its thread alone touches the
// decoder (`stream_` or `module_`), `handed_` and the writer side of `clock_`; the caller's
// thread touches only the reader side of `clock_` (StreamClock's sequence-locked atomics)
// and `endFrame_`. The exceptions: `seek` moves the decoder and restarts the clock with the
// device locked (the output holds that lock around every fill, so the device's thread is not
// inside `fillDevice` meanwhile and its next request sees the moved state); and while no
// device is open (after a loss, until one opens again, paused) the decoder and the clock are
// the caller's alone. The decoder and clock are created, and moved to the start position,
// before the device plays, and destroyed only after closing the device has joined its
// thread, so neither outlives nor precedes it. The observer is set before starting and
// called on the device's thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_output.h"
#include "audio/stream_clock.h"

class Mp3Stream;
class ModuleStream;

class MusicPlayer {
public:
    static constexpr int kSampleRate = 44100;
    // Far more than any soundtrack of a show's length: a file past it is refused unread.
    static constexpr size_t kMaxMusicBytes = size_t{256} << 20;
    static constexpr int kBufferFrames = 1024;

    // At the end of the stream: start it over, the position wrapping to 0; or end the music
    // there, the position running on by the steady clock.
    enum class AtEnd { Loop, RunOn };

    // Called on the device's thread after each buffer: steady time of the request, frames
    // handed to the device (since it opened) before this buffer, frames in this buffer.
    using Observer = void (*)(void* user, int64_t nowNs, int64_t handedBefore, int64_t frames);

    // Steady-clock nanoseconds, read on both threads: the time of the position reads and of
    // the device's requests. Any source but the steady clock is a test's.
    using TimeSource = int64_t (*)();

    explicit MusicPlayer(std::unique_ptr<AudioOutput> output = makeSdlAudioOutput(),
                         TimeSource now = steadyNowNs);
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // Start an MP3 stream, at `startSeconds` of the music, or a module. False, with the
    // cause in `error` and everything this call opened closed again, when no device opens,
    // the file cannot be read or decoded, or the start lies outside the music (negative,
    // not finite, or, looping, at or past its end: music that runs on may start past its
    // end, in silence). A player that is already playing is stopped first.
    bool startStream(const char* fileName, std::string& error) {
        return startStream(fileName, 0.0, error);
    }
    bool startStream(const char* fileName, double startSeconds, std::string& error,
                     AtEnd atEnd = AtEnd::Loop);
    bool startModule(const char* fileName, std::string& error);

    // Moves the stream to `seconds` of the music; the position counts from there once this
    // returns. False when no stream plays (`error` left empty) or the position lies outside
    // the music as startStream has it (the cause in `error`; playback goes on as it was,
    // unless looping music turned out to end before it: then it goes on from its start).
    // The device's thread waits while the decoder gets there, so a far jump can cost the
    // device a buffer of sound.
    bool seek(double seconds, std::string& error);

    // Closes the device, the decoder and the audio subsystem; harmless when not playing.
    void stop();

    // What has been heard so far, counted from the stream's first sample: a looping stream
    // wraps to 0 at each loop; a module counts on. 0 when nothing plays. Each read first
    // looks after the device (see above).
    double positionSeconds();
    int64_t positionMilliseconds();

    void setObserver(Observer observer, void* user);

private:
    bool openDeviceAndRead(const char* fileName, std::vector<unsigned char>& bytes,
                           std::string& error);
    bool play(bool decoderReady, const char* fileName, std::string& error);
    bool moveStream(double seconds, std::string& error);
    bool fail(const char* fileName, std::string& error);  // closes everything; false
    // Opens the output, the fill starting afresh; the clock is the caller's to set up.
    bool openOutput(std::string& error);
    bool openDevice(std::string& error);
    // The clock after a look after the device, read at nowNs; null when nothing plays.
    StreamClock* watchedClock(int64_t& nowNs);
    void closeAll();
    void watchDevice(int64_t nowNs);
    void loseDevice(int64_t nowNs);
    void reopenDevice(int64_t nowNs);
    void watchStall(int64_t nowNs);
    bool resumeAtShow(int64_t nowNs);
    bool followShow(int64_t nowNs, int64_t ahead);
    void noteMusicEnd(int64_t nowNs);
    bool musicOver() const;
    static void fillDevice(void* self, uint8_t* bytes, int length);

    std::unique_ptr<AudioOutput> output_;
    const TimeSource now_;
    std::unique_ptr<Mp3Stream> stream_;
    std::unique_ptr<ModuleStream> module_;
    std::unique_ptr<StreamClock> clock_;
    AtEnd atEnd_ = AtEnd::Loop;
    int64_t handed_ = 0;  // device's thread only
    // Music that runs on: its last frame plus one once the decoder has reached it, else -1.
    std::atomic<int64_t> endFrame_{-1};
    bool endNoted_ = false;
    int64_t nextOpenNs_ = 0;  // when no device is open: when to try again
    int64_t queued_ = 0;      // what the open device keeps queued
    // When the device was last started, or its sound moved: a request is due after that.
    int64_t quietSinceNs_ = 0;
    bool stalled_ = false;    // the open device stopped asking; the position runs free
    int64_t stalledAtNs_ = 0;
    Observer observer_ = nullptr;
    void* observerUser_ = nullptr;
};
