#include "scene/scene_tokens.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Keeps error messages one short line whatever the token holds.
std::string printable(std::string_view token) {
    std::string shown;
    for (char c : token.substr(0, 40)) {
        const unsigned char u = static_cast<unsigned char>(c);
        shown += (u >= 0x20 && u < 0x7f) ? c : '?';
    }
    return token.size() > 40 ? shown + "..." : shown;
}

// The plain decimal forms that nearly every number of a scene has, read without the C
// library's locale and length scan; false leaves the token to strtod / strtoll, which decide
// everything else ("+1", hexadecimal, out of range) as they always did. Both round a decimal
// the same, correctly.
template <typename T>
bool parsedWhole(std::string_view token, T& value) {
    const char* end = token.data() + token.size();
    const std::from_chars_result result = std::from_chars(token.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

// Every power of ten up to 1e22 is a double exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMostExactPower = 22;
constexpr uint64_t kMostExactWhole = uint64_t{1} << 53;
constexpr int kMostDigits = 19;  // fewer than 10^19 fits 64 bits

// "-12.375" and its like, as most key values are written: the digits as one whole number
// exact in a double, divided by an exact power of ten. One correctly rounded division of two
// exact values is the decimal correctly rounded, the value from_chars and strtod give too.
// False for every other form (exponents, a '+', long digit runs), left to them.
bool parsedShortDecimal(std::string_view token, double& value) {
    const char* p = token.data();
    const char* const end = p + token.size();
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    uint64_t whole = 0;
    int digits = 0, fractionDigits = 0;
    bool point = false;
    for (; p != end; ++p) {
        const unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(*p)) - '0';
        if (digit < 10) {
            if (++digits > kMostDigits) return false;
            whole = whole * 10 + digit;
            fractionDigits += point ? 1 : 0;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0 || whole > kMostExactWhole || fractionDigits > kMostExactPower) return false;
    // A whole number (most are) needs no division, which would give the same value.
    const double exact = static_cast<double>(whole);
    const double magnitude = fractionDigits == 0 ? exact : exact / kExactPowersOfTen[fractionDigits];
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace

SceneTokens::SceneTokens(std::string text, std::string sourceName)
    : text_(std::move(text)), sourceName_(std::move(sourceName)) {}

bool SceneTokens::next(std::string_view& token) {
    token = {};
    if (!good()) return false;
    // Scanned with locals: the text's bytes may alias the members, which would otherwise be
    // stored at every byte.
    const char* const text = text_.data();
    const size_t size = text_.size();
    size_t pos = pos_;
    int line = line_;
    while (pos < size && isSpace(text[pos])) {
        if (text[pos] == '\n') ++line;
        ++pos;
    }
    pos_ = pos;
    line_ = line;
    if (pos >= size) {
        exhausted_ = true;
        return false;
    }
    tokenLine_ = line;
    tokenStart_ = pos;
    while (pos < size && !isSpace(text[pos])) ++pos;
    pos_ = pos;
    token = std::string_view(text + tokenStart_, pos - tokenStart_);
    return true;
}

void SceneTokens::putBack() {
    if (!good()) return;
    pos_ = tokenStart_;
    line_ = tokenLine_;
}

// The C library reads up to a NUL byte, so a token holding one ("12\0x") is read as it always
// was only from a NUL-terminated copy; such tokens are rare enough to copy.
bool SceneTokens::nextInt(int32_t& value) {
    std::string_view token;
    if (!next(token)) return false;
    if (parsedWhole(token, value)) return true;
    const std::string copy(token);
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(copy.c_str(), &end, 10);
    if (end == copy.c_str() || *end != '\0' || errno == ERANGE ||
        parsed < std::numeric_limits<int32_t>::min() ||
        parsed > std::numeric_limits<int32_t>::max()) {
        fail(token, "a whole number");
        return false;
    }
    value = static_cast<int32_t>(parsed);
    return true;
}

bool SceneTokens::nextNumber(double& value) {
    std::string_view token;
    if (!next(token)) return false;
    if (parsedShortDecimal(token, value)) return true;
    double parsedFast = 0.0;
    if (parsedWhole(token, parsedFast) && std::isfinite(parsedFast)) {
        value = parsedFast;
        return true;
    }
    const std::string copy(token);
    char* end = nullptr;
    const double parsed = std::strtod(copy.c_str(), &end);
    if (end == copy.c_str() || *end != '\0' || !std::isfinite(parsed)) {
        fail(token, "a number");
        return false;
    }
    value = parsed;
    return true;
}

void SceneTokens::fail(std::string_view token, const char* expected) {
    stop(std::string("expected ") + expected + ", found \"" + printable(token) + "\"");
}

void SceneTokens::stop(const std::string& reason) {
    failed_ = true;
    error_ = sourceName_ + ": line " + std::to_string(tokenLine_) + ": " + reason;
}
