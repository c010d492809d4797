// A mesh drawn lit: its shaded parts (lwo/mesh_shading.h) drawn with GL's fixed-function
// lighting, each part with its surface's material: diffuse colour, luminosity as emission, a
// highlight from specular and glossiness, transparency as alpha, and both sides lit and drawn
// where the surface is double-sided; pictures wrapped as their block says, or laid on by front
// projection through the current projection matrix. Only the tools draw this way; the show's meshes draw
// through LwoObject as they always have.
//
// Lights are the caller's (scene/scene_lighting.h sets them); drawing needs a current GL
// context and draws in the current modelview matrix, in the mesh model's coordinates.
#pragma once

#include "lwo/lwo_mesh.h"
#include "lwo/mesh_shading.h"

#include <GL/gl.h>

#include <vector>

class LitMesh {
public:
    LitMesh() = default;
    explicit LitMesh(const LwoMesh& mesh);

    // Draws every part; textured surfaces with `texture` (0: none). Leaves lighting on, blending
    // off, culling on with clockwise front faces and one-sided lighting.
    void draw(GLuint texture) const;
    bool empty() const { return parts_.empty(); }
    const std::vector<ShadedPart>& parts() const { return parts_; }

private:
    void drawPart(const ShadedPart& part, const SurfaceLook& look, GLuint texture) const;
    std::vector<ShadedPart> parts_;
    std::vector<SurfaceLook> looks_;  // one per part
};
