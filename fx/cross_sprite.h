// A glowing sprite made of three mutually perpendicular textured squares, drawn additively.
//
// Used for every particle of the particle cloud and for every morph point of the tube effect.
// The texture name is borrowed (owned by the start-up texture slots) and never freed here.
#pragma once

#include <GL/gl.h>

class CrossSprite {
public:
    void setSpriteTexture(GLuint name) { texture = name; }

    // Draws the sprite centred on the current modelview origin, each square `size` units on a
    // side, in the current colour. Leaves culling off, blending on with (GL_SRC_ALPHA, GL_ONE)
    // and `texture` bound; the modelview matrix is unchanged.
    void drawSprite(float size) const;

    GLuint texture = 0;
};
