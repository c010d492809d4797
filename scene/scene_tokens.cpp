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
std::string printable(const std::string& token) {
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
bool parsedWhole(const std::string& token, T& value) {
    const char* end = token.data() + token.size();
    const std::from_chars_result result = std::from_chars(token.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

}  // namespace

SceneTokens::SceneTokens(std::string text, std::string sourceName)
    : text_(std::move(text)), sourceName_(std::move(sourceName)) {}

bool SceneTokens::next(std::string& token) {
    token.clear();
    if (!good()) return false;
    while (pos_ < text_.size() && isSpace(text_[pos_])) {
        if (text_[pos_] == '\n') ++line_;
        ++pos_;
    }
    if (pos_ >= text_.size()) {
        exhausted_ = true;
        return false;
    }
    tokenLine_ = line_;
    tokenStart_ = pos_;
    while (pos_ < text_.size() && !isSpace(text_[pos_])) ++pos_;
    token.assign(text_, tokenStart_, pos_ - tokenStart_);
    return true;
}

void SceneTokens::putBack() {
    if (!good()) return;
    pos_ = tokenStart_;
    line_ = tokenLine_;
}

bool SceneTokens::nextInt(int32_t& value) {
    std::string& token = numberToken_;
    if (!next(token)) return false;
    if (parsedWhole(token, value)) return true;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(token.c_str(), &end, 10);
    if (end == token.c_str() || *end != '\0' || errno == ERANGE ||
        parsed < std::numeric_limits<int32_t>::min() ||
        parsed > std::numeric_limits<int32_t>::max()) {
        fail(token, "a whole number");
        return false;
    }
    value = static_cast<int32_t>(parsed);
    return true;
}

bool SceneTokens::nextNumber(double& value) {
    std::string& token = numberToken_;
    if (!next(token)) return false;
    double parsedFast = 0.0;
    if (parsedWhole(token, parsedFast) && std::isfinite(parsedFast)) {
        value = parsedFast;
        return true;
    }
    char* end = nullptr;
    const double parsed = std::strtod(token.c_str(), &end);
    if (end == token.c_str() || *end != '\0' || !std::isfinite(parsed)) {
        fail(token, "a number");
        return false;
    }
    value = parsed;
    return true;
}

void SceneTokens::fail(const std::string& token, const char* expected) {
    stop(std::string("expected ") + expected + ", found \"" + printable(token) + "\"");
}

void SceneTokens::stop(const std::string& reason) {
    failed_ = true;
    error_ = sourceName_ + ": line " + std::to_string(tokenLine_) + ": " + reason;
}
