// A GL 1.x compatibility context for tests that draw, made once per test process.
//
// The platform's hidden context (platform/gl_context.h): headless, at the show's pixel format,
// SDL's offscreen video driver unless the environment names another. The drawable is 800x600,
// like the demo's window.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// Makes the context current (creating it on first use). Returns false, with the reason in
// *why, when no context can be made; tests then skip.
bool ensureGlContext(std::string* why = nullptr);

// Resets the GL state a test may have changed back to the context's defaults plus the
// demo's 800x600 viewport and identity matrices, and clears all buffers to black.
void resetGlState();

// RGB of one pixel of the back buffer; (0, 0) is the lower-left corner, as in GL.
struct Rgb {
    int r, g, b;
};
Rgb readPixel(int x, int y);

// The base level of a 2D texture as tightly packed RGB, top row as uploaded first; the texture
// is left bound. Width and height go to *width and *height when given.
std::vector<unsigned char> textureRgb(GLuint texture, int* width = nullptr, int* height = nullptr);

// Writes the back buffer (800x600) as a PNG so a person can look at it.
bool saveBackBufferPng(const std::string& path);

// Writes the back buffer as $DEMO_LOOK_DIR/name when that variable is set (to look at what a
// test drew), and nothing otherwise: a plain test run leaves no files behind.
void saveForLooking(const std::string& name);
// The same for RGB pixels read elsewhere (rows bottom-up, as glReadPixels gives them).
void saveForLooking(const std::string& name, const std::vector<unsigned char>& rgb, int width, int height);

}  // namespace testsupport

// Use at the top of a test that needs GL.
#define REQUIRE_GL()                                                  \
    do {                                                              \
        std::string why_;                                             \
        if (!testsupport::ensureGlContext(&why_)) GTEST_SKIP() << why_; \
        testsupport::resetGlState();                                  \
    } while (0)
