#include "lwo/byte_cursor.h"

#include <cstdio>
#include <cstring>

void ByteCursor::rebind(const uint8_t* data, size_t size) {
    data_ = data;
    size_ = size;
    if (end_ > size_) end_ = size_;
    if (position_ > size_) position_ = size_;
}

void ByteCursor::seek(size_t offset) {
    if (failed_) return;
    if (offset > end_) {
        char what[96];
        std::snprintf(what, sizeof what, "offset 0x%zx is past the end 0x%zx", offset, end_);
        fail(what);
        return;
    }
    position_ = offset;
}

void ByteCursor::setEnd(size_t limit) {
    if (failed_) return;
    if (limit > size_ || limit < position_) {
        fail("range past the end of the data");
        return;
    }
    end_ = limit;
}

bool ByteCursor::needFailed(size_t n, const char* what) {
    if (failed_) return false;
    char text[160];
    std::snprintf(text, sizeof text, "%s needs %zu bytes, %zu left", what, n, remaining());
    fail(text);
    return false;
}

std::string ByteCursor::readId4() {
    if (!need(4, "ID4")) return std::string();
    std::string id(reinterpret_cast<const char*>(data_ + position_), 4);
    position_ += 4;
    return id;
}

std::string ByteCursor::readPaddedString() {
    if (failed_) return std::string();
    const uint8_t* begin = data_ + position_;
    const void* zero = position_ < end_ ? std::memchr(begin, 0, end_ - position_) : nullptr;
    if (!zero) {
        fail("string without a terminating zero");
        return std::string();
    }
    size_t length = static_cast<const uint8_t*>(zero) - begin;
    std::string text(reinterpret_cast<const char*>(begin), length);
    size_t consumed = length + 1;
    // The pad byte of an odd-sized string may be missing at the very end of a chunk; it
    // carries nothing, so its absence is not an error.
    if (consumed % 2 == 1 && position_ + consumed < end_) consumed += 1;
    position_ += consumed;
    return text;
}

void ByteCursor::skip(size_t n) {
    if (!need(n, "skipped body")) return;
    position_ += n;
}

void ByteCursor::fail(const std::string& what) { failAt(position_, what); }

void ByteCursor::failAt(size_t offset, const std::string& what) {
    if (failed_) return;
    failed_ = true;
    char where[64];
    std::snprintf(where, sizeof where, " at 0x%zx: ", offset);
    error_ = (context_.empty() ? std::string("data") : context_) + where + what;
}
