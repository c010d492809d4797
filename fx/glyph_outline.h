// Turning one glyph outline into a thin solid: curve flattening, GLU tessellation of the
// filled area, and the front, back and side faces that go into the glyph's display list.
//
// Coordinates are in em units (1.0 = the font's em square), y up, the glyph's origin at (0, 0).
// The front face lies in z = 0 facing +z, the back face at z = -depth. Nothing here knows about
// font files; the font builder feeds contours in and records the emitted GL calls in a list.
#pragma once

#include <GL/gl.h>

#include <vector>

struct OutlinePoint {
    double x = 0.0;
    double y = 0.0;
};

// One closed contour; the closing edge from the last point back to the first is implied.
using OutlineContour = std::vector<OutlinePoint>;

// Largest distance, in em, between a flattened curve and the true curve. At the scroller's
// capture scale an em is about 22 pixels, so this keeps every chord well below a pixel.
constexpr double kFlatteningTolerance = 0.002;

// Appends the points after `from` of a quadratic (conic) or cubic Bezier segment, flattened
// into as few equal-parameter chords as keep within `tolerance`. The end point is appended last.
void appendQuadratic(OutlineContour& contour, OutlinePoint from, OutlinePoint control,
                     OutlinePoint to, double tolerance = kFlatteningTolerance);
void appendCubic(OutlineContour& contour, OutlinePoint from, OutlinePoint control1,
                 OutlinePoint control2, OutlinePoint to, double tolerance = kFlatteningTolerance);

// Triangulates the area the contours enclose under `windingRule` (GLU_TESS_WINDING_ODD or
// GLU_TESS_WINDING_NONZERO). Returns the triangles' corners, three per triangle, each triangle
// counter-clockwise seen from +z. Needs no GL context.
std::vector<OutlinePoint> tessellateOutline(const std::vector<OutlineContour>& contours,
                                            GLenum windingRule);

// Emits, between glBegin/glEnd pairs, the front triangles at z = 0, the back triangles at
// z = -depth (reversed so they face -z) and one quad strip of sides per contour, each with its
// normal. `contoursClockwise` tells which way the filled area lies from the contours (true for
// TrueType: outer contours run clockwise), so the side faces turn outward.
void emitExtrudedGlyph(const std::vector<OutlineContour>& contours,
                       const std::vector<OutlinePoint>& triangles, double depth,
                       bool contoursClockwise);
