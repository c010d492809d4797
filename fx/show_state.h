// What a show holds beside its effect objects: the texture slots and the font that start-up
// fills once for the frames to read, the one amount outside the effect objects that a frame
// carries over to the next, and the display record. One per show: a show owns it (see
// timeline/show.h) and hands it by reference to whatever fills or reads it, so two shows in one
// process, one after the other or side by side, never see each other's.
//
// Who fills what, in start-up order:
//   displaySettings         made with the record; the program reads its bitsPerPixel when it
//                           opens the window
// and in app/startup.cpp:
//   fontBase, glyphMetrics  buildOutlineFont (fx/outline_font.h); deleteOutlineFont at shutdown
//   the texture slots       loadShow, one picture per slot in the embedded table's order;
//                           scrollerTexture by createCaptureTexture
// and during the show:
//   stripOffset             drawThumbnailStrip, every frame that draws the strip
//
// Texture names and display lists are GL names of the context the show was loaded in, 0 until
// loaded; a layer drawn with 0 comes out untextured, so whatever reads a slot must read it after
// start-up, not copy it earlier. Slots are never deleted (the context's end releases them). A
// show that starts over (app/show_start_state.h) puts back only `stripOffset`.
#pragma once

#include <GL/gl.h>

#include <array>

#include "fx/outline_font.h"
#include "gl/gl_setup.h"

struct ShowState {
    // The outline font: first of kOutlineFontListCount display lists (list fontBase + k draws
    // code k; 0 before the build) and each glyph's measurements in em units, for inspection.
    GLuint fontBase = 0;
    std::array<GlyphMetrics, kOutlineFontListCount> glyphMetrics{};

    // First act (seconds of music say when each is used; see timeline/demo_script.cpp).
    GLuint actOneTextureA = 0;  // the third backdrop layer; the knot's texture
    GLuint actOneTextureB = 0;  // the second backdrop layer
    GLuint actOneTextureC = 0;  // the first, pulsing backdrop layer
    GLuint particleTexture = 0;  // the sprite of the particle cloud and the tube effect
    GLuint thumbnailTextures[4] = {0, 0, 0, 0};  // the strip's pictures, index 0 leftmost
    GLuint scrollerTexture = 0;  // the capture target of the invitation text
    // Finale backdrops, changed after 123 s and 169 s.
    GLuint finaleTextures[3] = {0, 0, 0};

    // The thumbnail strip's accumulated sideways travel in view units: starts at 0, grows on
    // every draw, never reset or wrapped.
    float stripOffset = 0.0f;

    // The display record; its bitsPerPixel is what the program asks the window's pixel format for.
    DisplaySettings displaySettings;
};
