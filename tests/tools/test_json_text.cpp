// The tools' JSON text: what a strict reader of the output relies on.
#include "text/json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

TEST(JsonText, Utf8PassesThroughAndEverythingElseIsEscaped) {
    const std::string names = "W\xc3\xbcrfel \xe2\x82\xac \xf0\x9f\x8e\x89";  // two, three and four bytes
    EXPECT_EQ(json::quoted(names), "\"" + names + "\"");
    EXPECT_EQ(json::quoted("a\"b\\c\n\x01\x7f"), "\"a\\\"b\\\\c\\u000a\\u0001\\u007f\"");
    // Not UTF-8: a stray continuation byte, a cut sequence, an overlong '/', an encoded
    // surrogate and a code point past U+10FFFF each become \udcXX, byte by byte.
    EXPECT_EQ(json::quoted("\x80"), "\"\\udc80\"");
    EXPECT_EQ(json::quoted("x\xc3"), "\"x\\udcc3\"");
    EXPECT_EQ(json::quoted("\xc0\xaf"), "\"\\udcc0\\udcaf\"");
    EXPECT_EQ(json::quoted("\xed\xa0\x80"), "\"\\udced\\udca0\\udc80\"");
    EXPECT_EQ(json::quoted("\xf4\x90\x80\x80"), "\"\\udcf4\\udc90\\udc80\\udc80\"");
    EXPECT_EQ(json::quoted(std::string("a\0b", 3)), "\"a\\u0000b\"");
}

// Every C0 control, U+001F included, is one \u00XX escape in JSON and one \xXX in a listing.
TEST(JsonText, EveryByteBelowSpaceIsEscaped) {
    for (int byte = 0x00; byte <= 0x1f; ++byte) {
        char inJson[8], inListing[8];
        std::snprintf(inJson, sizeof inJson, "\\u%04x", byte);
        std::snprintf(inListing, sizeof inListing, "\\x%02x", byte);
        const std::string text(1, static_cast<char>(byte));
        EXPECT_EQ(json::quoted(text), "\"" + std::string(inJson) + "\"") << "byte " << byte;
        EXPECT_EQ(terminal::printable(text), inListing) << "byte " << byte;
    }
}

// A name from a file must not reach a terminal as a command: C1 controls (U+009B is CSI to
// some terminals) are escaped in JSON too, and a listing escapes what JSON escapes, in \x form.
TEST(JsonText, ControlsAreEscapedForTerminalsAndUtf8IsKept) {
    EXPECT_EQ(json::quoted("\xc2\x9b" "2J\xc2\x85"), "\"\\u009b2J\\u0085\"");
    EXPECT_EQ(terminal::printable("\x1b]0;owned\x07\x1b[2Jcube\x7f"),
              "\\x1b]0;owned\\x07\\x1b[2Jcube\\x7f");
    EXPECT_EQ(terminal::printable("\xc2\x9b" "31m"), "\\u009b31m");
    EXPECT_EQ(terminal::printable(std::string("bad\xff\xc3\0", 6)), "bad\\xff\\xc3\\x00");
    const std::string kept = "W\xc3\xbcrfel \xc2\xa0\xe2\x82\xac \"q\" C:\\obj";
    EXPECT_EQ(terminal::printable(kept), kept);
}

TEST(JsonText, NumbersAreTheShortestThatReadBackExactly) {
    EXPECT_EQ(json::number(3.2f), "3.2");
    EXPECT_EQ(json::number(0.1), "0.1");
    EXPECT_EQ(json::number(100.0f / 255.0f), "0.39215687");
    EXPECT_EQ(std::stof(json::number(100.0f / 255.0f)), 100.0f / 255.0f);
    EXPECT_EQ(json::number(int64_t{-7}), "-7");
    EXPECT_EQ(json::number(std::numeric_limits<float>::quiet_NaN()), "null");
    EXPECT_EQ(json::number(-std::numeric_limits<double>::infinity()), "null");
    const auto whole = [](int v) { return json::number(int64_t{v}); };
    EXPECT_EQ(json::object({{"a", whole(1)}, {"b\"", json::array(std::vector<int>{1, 2}, whole)}}),
              "{\"a\":1,\"b\\\"\":[1,2]}");
}

}  // namespace
