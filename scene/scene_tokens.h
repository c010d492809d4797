// Whitespace-separated tokens of a scene file, with the line each came from.
//
// The scene reader is a keyword scanner: lines and indentation carry no meaning, so the only
// structure here is "next token". Numbers are whole tokens: "12abc" is not 12. The first
// malformed number stops the reader for good (every later read fails too), so no loop of the
// scene reader can spin on a token it cannot consume; `error` says where it happened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class SceneTokens {
public:
    // `sourceName` only labels error messages ("scene.lws: line 12: ...").
    SceneTokens(std::string text, std::string sourceName);

    // False once the text is used up or a number was malformed. The token is a view into the
    // text held here: valid while these tokens live, and copied by whoever keeps it.
    bool next(std::string_view& token);
    bool nextInt(int32_t& value);
    // Finite numbers only: "nan" and "inf" are malformed.
    bool nextNumber(double& value);

    // Makes the last token read the next one again (one token back, no more): a block that
    // meets the keyword of the next block leaves it to the loop that reads blocks.
    void putBack();

    // Where reading stands, and a return there: for looking further ahead than putBack allows
    // (an envelope's trailing Behaviors line, read and still left to the loops that skip it).
    struct Place {
        size_t pos, tokenStart;
        int line, tokenLine;
        bool exhausted;
    };
    Place place() const { return {pos_, tokenStart_, line_, tokenLine_, exhausted_}; }
    void returnTo(const Place& p) {
        pos_ = p.pos, tokenStart_ = p.tokenStart, line_ = p.line, tokenLine_ = p.tokenLine, exhausted_ = p.exhausted;
    }

    // Stops the reader for good, as a malformed number does, with `reason` located at the
    // line of the last token read ("scene.lws: line 40: <reason>").
    void stop(const std::string& reason);

    // True while reads can still succeed.
    bool good() const { return !failed_ && !exhausted_; }
    bool failed() const { return failed_; }
    // The line of the last token read, for reasons given after reading ends.
    int line() const { return tokenLine_; }
    // Bytes of text not yet read: no count in the file can need room for more.
    size_t remaining() const { return text_.size() - pos_; }
    const std::string& error() const { return error_; }

private:
    void fail(std::string_view token, const char* expected);

    std::string text_;
    std::string sourceName_;
    size_t pos_ = 0;
    int line_ = 1;
    int tokenLine_ = 1;
    size_t tokenStart_ = 0;
    bool exhausted_ = false;
    bool failed_ = false;
    std::string error_;
};
