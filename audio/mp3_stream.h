// An MP3 file decoded as an endless loop of 16-bit stereo frames at a fixed rate, or once
// through and then silence.
//
// The whole file is held in memory (owned here), so the audio thread never touches the disk.
// Decoding is gapless: the encoder's delay and padding, when the file's LAME/Xing tag names
// them, are not part of the music, so frame 0 is the first sample of music and one pass is
// exactly the encoded music. Mono files are played on both channels; files at another
// sample rate are resampled.
// Each pass, and each jump, starts from the decoder opened afresh and decodes up to where
// it is going, so a position yields the same samples however it was reached. The decoder's
// own seek lands on the right sample but, for mono or resampled files, not always on the
// same values, as the filter state it leaves is not the one reading through leaves.
// Threads: opened on the caller's thread, then used by one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct mpg123_handle_struct;

class Mp3Stream {
public:
    // Decodes `bytes` at `sampleRate`; null with the reason in `error` when the data holds
    // no decodable MPEG audio at that rate.
    static std::unique_ptr<Mp3Stream> open(std::vector<unsigned char> bytes, int sampleRate,
                                           std::string& error);
    ~Mp3Stream();
    Mp3Stream(const Mp3Stream&) = delete;
    Mp3Stream& operator=(const Mp3Stream&) = delete;

    // Fills all `frames` interleaved stereo frames, starting over at the end of the stream
    // (or, not looping, ending there). A stream that breaks off mid-way, or yields nothing
    // in a whole pass, fills silence.
    void read(int16_t* out, int64_t frames);

    // Whether the end of the music starts it over (the default) or ends it: then reads give
    // silence from there, and a seek past the end leaves the stream ended rather than at its
    // start.
    void setLooping(bool looping) { looping_ = looping; }
    // Not looping: the music has ended; its length is then loopFrames.
    bool ended() const { return ended_; }

    // The frame of the music the next read starts with.
    int64_t position() const { return passFrames_; }

    // Frames in one pass through the music; 0 until the first pass has been decoded.
    int64_t loopFrames() const { return loopFrames_; }

    // Frames in one pass as far as known without decoding it: loopFrames once found, else
    // the count the file's LAME/Xing tag gives (exact), else an estimate from the file's
    // size. 0 when the decoder cannot tell.
    int64_t lengthFrames() const;

    // The next read starts at `frame` of the music, sample for sample what reading through
    // would give there, and the pass goes on to its usual end. Costs decoding time up to
    // `frame` (from the start when it lies behind). False when the music ends before
    // `frame`, leaving the stream at its start (not looping: ended), or when the decoder
    // fails.
    bool seek(int64_t frame);

    // mpg123's reader callbacks work on this cursor.
    struct Cursor {
        std::vector<unsigned char> bytes;
        size_t position = 0;
    };

private:
    Mp3Stream() = default;
    int decode(int16_t* out, int64_t frames, int64_t& got);
    bool restart();
    bool rewind();
    bool passEnded();

    mpg123_handle_struct* handle_ = nullptr;
    std::unique_ptr<Cursor> cursor_;
    int64_t passFrames_ = 0;  // the frame of the music the next read starts with
    int64_t loopFrames_ = 0;
    bool broken_ = false;
    bool looping_ = true;
    bool ended_ = false;
};
