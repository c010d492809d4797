// The tube: a mesh that flies in from close to the eye, stretches along the view axis and
// spins ever faster about it, drawn with a brightening (GL_DST_COLOR, GL_ONE) blend. Around it
// a glowing sprite can sit on every point of a mesh morph, which starts once in the effect's life.
//
// Units: angles in degrees, every rate per frame drawn (the frame rate is not consulted). The
// effect owns its mesh and sprite; the particle texture is borrowed from the start-up texture
// slots and never freed. The script writes spinSpeed directly and reads morphPending; the finale
// draws `mesh` itself.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fx/cross_sprite.h"
#include "lwo/lwo_object.h"
#include "lwo/mesh_arrays.h"

class TubeEffect {
public:
    // Loads the mesh, prepares its vertex array, gives the sprites `particleTexture` and resets
    // the animation. True on failure (the engine's loader convention): the mesh is then empty,
    // the effect still draws (nothing of the mesh), and mesh.lastError() says why.
    [[nodiscard]] bool loadTubeEffect(const char* fileName, GLuint particleTexture);
    // The same from bytes in memory; `name` labels messages.
    [[nodiscard]] bool loadTubeEffectFromMemory(const uint8_t* data, size_t size, const std::string& name,
                                  GLuint particleTexture);

    // Starts the morph from `points` toward the mesh's own corners, unless one was started before.
    void startTubeMorph(PositionList points);

    // Draws one frame (replacing the modelview matrix) and advances the animation. Leaves the
    // modelview identity, the depth function GL_ALWAYS and blending off.
    void drawTubeEffect();

    bool morphPending = true;
    CrossSprite sprite;
    LwoObject mesh;
    float spinAngle = 0.0f;   // degrees about z
    float spinSpeed = 0.0f;   // degrees per frame
    float spriteSize = 0.7f;  // edge of the morph-point sprites; drawn only while above 0
    float zOffset = 100.0f;   // toward the eye; falls by 1 per frame to 0
    float zScale = 1.0f;      // stretch along z; grows by 0.01 per frame to 40

private:
    bool finishLoad(bool failed, GLuint particleTexture);
    void drawMorphSprites();
};
