// A bounded big-endian reader over a byte buffer: the one road every read of an object file
// takes.
//
// The cursor never owns the bytes (the caller keeps the buffer alive while reading). It has a
// position and an end (a chunk's end while a chunk is read, never past the buffer). The first
// read or check that fails records where and why; from then on every read returns 0 or an
// empty string and the position stays put, so a loop over a damaged chunk ends at once and the
// first error is the one reported. Offsets are byte offsets from the start of the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "lwo/vec3.h"

class ByteCursor {
public:
    ByteCursor() = default;
    ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(size), end_(size) {}

    // Points the cursor at a buffer again (after the buffer moved), keeping its state.
    void rebind(const uint8_t* data, size_t size);

    size_t position() const { return position_; }
    size_t end() const { return end_; }
    size_t size() const { return size_; }
    size_t remaining() const { return position_ < end_ ? end_ - position_ : 0; }
    bool atEnd() const { return failed() || position_ >= end_; }

    // Moves the position; an offset past the end is a failure.
    void seek(size_t offset);
    // Sets the readable range to [position, limit), narrower or wider; a limit past the
    // buffer or before the position fails.
    void setEnd(size_t limit);
    // Widens the readable range back to the whole buffer (after a chunk).
    void resetEnd() { end_ = size_; }

    uint8_t readU1();
    uint16_t readU2();
    uint32_t readU4();
    float readF4();
    // Three F4s, x y z (VEC12).
    Vec3 readVec12();
    // Four characters, as they are (a chunk or sub-chunk ID).
    std::string readId4();
    // A zero-terminated string padded to even length (S0). Missing terminator: failure.
    std::string readPaddedString();
    // A variable-length index (VX): two bytes, or four when the first is 0xFF.
    int32_t readVariableIndex();
    // Skips n bytes, which must be there.
    void skip(size_t n);

    // True once n more bytes are readable; otherwise records "what" as the failure.
    bool need(size_t n, const char* what);

    // Records a failure at the current position (only the first one is kept). `context` names
    // what was being read (a chunk ID) and is set by the caller before it reads.
    void fail(const std::string& what);
    // The same, located at `offset` (the start of the value that was wrong).
    void failAt(size_t offset, const std::string& what);
    bool failed() const { return failed_; }
    // "<context> at 0x<offset>: <what>", empty while nothing failed.
    const std::string& error() const { return error_; }
    void setContext(const std::string& context) { context_ = context; }
    const std::string& context() const { return context_; }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
    size_t end_ = 0;
    bool failed_ = false;
    std::string context_;
    std::string error_;
};
