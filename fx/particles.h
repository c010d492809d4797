// The falling cloud of spinning cross sprites of the first act.
//
// Positions are in view units relative to the cloud's origin (-40, 0, -120); angles are in
// degrees; fall and spin advance by a fixed amount per drawn frame, not per second. The cloud
// is scattered from its own linear congruential sequence, so it is the same on every run.
// The sprite's texture is borrowed from the start-up texture slots.
#pragma once

#include <cstdint>
#include <vector>

#include "fx/cross_sprite.h"
#include "lwo/vec3.h"

// state <- state * 214013 + 2531011 (mod 2^32), starting at 1; each draw yields bits 16..30
// of the new state, 0..32767.
class ParticleRandom {
public:
    int draw();

private:
    std::uint32_t state = 1;
};

// Where the cloud hangs in the view; the tube effect shares it. Sprites sit shifted left of
// the points they mark.
constexpr float kCloudOriginX = -40.0f;
constexpr float kCloudOriginZ = -120.0f;
constexpr float kSpriteShiftX = -15.0f;

class ParticleSystem {
public:
    // Points the sprite at `texture` and appends `count` particles (none when count <= 0),
    // nine draws each: x, y, z, the axis's three components, speed, angle, spin direction.
    void scatterParticles(int count, GLuint texture);

    // Draws every particle as a sprite of edge `size` and advances each by one frame. Expects
    // the identity modelview; leaves it loaded, the depth function at GL_ALWAYS and, when any
    // particle was drawn, the state drawSprite leaves (culling off, additive blending, the
    // sprite texture bound, front face clockwise).
    void drawParticles(float size);

    std::vector<Vec3> positions;
    std::vector<Vec3> axes;     // x and y are 0 or 1; the spin axis is (x, y, 1), z is unused
    std::vector<float> speeds;  // fall of 0.05 x speed and spin of speed degrees per frame
    std::vector<float> angles;  // degrees
    std::vector<float> spins;   // +1 or -1
    int count = 0;
    CrossSprite sprite;
    ParticleRandom random;
};
