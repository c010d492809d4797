#include "text/json_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace json {
namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0 if it is not one. Overlong
// forms, surrogates and code points past U+10FFFF are not valid.
size_t utf8SequenceLength(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length;
    uint32_t code;
    if (lead < 0x80) return 1;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        code = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        code = lead & 0x0f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xc0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3f);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xd800 && code <= 0xdfff;
    return overlong || surrogate || code > 0x10ffff ? 0 : length;
}

std::string hexEscape(const char* format, unsigned code) {
    char text[8];
    std::snprintf(text, sizeof text, format, code);
    return text;
}

// The code point of a valid sequence of `length` bytes, as far as telling controls apart needs.
uint32_t leadingCodePoint(std::string_view text, size_t i, size_t length) {
    const auto byte = [&](size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(text[k])); };
    if (length == 1) return byte(i);
    if (length == 2) return ((byte(i) & 0x1f) << 6) | (byte(i + 1) & 0x3f);
    return 0x800;  // longer sequences hold no controls
}

bool isControl(uint32_t code) { return code < 0x20 || (code >= 0x7f && code <= 0x9f); }

enum class Style { Json, Terminal };

// The one escaper: valid UTF-8 passes, controls and bytes that are not UTF-8 are escaped in
// the style's notation.
std::string escaped(std::string_view text, Style style) {
    const bool json = style == Style::Json;
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t length = utf8SequenceLength(text, i);
        const uint32_t code = length ? leadingCodePoint(text, i, length) : 0;
        if (length == 0) {
            out += json ? hexEscape("\\u%04x", 0xdc00 + c) : hexEscape("\\x%02x", c);
            ++i;
        } else if (json && (c == '"' || c == '\\')) {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (isControl(code)) {
            out += json || code >= 0x80 ? hexEscape("\\u%04x", code) : hexEscape("\\x%02x", code);
            i += length;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

// The shortest text that reads back as exactly `value` (0.1f is "0.1", not "0.100000001").
template <typename Float>
std::string shortest(Float value) {
    if (!std::isfinite(value)) return "null";
    char text[40];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
}

}  // namespace

std::string quoted(std::string_view text) { return "\"" + escaped(text, Style::Json) + "\""; }

std::string number(int64_t value) { return std::to_string(value); }
std::string number(float value) { return shortest(value); }
std::string number(double value) { return shortest(value); }
std::string boolean(bool value) { return value ? "true" : "false"; }

std::string object(const std::vector<Member>& members) {
    std::string out = "{";
    for (size_t i = 0; i < members.size(); ++i) {
        if (i) out += ',';
        out += quoted(members[i].key) + ":" + members[i].value;
    }
    return out + "}";
}

}  // namespace json

namespace terminal {

std::string printable(std::string_view text) { return json::escaped(text, json::Style::Terminal); }

}  // namespace terminal
