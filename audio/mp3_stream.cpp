#include "audio/mp3_stream.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kChannels = 2;
constexpr int64_t kSkipChunkFrames = 4096;

ssize_t readCursor(void* handle, void* buffer, size_t count) {
    auto* cursor = static_cast<Mp3Stream::Cursor*>(handle);
    const size_t left = cursor->bytes.size() - cursor->position;
    const size_t n = std::min(count, left);
    if (n == 0) {
        return 0;
    }
    std::memcpy(buffer, cursor->bytes.data() + cursor->position, n);
    cursor->position += n;
    return static_cast<ssize_t>(n);
}

off_t seekCursor(void* handle, off_t offset, int whence) {
    auto* cursor = static_cast<Mp3Stream::Cursor*>(handle);
    const auto size = static_cast<off_t>(cursor->bytes.size());
    off_t base = 0;
    if (whence == SEEK_CUR) {
        base = static_cast<off_t>(cursor->position);
    } else if (whence == SEEK_END) {
        base = size;
    } else if (whence != SEEK_SET) {
        return -1;
    }
    if (offset < -base || offset > size - base) {
        return -1;
    }
    cursor->position = static_cast<size_t>(base + offset);
    return static_cast<off_t>(cursor->position);
}

std::string describe(mpg123_handle* handle, int code) {
    if (code == MPG123_DONE) {
        return "no MPEG audio frames found";  // the decoder's own words for this are odd
    }
    return handle != nullptr && code == MPG123_ERR ? mpg123_strerror(handle)
                                                   : mpg123_plain_strerror(code);
}

// An error that yielded nothing: a stream that breaks off mid-way goes silent there.
bool failed(int code, int64_t got) {
    return code != MPG123_OK && code != MPG123_NEW_FORMAT && code != MPG123_DONE && got == 0;
}

}  // namespace

std::unique_ptr<Mp3Stream> Mp3Stream::open(std::vector<unsigned char> bytes, int sampleRate,
                                           std::string& error) {
    std::unique_ptr<Mp3Stream> stream(new Mp3Stream());
    stream->cursor_ = std::make_unique<Cursor>();
    stream->cursor_->bytes = std::move(bytes);

    int code = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &code);
    if (handle == nullptr) {
        error = "decoder unavailable: " + describe(nullptr, code);
        return nullptr;
    }
    stream->handle_ = handle;
    mpg123_param(handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_QUIET, 0.0);
    // Files at other rates (48 kHz, 22.05 kHz) are resampled rather than refused.
    mpg123_param(handle, MPG123_FORCE_RATE, sampleRate, 0.0);
    mpg123_format_none(handle);
    code = mpg123_format(handle, sampleRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (code == MPG123_OK) {
        code = mpg123_replace_reader_handle(handle, readCursor, seekCursor, nullptr);
    }
    if (code == MPG123_OK) {
        code = mpg123_open_handle(handle, stream->cursor_.get());
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (code == MPG123_OK) {
        code = mpg123_getformat(handle, &rate, &channels, &encoding);
    }
    if (code != MPG123_OK) {
        error = "not decodable as MP3 (" + describe(handle, code) + ")";
        return nullptr;
    }
    if (rate != sampleRate || channels != kChannels || encoding != MPG123_ENC_SIGNED_16) {
        error = "not decodable as " + std::to_string(sampleRate) + " Hz stereo";
        return nullptr;
    }
    return stream;
}

Mp3Stream::~Mp3Stream() {
    if (handle_ != nullptr) {
        mpg123_close(handle_);
        mpg123_delete(handle_);
    }
}

int64_t Mp3Stream::lengthFrames() const {
    if (loopFrames_ > 0) {
        return loopFrames_;
    }
    return std::max<int64_t>(0, mpg123_length(handle_));
}

// One decoder call into `out`: `got` frames of the current pass, and the decoder's code.
int Mp3Stream::decode(int16_t* out, int64_t frames, int64_t& got) {
    const size_t frameBytes = kChannels * sizeof(int16_t);
    size_t bytes = 0;
    const int code = mpg123_read(handle_, reinterpret_cast<unsigned char*>(out),
                                 static_cast<size_t>(frames) * frameBytes, &bytes);
    got = static_cast<int64_t>(bytes / frameBytes);
    passFrames_ += got;
    return code;
}

// At the end of a pass: its length is now known. Starts the next pass, or, not looping,
// ends the music there. False when nothing more can be read.
bool Mp3Stream::passEnded() {
    if (looping_) {
        broken_ = !restart();
    } else {
        if (loopFrames_ == 0) {
            loopFrames_ = passFrames_;
        }
        ended_ = true;
    }
    return !broken_ && !ended_;
}

bool Mp3Stream::restart() {
    if (passFrames_ == 0) {
        return false;  // a pass without music: looping would spin forever
    }
    if (loopFrames_ == 0) {
        loopFrames_ = passFrames_;
    }
    return rewind();
}

// Back to the first sample of music by opening the bytes afresh: the decoder's own seek
// to 0 keeps filter state that makes mono and resampled passes differ from the first by a
// step in some samples.
bool Mp3Stream::rewind() {
    passFrames_ = 0;
    ended_ = false;
    mpg123_close(handle_);
    cursor_->position = 0;
    broken_ = mpg123_open_handle(handle_, cursor_.get()) != MPG123_OK;
    return !broken_;
}

void Mp3Stream::read(int16_t* out, int64_t frames) {
    int64_t done = 0;
    while (done < frames && !broken_ && !ended_) {
        int64_t got = 0;
        const int code = decode(out + done * kChannels, frames - done, got);
        done += got;
        if (code == MPG123_DONE) {
            passEnded();
        } else if (failed(code, got)) {
            broken_ = true;
        }
    }
    std::memset(out + done * kChannels, 0,
                static_cast<size_t>(frames - done) * kChannels * sizeof(int16_t));
}

bool Mp3Stream::seek(int64_t frame) {
    if ((frame < passFrames_ || broken_ || ended_) && !rewind()) {
        return false;
    }
    int16_t scratch[kSkipChunkFrames * kChannels];
    while (passFrames_ < frame) {
        int64_t got = 0;
        const int64_t wanted = std::min(kSkipChunkFrames, frame - passFrames_);
        const int code = decode(scratch, wanted, got);
        if (code == MPG123_DONE) {
            passEnded();
            return false;
        }
        if (failed(code, got)) {
            broken_ = true;
            return false;
        }
    }
    return true;
}
