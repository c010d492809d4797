// The IFF layer under every LightWave object reader: the FORM header, chunk and sub-chunk
// headers with 2- or 4-byte lengths, bodies as the cursor's readable range, pad bytes, and the
// located failures when a length runs past what holds it. Each object format reads its chunk
// bodies itself; how a body is found, bounded and left is decided here once.
#pragma once

#include "lwo/byte_cursor.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace iff {

constexpr size_t kFormHeaderSize = 12;  // "FORM", U4 length, form type
constexpr size_t kIdSize = 4;
constexpr size_t kChunkHeaderSize = 8;     // ID, U4 length
constexpr size_t kSubChunkHeaderSize = 6;  // ID, U2 length

enum class LengthWidth { Two = 2, Four = 4 };

// A body being read: [bodyStart, bodyEnd) is the cursor's range while it is open.
struct Body {
    size_t headerStart = 0;  // of the ID (or of the length when there is no ID)
    size_t bodyStart = 0;
    size_t bodyEnd = 0;
    size_t length() const { return bodyEnd - bodyStart; }
};

// How a length that does not fit is reported: "<what> length N runs past <where> (M bytes
// left)", located at the ID (atId) or at the length field.
struct LengthRule {
    const char* what;   // "chunk", "sub-chunk"
    const char* where;  // "the end of the form", "the surface end"
    bool atId;
};

// Chunks of a form, and the ID + U2 sub-chunks of a surface.
constexpr LengthRule kChunkRule = {"chunk", "the end of the form", true};
constexpr LengthRule kSubChunkRule = {"sub-chunk", "the surface end", false};

// Checks "FORM" at 0 and that the form's length (`formLength`, read at 4) fits in the buffer.
// Returns the form type at 8, empty on failure; formEnd is the byte after the form.
std::string readFormHeader(ByteCursor& c, uint32_t formLength, size_t& formEnd);

// Reads a length of `width` bytes at the cursor (headerStart is where its ID began) and opens
// the body that follows as the readable range; false (with the failure recorded) when the
// length runs past `limit`.
bool openBody(ByteCursor& c, LengthWidth width, size_t headerStart, size_t limit, const LengthRule& rule,
              Body& body);

// Moves past the body and its pad byte (a pad at `limit` is not required), with `outerEnd` as
// the readable range again. Does nothing after a failure: the walk stops where it was.
void closeBody(ByteCursor& c, const Body& body, size_t limit, size_t outerEnd);

// True when `n` header bytes fit before `limit`; otherwise records "<left> bytes left before
// <where>, a <what> header needs <n>".
bool headerFits(ByteCursor& c, size_t limit, size_t n, const char* where, const char* what);

// A body held open for as long as the scope lives; on leaving, the cursor is past the body
// and its pad byte (unless a read failed: the walk then stops where the failure left it).
class Scope {
public:
    // The cursor is at the length field; headerStart is where the header began.
    Scope(ByteCursor& c, LengthWidth width, size_t headerStart, size_t limit, size_t outerEnd,
          const LengthRule& rule)
        : c_(c), limit_(limit), outerEnd_(outerEnd) {
        open_ = openBody(c, width, headerStart, limit, rule, body_);
    }
    ~Scope() {
        if (open_) closeBody(c_, body_, limit_, outerEnd_);
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

    bool open() const { return open_; }
    const Body& body() const { return body_; }

private:
    ByteCursor& c_;
    size_t limit_;
    size_t outerEnd_;
    Body body_;
    bool open_ = false;
};

// Walks the chunks of [c.position(), end), all with 4-byte lengths, as nested forms hold them:
// visit(id, isForm, body) is called with the cursor at the start of each body (after the form
// type for a "FORM", whose type is then the id) and its range narrowed to it; whatever the
// visitor leaves unread is skipped. Stops at the first failure.
template <class Visit>
void walkChunks(ByteCursor& c, size_t end, Visit&& visit) {
    while (!c.failed() && c.position() < end) {
        if (!headerFits(c, end, kChunkHeaderSize, "the form end", "chunk")) return;
        const size_t start = c.position();
        std::string id = c.readId4();
        Scope chunk(c, LengthWidth::Four, start, end, end, kChunkRule);
        if (!chunk.open()) return;
        const bool isForm = id == "FORM";
        if (isForm) id = c.readId4();
        if (c.failed()) return;
        c.setContext(isForm ? "FORM " + id : id);
        visit(id, isForm, chunk.body());
    }
}

// Walks the top level of a form, [c.position(), end), every chunk an ID and a 4-byte length:
// visit(id, body) is called with the cursor at the start of each body and its range narrowed
// to it (a nested "FORM" too, its type still unread); whatever the visitor leaves unread is
// skipped. `id` is the chunk being (or last) walked, kept for the caller even when its length
// fails. Failures are located in the chunk named by its ID. Stops at the first failure.
template <class Visit>
void walkFormChunks(ByteCursor& c, size_t end, std::string& id, Visit&& visit) {
    while (!c.failed() && c.position() < end) {
        c.setContext("FORM");
        if (!headerFits(c, end, kChunkHeaderSize, "the form end", "chunk")) return;
        const size_t start = c.position();
        id = c.readId4();
        c.setContext(id);
        Scope chunk(c, LengthWidth::Four, start, end, c.size(), kChunkRule);
        if (chunk.open()) visit(id, chunk.body());
    }
}

// Walks the sub-chunks (an ID and a 2-byte length each) up to the cursor's end: visit(id, body)
// is called with the body as the cursor's readable range. `holder` names the failure of a
// header that does not fit, "<prefix> <id>" that of a length or a read in the body. A visitor
// returns false to have the body skipped with its pad byte, true to have the walk go on from
// where it left the cursor, as if the body's own sub-chunks were the holder's. Stops at the
// first failure.
template <class Visit>
void walkSubChunks(ByteCursor& c, const char* holder, const char* prefix, const LengthRule& rule, Visit&& visit) {
    const size_t end = c.end();
    while (!c.atEnd()) {
        c.setContext(holder);
        if (!headerFits(c, end, kSubChunkHeaderSize, rule.where, "sub-chunk")) return;
        const size_t headerStart = c.position();
        const std::string id = c.readId4();
        c.setContext(std::string(prefix) + " " + id);
        Body body;
        if (!openBody(c, LengthWidth::Two, headerStart, end, rule, body)) return;
        if (visit(id, body))
            c.setEnd(end);
        else
            closeBody(c, body, end, end);
    }
}

// "%lld"-style message with two numbers, for located failures.
std::string describe(const char* format, long long a, long long b);

}  // namespace iff
