// Putting a mesh in front of the test camera: the one "frame this mesh and draw it" set-up the
// drawing tests of objects share, so each says only how it looks at the object.
#pragma once

#include "lwo/mesh_build.h"

#include <vector>

namespace lwotest {

// How the camera looks at a mesh. The mesh's bounding box is centred, turned by `pitch` about X
// and then `yaw` about Y (degrees), and set back `distance` radii from the eye, with a
// perspective of `fieldOfView` degrees reaching from a tenth of a radius to ten radii.
struct MeshView {
    enum class Radius {
        HalfHeight,  // half the box's Y extent: the picture of a globe fills the view's height
        HalfDiagonal,  // half the box's diagonal: anything fits, from any side
    };
    Radius radius = Radius::HalfDiagonal;
    double fieldOfView = 60.0;
    float distance = 2.2f;
    float pitch = 0.0f;
    float yaw = 0.0f;
};

// Loads the projection and modelview matrices for an 800x600 view of `polygons` and turns on
// depth testing (GL_LEQUAL). Needs a current GL context.
void frameMesh(const MeshPolygons& polygons, const MeshView& view);

}  // namespace lwotest
