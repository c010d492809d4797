#include "fx/particles.h"

#include <GL/gl.h>

namespace {

constexpr float kFallPerSpeed = 0.05f;
constexpr float kSpinPerAngle = 1.5f;
constexpr float kFloor = -100.0f;
constexpr float kCeiling = 100.0f;

}  // namespace

int ParticleRandom::draw() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7fffu);
}

void ParticleSystem::scatterParticles(int newCount, GLuint texture) {
    sprite.setSpriteTexture(texture);
    const auto next = [this](int n) { return static_cast<float>(random.draw() % n); };
    for (int i = 0; i < newCount; ++i) {
        // Separate statements: the draws must happen in exactly this order.
        Vec3 position;
        position.x = next(100);
        position.y = next(100);
        position.z = next(150);
        positions.push_back(position);
        Vec3 axis;
        axis.x = next(2);
        axis.y = next(2);
        axis.z = next(2);  // kept though unused (the spin axis is (x, y, 1)): later draws depend on it
        axes.push_back(axis);
        speeds.push_back(next(10) + 1.4f);
        angles.push_back(next(360));
        spins.push_back(random.draw() % 2 == 1 ? 1.0f : -1.0f);
    }
    count = static_cast<int>(positions.size());
}

void ParticleSystem::drawParticles(float size) {
    glTranslatef(kCloudOriginX, 0, kCloudOriginZ);
    glDepthFunc(GL_ALWAYS);
    if (count > 0) {
        // One batch instead of a translate and rotate per particle: the same vertices, but
        // 1920 matrix changes (each a separate draw in the driver) cost ten times the drawing.
        sprite.beginSpriteBatch();
        for (int i = 0; i < count; ++i) {
            Vec3& p = positions[i];
            SpritePlacement placement;
            placement.offset = {p.x + kSpriteShiftX, p.y, p.z};
            placement.axis = {axes[i].x, axes[i].y, 1};
            placement.degrees = angles[i] * spins[i] * kSpinPerAngle;
            sprite.batchSprite(size, placement);

            p.y -= speeds[i] * kFallPerSpeed;
            if (p.y < kFloor) p.y = kCeiling;
            angles[i] += speeds[i];
        }
        sprite.endSpriteBatch();
    }
    glLoadIdentity();
}
