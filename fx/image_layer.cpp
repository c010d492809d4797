#include "fx/image_layer.h"

#include "fx/shapes.h"
#include "fx/show_state.h"

namespace {

// The quad is drawn upside down so that texture t = 0 (the picture's top row) is at the top.
void drawFlippedQuad(float x, float y, float w, float h) {
    glRotatef(180, 1, 0, 0);
    drawFaceFront(x, y, 0, w, h);
    glRotatef(-180, 1, 0, 0);
}

}  // namespace

void drawImageLayer(GLuint texture) {
    // 0.8 x 0.6 at half a unit slightly overfills the 60-degree view (0.577 high there).
    glTranslatef(0, 0, -0.5f);
    glBindTexture(GL_TEXTURE_2D, texture);
    drawFlippedQuad(-0.4f, 0.3f, 0.8f, 0.6f);
    glTranslatef(0, 0, 0.5f);
}

void drawThumbnailStrip(ShowState& state, float step) {
    constexpr float kSlotWidth = 0.36f;
    glLoadIdentity();
    glDisable(GL_BLEND);
    glColor3f(1, 1, 1);
    glTranslatef(0.3f - state.stripOffset, -0.23f, -0.6f);
    state.stripOffset += step;
    for (GLuint texture : state.thumbnailTextures) {
        glTranslatef(kSlotWidth, 0, 0);
        glBindTexture(GL_TEXTURE_2D, texture);
        drawFlippedQuad(-0.16f, 0.1f, 0.32f, 0.2f);
    }
}
