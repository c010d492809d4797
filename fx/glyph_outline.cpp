#include "fx/glyph_outline.h"

#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>

namespace {

// A pathological control polygon (a corrupt glyph) must not turn into millions of chords.
constexpr int kMaxChords = 64;

int chordCount(double secondDifference, double errorFactor, double tolerance) {
    // A chord over parameter step h strays at most h^2/8 * |B''| from the curve.
    const double n = std::ceil(std::sqrt(errorFactor * secondDifference / tolerance));
    if (!(n >= 1.0)) return 1;
    return static_cast<int>(std::min(n, static_cast<double>(kMaxChords)));
}

double length(double x, double y) { return std::sqrt(x * x + y * y); }

double signedArea(const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint& c) {
    return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
}

// Everything the GLU callbacks need; vertex storage is a deque so that the addresses handed to
// the tessellator stay valid while combine callbacks add vertices.
struct TessSink {
    std::deque<std::array<GLdouble, 3>> vertices;
    std::vector<OutlinePoint> corners;
    bool failed = false;
};

void GLAPIENTRY onBegin(GLenum, void*) {}
void GLAPIENTRY onEnd(void*) {}
// Registering an edge-flag callback makes the tessellator emit independent triangles only.
void GLAPIENTRY onEdgeFlag(GLboolean, void*) {}

void GLAPIENTRY onVertex(void* vertex, void* sink) {
    const auto* v = static_cast<const GLdouble*>(vertex);
    static_cast<TessSink*>(sink)->corners.push_back({v[0], v[1]});
}

void GLAPIENTRY onCombine(GLdouble coords[3], void*[4], GLfloat[4], void** out, void* sink) {
    auto& s = *static_cast<TessSink*>(sink);
    s.vertices.push_back({coords[0], coords[1], 0.0});
    *out = s.vertices.back().data();
}

void GLAPIENTRY onError(GLenum, void* sink) { static_cast<TessSink*>(sink)->failed = true; }

template <typename F>
void setCallback(GLUtesselator* tess, GLenum which, F* fn) {
    gluTessCallback(tess, which, reinterpret_cast<_GLUfuncptr>(fn));
}

void feedContours(GLUtesselator* tess, TessSink& sink, const std::vector<OutlineContour>& contours) {
    gluTessBeginPolygon(tess, &sink);
    for (const OutlineContour& contour : contours) {
        if (contour.size() < 3) continue;
        gluTessBeginContour(tess);
        for (const OutlinePoint& p : contour) {
            sink.vertices.push_back({p.x, p.y, 0.0});
            gluTessVertex(tess, sink.vertices.back().data(), sink.vertices.back().data());
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
}

void emitFlatFace(const std::vector<OutlinePoint>& triangles, double z, bool reversed) {
    glNormal3d(0.0, 0.0, reversed ? -1.0 : 1.0);
    glBegin(GL_TRIANGLES);
    for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
        const size_t first = reversed ? i + 2 : i;
        const size_t last = reversed ? i : i + 2;
        glVertex3d(triangles[first].x, triangles[first].y, z);
        glVertex3d(triangles[i + 1].x, triangles[i + 1].y, z);
        glVertex3d(triangles[last].x, triangles[last].y, z);
    }
    glEnd();
}

void emitSides(const OutlineContour& contour, double depth, bool contoursClockwise) {
    glBegin(GL_QUADS);
    for (size_t i = 0; i < contour.size(); ++i) {
        const OutlinePoint& a = contour[i];
        const OutlinePoint& b = contour[(i + 1) % contour.size()];
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double len = length(dx, dy);
        if (len == 0.0) continue;
        // The filled area lies right of a clockwise contour's direction, so outward is left.
        const double side = contoursClockwise ? -1.0 : 1.0;
        glNormal3d(side * dy / len, -side * dx / len, 0.0);
        // Counter-clockwise seen from outside: which edge end goes first depends on that side.
        const double zFirst = contoursClockwise ? -depth : 0.0;
        const double zSecond = contoursClockwise ? 0.0 : -depth;
        glVertex3d(a.x, a.y, zFirst);
        glVertex3d(a.x, a.y, zSecond);
        glVertex3d(b.x, b.y, zSecond);
        glVertex3d(b.x, b.y, zFirst);
    }
    glEnd();
}

}  // namespace

void appendQuadratic(OutlineContour& contour, OutlinePoint from, OutlinePoint control,
                     OutlinePoint to, double tolerance) {
    const double d = length(from.x - 2 * control.x + to.x, from.y - 2 * control.y + to.y);
    const int n = chordCount(d, 0.25, tolerance);
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        const double u = 1.0 - t;
        contour.push_back({u * u * from.x + 2 * u * t * control.x + t * t * to.x,
                           u * u * from.y + 2 * u * t * control.y + t * t * to.y});
    }
}

void appendCubic(OutlineContour& contour, OutlinePoint from, OutlinePoint control1,
                 OutlinePoint control2, OutlinePoint to, double tolerance) {
    const double d = std::max(
        length(from.x - 2 * control1.x + control2.x, from.y - 2 * control1.y + control2.y),
        length(control1.x - 2 * control2.x + to.x, control1.y - 2 * control2.y + to.y));
    const int n = chordCount(d, 0.75, tolerance);
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        const double u = 1.0 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, e = t * t * t;
        contour.push_back({a * from.x + b * control1.x + c * control2.x + e * to.x,
                           a * from.y + b * control1.y + c * control2.y + e * to.y});
    }
}

std::vector<OutlinePoint> tessellateOutline(const std::vector<OutlineContour>& contours,
                                            GLenum windingRule) {
    GLUtesselator* tess = gluNewTess();
    if (!tess) return {};
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, windingRule);
    gluTessNormal(tess, 0.0, 0.0, 1.0);
    setCallback(tess, GLU_TESS_BEGIN_DATA, onBegin);
    setCallback(tess, GLU_TESS_END_DATA, onEnd);
    setCallback(tess, GLU_TESS_EDGE_FLAG_DATA, onEdgeFlag);
    setCallback(tess, GLU_TESS_VERTEX_DATA, onVertex);
    setCallback(tess, GLU_TESS_COMBINE_DATA, onCombine);
    setCallback(tess, GLU_TESS_ERROR_DATA, onError);
    TessSink sink;
    feedContours(tess, sink, contours);
    gluDeleteTess(tess);
    if (sink.failed || sink.corners.size() % 3 != 0) return {};
    for (size_t i = 0; i < sink.corners.size(); i += 3) {
        if (signedArea(sink.corners[i], sink.corners[i + 1], sink.corners[i + 2]) < 0.0)
            std::swap(sink.corners[i], sink.corners[i + 2]);
    }
    return std::move(sink.corners);
}

void emitExtrudedGlyph(const std::vector<OutlineContour>& contours,
                       const std::vector<OutlinePoint>& triangles, double depth,
                       bool contoursClockwise) {
    if (triangles.empty()) return;
    emitFlatFace(triangles, 0.0, false);
    emitFlatFace(triangles, -depth, true);
    for (const OutlineContour& contour : contours) {
        if (contour.size() >= 3) emitSides(contour, depth, contoursClockwise);
    }
}
