#include "tools/json_text.h"

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

std::string unicodeEscape(unsigned code) {
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04x", code);
    return text;
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

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            out += unicodeEscape(0xdc00 + c);
            ++i;
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7f) {
            out += unicodeEscape(c);
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out + "\"";
}

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
