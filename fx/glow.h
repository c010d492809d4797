// The finale's radial glow: a scene drawn into the capture block at the lower-left corner of
// the frame (128x128 at the designed size) is copied into a texture, wiped away, and laid over
// the whole view in additive layers, each zoomed further about the centre and fainter than the
// one before.
//
// Per frame: beginGlowCapture, the caller's drawing, endGlowCapture, then drawGlowBlur. Sizes
// are pixels, asked of the frame size the effect was loaded with (the show's, which may change
// between frames). The effect owns its two texture names for the whole run (never deleted).
#pragma once

#include <GL/gl.h>

#include "gl/frame_size.h"

class GlowEffect {
public:
    // Makes the empty capture texture, loads the picture that drawGlowBlur leaves bound and
    // remembers the frame whose sizes it draws with; `frame` must outlive the effect. True on
    // failure (the picture could not be loaded; the capture texture and frame are set regardless
    // and pictureTexture stays as it was).
    [[nodiscard]] bool loadGlow(const char* picturePath, const FrameSize& frame);

    // Enables 2D texturing, narrows the viewport to the capture block, clears colour, depth and
    // stencil and loads the identity modelview. The projection is left alone: the full view is
    // squeezed into the square and regains its proportions when stretched back over the screen.
    void beginGlowCapture() const;

    // Copies the block into captureTexture (RGB, 4 bits a component), clears the frame to
    // (0, 0, 0, 0.5) with depth, and restores the full viewport. Leaves captureTexture bound.
    void endGlowCapture() const;

    // Draws `passes` layers (alpha 0.2 falling by 0.2 / passes, inset growing by `step` in
    // texture units) and flushes. Leaves: depth test on, blending and 2D texturing off, blend
    // function (GL_SRC_ALPHA, GL_ONE), texture generation for s and t off, pictureTexture bound,
    // the current colour of the last layer, both matrices as found and the modelview selected.
    void drawGlowBlur(int passes, float step) const;

    GLuint pictureTexture = 0;
    GLuint captureTexture = 0;
    const FrameSize* frame = &kDesignFrame;

private:
    static const FrameSize kDesignFrame;
};
