#include "fx/tube_effect.h"

#include <utility>

#include "fx/particles.h"

namespace {

constexpr float kZOffsetStep = 1.0f;
constexpr float kZScaleStep = 0.01f;
constexpr float kZScaleLimit = 40.0f;
constexpr float kSpriteShrink = 0.002f;
constexpr float kMorphSteps = 250.0f;

}  // namespace

bool TubeEffect::loadTubeEffect(const char* fileName, GLuint particleTexture) {
    return finishLoad(mesh.load(fileName), particleTexture);
}

bool TubeEffect::loadTubeEffectFromMemory(const uint8_t* data, size_t size,
                                          const std::string& name, GLuint particleTexture) {
    return finishLoad(mesh.loadFromMemory(data, size, name), particleTexture);
}

bool TubeEffect::finishLoad(bool failed, GLuint particleTexture) {
    morphPending = true;
    sprite.setSpriteTexture(particleTexture);
    mesh.prepareVertexArray();
    spinAngle = 0.0f;
    spinSpeed = 0.0f;
    spriteSize = 0.7f;
    zOffset = 100.0f;
    zScale = 1.0f;
    return failed;
}

void TubeEffect::startTubeMorph(PositionList points) {
    if (!morphPending) return;
    morphPending = false;
    mesh.startMorph(std::move(points), mesh.collectPositions());
}

// One batch instead of a matrix change per point: a morph of the whole tube has 5760 points.
void TubeEffect::drawMorphSprites() {
    SpritePlacement placement;
    placement.axis = {0.0f, 0.0f, 1.0f};
    sprite.beginSpriteBatch();
    for (const Vec3& p : mesh.morphCurrent) {
        placement.offset = {p.x + kSpriteShiftX, p.y, p.z};
        sprite.batchSprite(spriteSize, placement);
    }
    sprite.endSpriteBatch();
}

void TubeEffect::drawTubeEffect() {
    glLoadIdentity();
    glDepthFunc(GL_ALWAYS);
    glTranslatef(kCloudOriginX, 0.0f, kCloudOriginZ);
    // This frame turns by the angle from before the call: the first frame is never turned.
    glRotatef(spinAngle, 0.0f, 0.0f, 1.0f);
    spinAngle += spinSpeed;

    if (spriteSize > 0.0f) drawMorphSprites();

    glTranslatef(0.0f, 0.0f, zOffset);
    glScalef(1.0f, 1.0f, zScale);
    mesh.drawVertexArrayBlended(kBlendBrightening);
    if (zOffset > 0.0f) zOffset -= kZOffsetStep;
    if (zScale < kZScaleLimit) zScale += kZScaleStep;

    // The morph points are drawn in eye space, and the sprites go on shrinking past zero.
    glLoadIdentity();
    spriteSize -= kSpriteShrink;
    mesh.drawMorphStep(kMorphSteps);
    glLoadIdentity();
}
