#pragma once
// The JSON text the file tools print: values written as strings and joined by the caller, so a
// tool's output reads like the object it describes. Every tool uses these, so every tool
// escapes and formats numbers the same way, in its JSON and in its listings for people.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace json {

// A JSON string. Valid UTF-8 passes through unchanged; quotes, backslashes and control
// characters (C0, DEL and C1, which terminals obey as commands) are escaped as \u00XX. A byte
// that is not part of valid UTF-8 becomes \udcXX (the lone
// low surrogate U+DC00 + byte), the convention that lets a reader recover the original bytes
// (Python's "surrogateescape"); no valid character is ever written that way.
std::string quoted(std::string_view text);

std::string number(int64_t value);
// The shortest decimal that reads back as exactly the same float or double (3.2f is "3.2").
// Not-a-number and infinities, which JSON cannot hold, become null.
std::string number(float value);
std::string number(double value);
std::string boolean(bool value);

// "[a,b,c]" from the items, each written by write(item).
template <typename T, typename Write>
std::string array(const std::vector<T>& items, Write write) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) out += ',';
        out += write(items[i]);
    }
    return out + "]";
}

// Joins "key":value pairs into an object: object({{"a", number(1)}, {"b", quoted("x")}}).
struct Member {
    std::string_view key;
    std::string value;
};
std::string object(const std::vector<Member>& members);

}  // namespace json

namespace terminal {

// A name from a file, made safe to show on a terminal, escaped as json::quoted escapes it but
// for reading: control characters become \x1b (C0 and DEL) or \u009b (C1), a byte that is
// not UTF-8 \xff, and nothing else changes (quotes and backslashes stay as they are, so the
// text is not reversible: --json is).
std::string printable(std::string_view text);

}  // namespace terminal
