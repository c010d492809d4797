#include "fx/cross_sprite.h"

#include "fx/shapes.h"

void CrossSprite::drawSprite(float size) const {
    glDisable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, texture);

    const float h = size / 2;
    drawFaceFront(-h, h, 0, size, size);
    drawFaceBottom(-h, 0, h, size, size);
    drawFaceLeft(0, h, h, size, size);
}
