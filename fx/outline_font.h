// The invitation text's font: flat, very thin solid glyphs, one display list per character
// code, and the empty texture (128x128 at the designed frame size) the script copies the
// rendered text into.
//
// Glyphs come from the face fontconfig picks for "Arial" at its thinnest weight, read with
// FreeType. Sizes are in em units: a glyph is one unit high per em, lies in the x-y plane,
// is extruded kGlyphExtrusion along -z, and its list ends by moving the current position by the
// glyph's advance along x. Codes are ANSI (Windows-1252). The lists belong to a show, kept in
// its record's `fontBase` (fx/show_state.h): made by buildOutlineFont, freed by
// deleteOutlineFont. The capture texture is owned by the caller's texture slot and never freed.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <string>

#include "gl/frame_size.h"

struct ShowState;

constexpr GLsizei kOutlineFontListCount = 256;  // code 255 is reserved and stays empty
constexpr int kOutlineGlyphCount = 255;
constexpr float kGlyphExtrusion = 0.001f;
constexpr size_t kOutlineTextMaxChars = 255;  // longer formatted text is cut
constexpr GLsizei kCaptureTextureSize = FrameSize::kDesignBlock;

// Per-glyph measurements in em units, as the glyphs were built (for inspection only).
struct GlyphMetrics {
    float blackBoxX = 0.0f;  // width and height of the inked box
    float blackBoxY = 0.0f;
    float originX = 0.0f;    // upper-left corner of the inked box relative to the origin
    float originY = 0.0f;
    float cellIncX = 0.0f;   // advance
    float cellIncY = 0.0f;
};

// Fills `state.fontBase` and `state.glyphMetrics`; needs a current GL context. Unlike the
// loaders it reports no result: without a usable face the lists stay empty, so text draws
// nothing and does not advance (the show plays on without its invitation), and a line on
// stderr says why.
void buildOutlineFont(ShowState& state);

// Formats like printf and draws the text at the current modelview position in the current
// colour; the modelview matrix ends after the last glyph's advance. A null format draws nothing.
// The list base is left as it was.
void printOutlineText(const ShowState& state, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Frees the lists; `state.fontBase` becomes 0, so a second call does nothing.
void deleteOutlineFont(ShowState& state);

// A new size x size RGBA texture, all (0, 0, 0, 0), linear filters, no mipmaps. Left bound.
[[nodiscard]] GLuint createCaptureTexture(GLsizei size = kCaptureTextureSize);

// Font file fontconfig offers for the face, or empty when it offers none.
[[nodiscard]] std::string findOutlineFontFile();

// Unicode code point of an ANSI code; 0 for the five codes Windows-1252 leaves undefined.
char32_t ansiToUnicode(unsigned char code);
