// A glowing sprite made of three mutually perpendicular textured squares, drawn additively.
//
// Used for every particle of the particle cloud and for every morph point of the tube effect.
// Sizes are model units, angles degrees. The texture name is borrowed (owned by the start-up
// texture slots) and never freed here.
#pragma once

#include <GL/gl.h>

#include "lwo/vec3.h"

// Where one sprite of a batch goes: turned by `degrees` about `axis` (need not be unit length,
// as for glRotatef), then moved by `offset`, relative to the current modelview.
struct SpritePlacement {
    Vec3 offset;
    Vec3 axis;
    float degrees = 0.0f;
};

class CrossSprite {
public:
    void setSpriteTexture(GLuint name) { texture = name; }

    // Draws the sprite centred on the current modelview origin, each square `size` units on a
    // side, in the current colour. Leaves culling off, blending on with (GL_SRC_ALPHA, GL_ONE),
    // `texture` bound and the front face clockwise; the modelview matrix is unchanged.
    void drawSprite(float size) const;

    // Many sprites in one batch, for clouds where a matrix change per sprite would cost more
    // than the drawing: beginSpriteBatch sets drawSprite's state and opens GL_QUADS; each
    // batchSprite emits what drawSprite at that placement would (transformed on the CPU);
    // endSpriteBatch closes it and leaves the same state as drawSprite.
    void beginSpriteBatch() const;
    void batchSprite(float size, const SpritePlacement& placement) const;
    void endSpriteBatch() const;

    GLuint texture = 0;
    // Set while the frames' GL calls go nowhere (a fast-forward): batchSprite then emits nothing,
    // since a sprite's corners are work for GL alone; a cloud of them is most of such a frame.
    bool unseen = false;

private:
    void setSpriteState() const;
};
