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
#include <cstring>
#include <string>
#include <vector>

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

    // The fixed-size reads are inline: they run once per value of every point and polygon.
    uint8_t readU1() {
        if (!need(1, "U1")) return 0;
        return data_[position_++];
    }
    uint16_t readU2() {
        if (!need(2, "U2")) return 0;
        return takeU2();
    }
    uint32_t readU4() {
        if (!need(4, "U4")) return 0;
        return takeU4();
    }
    float readF4() {
        if (!need(4, "F4")) return 0.0f;
        return takeF4();
    }
    // Three F4s, x y z (VEC12).
    Vec3 readVec12() {
        Vec3 v;
        v.x = readF4();
        v.y = readF4();
        v.z = readF4();
        return v;
    }
    // Four characters, as they are (a chunk or sub-chunk ID).
    std::string readId4();
    // A zero-terminated string padded to even length (S0). Missing terminator: failure.
    std::string readPaddedString();
    // A variable-length index (VX): two bytes, or four when the first is 0xFF.
    int32_t readVariableIndex() {
        if (!need(2, "VX")) return 0;
        if (data_[position_] != 0xFF) return takeU2();
        if (!need(4, "VX (4-byte form)")) return 0;
        return static_cast<int32_t>(takeU4() & 0xFFFFFFu);
    }
    // The same reads where the caller has checked, once for a run of values, that the bytes are
    // there (need(n) returned true for all of them): a chunk-level check instead of one per value.
    uint16_t takeCheckedU2() { return takeU2(); }
    float takeCheckedF4() { return takeF4(); }
    // `count` VEC12s into `out`, 12 * count bytes checked by the caller: a point list in one
    // loop that keeps its place in a register rather than in the cursor.
    void takeCheckedVec12s(Vec3* out, size_t count) {
        const uint8_t* p = data_ + position_;
        for (size_t i = 0; i < count; ++i, p += 12) out[i] = Vec3{f4At(p), f4At(p + 4), f4At(p + 8)};
        position_ += count * 12;
    }
    // A VX in its longer form is four bytes: have four checked for each.
    int32_t takeCheckedVariableIndex() {
        if (data_[position_] != 0xFF) return takeU2();
        return static_cast<int32_t>(takeU4() & 0xFFFFFFu);
    }
    // `count` VXs into `out`, 4 * count bytes checked by the caller, in one loop that keeps its
    // place in a register. Stops after the first at or above `limit`, setting `badAt` to where it
    // began (SIZE_MAX when all are below). Returns how many were written.
    size_t takeCheckedIndicesBelow(size_t count, long long limit, int32_t* out, size_t& badAt) {
        const uint8_t* p = data_ + position_;
        badAt = SIZE_MAX;
        size_t k = 0;
        while (k < count) {
            const bool longForm = p[0] == 0xFF;
            const int32_t index = longForm ? static_cast<int32_t>(u4At(p) & 0xFFFFFFu) : (p[0] << 8) | p[1];
            out[k++] = index;
            if (index >= limit) {
                badAt = static_cast<size_t>(p - data_);
                p += longForm ? 4 : 2;
                break;
            }
            p += longForm ? 4 : 2;
        }
        position_ = static_cast<size_t>(p - data_);
        return k;
    }

    // Skips n bytes, which must be there.
    void skip(size_t n);

    // True once n more bytes are readable; otherwise records "what" as the failure.
    bool need(size_t n, const char* what) {
        if (!failed_ && remaining() >= n) return true;
        return needFailed(n, what);
    }

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
    // need's rare way: records the failure (unless one was recorded) and returns false.
    bool needFailed(size_t n, const char* what);
    // Big-endian values at the position, which the caller has checked are there.
    uint16_t takeU2() {
        const uint8_t* p = data_ + position_;
        position_ += 2;
        return static_cast<uint16_t>((p[0] << 8) | p[1]);
    }
    float takeF4() {
        const uint32_t bits = takeU4();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    uint32_t takeU4() {
        const uint8_t* p = data_ + position_;
        position_ += 4;
        return u4At(p);
    }
    static uint32_t u4At(const uint8_t* p) {
        return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    }
    static float f4At(const uint8_t* p) {
        const uint32_t bits = u4At(p);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
    size_t end_ = 0;
    bool failed_ = false;
    std::string context_;
    std::string error_;
};
