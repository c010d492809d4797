#include "audio/mp3_stream.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kChannels = 2;

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

bool Mp3Stream::restart() {
    if (passFrames_ == 0) {
        return false;  // a pass without music: looping would spin forever
    }
    if (loopFrames_ == 0) {
        loopFrames_ = passFrames_;
    }
    passFrames_ = 0;
    return mpg123_seek(handle_, 0, SEEK_SET) >= 0;
}

void Mp3Stream::read(int16_t* out, int64_t frames) {
    const size_t frameBytes = kChannels * sizeof(int16_t);
    auto* cursor = reinterpret_cast<unsigned char*>(out);
    size_t wanted = static_cast<size_t>(frames) * frameBytes;
    while (wanted > 0 && !broken_) {
        size_t got = 0;
        const int code = mpg123_read(handle_, cursor, wanted, &got);
        cursor += got;
        wanted -= got;
        passFrames_ += static_cast<int64_t>(got / frameBytes);
        if (code == MPG123_DONE) {
            broken_ = !restart();
        } else if (code != MPG123_OK && code != MPG123_NEW_FORMAT && got == 0) {
            broken_ = true;
        }
    }
    std::memset(cursor, 0, wanted);
}
