#include "lwo/iff_chunks.h"

#include <cstdio>

namespace iff {

std::string describe(const char* format, long long a, long long b) {
    char text[192];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

std::string readFormHeader(ByteCursor& c, uint32_t formLength, size_t& formEnd) {
    if (c.failed()) return std::string();
    c.setContext("FORM");
    c.seek(0);
    if (c.readId4() != "FORM") {
        c.failAt(0, "not an IFF FORM file");
        return std::string();
    }
    c.seek(8);
    std::string type = c.readId4();
    uint64_t end = uint64_t(formLength) + 8;
    if (c.failed()) return std::string();
    if (end > c.size()) {
        c.failAt(4, describe("form length %lld runs past the end of the file (%lld bytes)",
                             static_cast<long long>(formLength), static_cast<long long>(c.size())));
        return std::string();
    }
    formEnd = static_cast<size_t>(end);
    return type;
}

bool openBody(ByteCursor& c, LengthWidth width, size_t headerStart, size_t limit, const LengthRule& rule,
              Body& body) {
    const size_t lengthAt = c.position();
    const uint32_t length = width == LengthWidth::Two ? c.readU2() : c.readU4();
    if (c.failed()) return false;
    const size_t start = c.position();
    if (start > limit || length > limit - start) {
        const long long left = start > limit ? 0 : static_cast<long long>(limit - start);
        c.failAt(rule.atId ? headerStart : lengthAt,
                 std::string(rule.what) + describe(" length %lld runs past ", length, 0) + rule.where +
                     describe(" (%lld bytes left)", left, 0));
        return false;
    }
    body.headerStart = headerStart;
    body.bodyStart = start;
    body.bodyEnd = start + length;
    c.setEnd(body.bodyEnd);
    return !c.failed();
}

void closeBody(ByteCursor& c, const Body& body, size_t limit, size_t outerEnd) {
    if (c.failed()) return;
    c.setEnd(outerEnd);
    // IFF: a body of odd length is followed by a pad byte.
    const bool padded = (body.length() & 1) != 0 && body.bodyEnd < limit;
    c.seek(padded ? body.bodyEnd + 1 : body.bodyEnd);
}

bool headerFits(ByteCursor& c, size_t limit, size_t n, const char* where, const char* what) {
    if (c.failed()) return false;
    const size_t at = c.position();
    if (at <= limit && limit - at >= n) return true;
    c.fail(describe("%lld bytes left before ", static_cast<long long>(at <= limit ? limit - at : 0), 0) +
           where + ", a " + what + describe(" header needs %lld", static_cast<long long>(n), 0));
    return false;
}

}  // namespace iff
