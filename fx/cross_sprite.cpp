#include "fx/cross_sprite.h"

#include <cmath>

#include "fx/shapes.h"

namespace {

struct Corner {
    float x, y, z, s, t;
};

// The corners drawSprite's three faces emit for a unit edge (scaled by size), in their order:
// the x-y square (drawFaceFront), the x-z square (drawFaceBottom), the y-z square (drawFaceLeft).
constexpr float kHalf = 0.5f;
constexpr double kPi = 3.14159265358979323846;
constexpr Corner kUnitCorners[12] = {
    {-kHalf, kHalf, 0, 0, 1},  {-kHalf, -kHalf, 0, 0, 0}, {kHalf, -kHalf, 0, 1, 0},
    {kHalf, kHalf, 0, 1, 1},   {-kHalf, 0, kHalf, 0, 0},  {kHalf, 0, kHalf, 1, 0},
    {kHalf, 0, -kHalf, 1, 1},  {-kHalf, 0, -kHalf, 0, 1}, {0, kHalf, kHalf, 0, 1},
    {0, -kHalf, kHalf, 0, 0},  {0, -kHalf, -kHalf, 1, 0}, {0, kHalf, -kHalf, 1, 1},
};

// The matrix glRotatef builds: rotation by `degrees` about the normalised axis, row-major.
void rotationMatrix(const Vec3& axis, float degrees, float (&m)[3][3]) {
    const float length = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    if (length == 0.0f) {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m[r][c] = r == c ? 1.0f : 0.0f;
        return;
    }
    const float x = axis.x / length, y = axis.y / length, z = axis.z / length;
    const float radians = degrees * static_cast<float>(kPi / 180.0);
    const float s = std::sin(radians), c = std::cos(radians), k = 1.0f - c;
    m[0][0] = x * x * k + c, m[0][1] = x * y * k - z * s, m[0][2] = x * z * k + y * s;
    m[1][0] = y * x * k + z * s, m[1][1] = y * y * k + c, m[1][2] = y * z * k - x * s;
    m[2][0] = z * x * k - y * s, m[2][1] = z * y * k + x * s, m[2][2] = z * z * k + c;
}

}  // namespace

void CrossSprite::setSpriteState() const {
    glDisable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void CrossSprite::drawSprite(float size) const {
    setSpriteState();
    const float h = size / 2;
    drawFaceFront(-h, h, 0, size, size);
    drawFaceBottom(-h, 0, h, size, size);
    drawFaceLeft(0, h, h, size, size);
}

void CrossSprite::beginSpriteBatch() const {
    setSpriteState();
    glBegin(GL_QUADS);
}

void CrossSprite::batchSprite(float size, const SpritePlacement& placement) const {
    if (unseen) return;
    float m[3][3];
    rotationMatrix(placement.axis, placement.degrees, m);
    const Vec3& o = placement.offset;
    for (const Corner& corner : kUnitCorners) {
        const float x = corner.x * size, y = corner.y * size, z = corner.z * size;
        glTexCoord2f(corner.s, corner.t);
        glVertex3f(m[0][0] * x + m[0][1] * y + m[0][2] * z + o.x,
                   m[1][0] * x + m[1][1] * y + m[1][2] * z + o.y,
                   m[2][0] * x + m[2][1] * y + m[2][2] * z + o.z);
    }
}

void CrossSprite::endSpriteBatch() const {
    glEnd();
    // drawSprite's last face (the y-z square) leaves the front face clockwise.
    glFrontFace(GL_CW);
}
