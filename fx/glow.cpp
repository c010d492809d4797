#include "fx/glow.h"

#include "fx/outline_font.h"
#include "texture/jpeg_texture.h"

namespace {

constexpr float kFirstAlpha = 0.2f;

// Pixel coordinates with y growing downward, identity modelview; both previous matrices pushed.
void beginPixelOverlay(int width, int height) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void endPixelOverlay() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

}  // namespace

const FrameSize GlowEffect::kDesignFrame;

bool GlowEffect::loadGlow(const char* picturePath, const FrameSize& frameSize) {
    // The same empty target as the scroller's: transparent black, linear, no mipmaps.
    captureTexture = createCaptureTexture(frameSize.block);
    const bool failed = loadJpegTexture(picturePath, pictureTexture);
    frame = &frameSize;
    return failed;
}

void GlowEffect::beginGlowCapture() const {
    glEnable(GL_TEXTURE_2D);
    glViewport(0, 0, frame->block, frame->block);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glLoadIdentity();
}

void GlowEffect::endGlowCapture() const {
    glBindTexture(GL_TEXTURE_2D, captureTexture);
    // The copy gives the texture the block's size, whatever size it had before.
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB4, 0, 0, frame->block, frame->block, 0);
    glClearColor(0, 0, 0, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, frame->width, frame->height);
}

void GlowEffect::drawGlowBlur(int passes, float step) const {
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, captureTexture);
    beginPixelOverlay(frame->width, frame->height);

    const float w = static_cast<float>(frame->width);
    const float h = static_cast<float>(frame->height);
    // Each layer shows the capture between inset and 1 - inset; the block's top (t = 1) goes to
    // the top of the screen (y = 0 here), so the glow lies upright over the scene.
    float alpha = kFirstAlpha;
    const float alphaStep = passes > 0 ? alpha / passes : 0.0f;
    float inset = 0;
    glBegin(GL_QUADS);
    for (int k = 0; k < passes; ++k) {
        glColor4f(1, 1, 1, alpha);
        glTexCoord2f(inset, 1 - inset);
        glVertex2f(0, 0);
        glTexCoord2f(inset, inset);
        glVertex2f(0, h);
        glTexCoord2f(1 - inset, inset);
        glVertex2f(w, h);
        glTexCoord2f(1 - inset, 1 - inset);
        glVertex2f(w, 0);
        inset += step;
        alpha -= alphaStep;
    }
    glEnd();

    endPixelOverlay();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    // Kept though texturing is off and the next layer binds its own: the frame's call stream
    // leaves the glow's picture bound and flushes here.
    glBindTexture(GL_TEXTURE_2D, pictureTexture);
    glFlush();
}
