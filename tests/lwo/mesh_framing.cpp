#include "tests/lwo/mesh_framing.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace lwotest {

void frameMesh(const MeshPolygons& polygons, const MeshView& view) {
    Vec3 lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
    for (const MeshPolygon& p : polygons) {
        for (const Vec3& v : p.positions) {
            lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
            hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
        }
    }
    const float radius =
        view.radius == MeshView::Radius::HalfHeight
            ? 0.5f * (hi.y - lo.y)
            : 0.5f * std::sqrt((hi.x - lo.x) * (hi.x - lo.x) + (hi.y - lo.y) * (hi.y - lo.y) +
                               (hi.z - lo.z) * (hi.z - lo.z));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(view.fieldOfView, 800.0 / 600.0, radius * 0.1, radius * 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -view.distance * radius);
    // A turn of zero is left out rather than multiplied in, so a view without one is exactly
    // the matrix it always was.
    if (view.pitch != 0.0f) glRotatef(view.pitch, 1, 0, 0);
    if (view.yaw != 0.0f) glRotatef(view.yaw, 0, 1, 0);
    glTranslatef(-(lo.x + hi.x) / 2, -(lo.y + hi.y) / 2, -(lo.z + hi.z) / 2);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
}

}  // namespace lwotest
