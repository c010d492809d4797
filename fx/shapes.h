// Immediate-mode shapes the effects are built from.
//
// The six face quads are the sides of an axis-aligned box: each starts at its corner (x, y, z)
// and extends by w toward +x, by h toward -y and by d toward -z, and sets the front-face mode
// that turns its front outward (paired faces differ only in that mode). All shapes draw in the
// current modelview matrix with the current colour and keep no state; only the quadrics send
// normals. Lengths are in model units, angles in degrees; texture names are borrowed, never freed.
#pragma once

#include <GL/gl.h>

// Faces of a box. Front, back, right and left put texture (0,0) at their lower corner y - h;
// top and bottom put it at the corner (x, y, z) itself.
void drawFaceFront(float x, float y, float z, float w, float h);   // x-y plane, faces +z
void drawFaceBack(float x, float y, float z, float w, float h);    // x-y plane, faces -z
void drawFaceRight(float x, float y, float z, float h, float d);   // y-z plane, faces +x
void drawFaceLeft(float x, float y, float z, float h, float d);    // y-z plane, faces -x
void drawFaceTop(float x, float y, float z, float w, float d);     // x-z plane, faces +y
void drawFaceBottom(float x, float y, float z, float w, float d);  // x-z plane, faces -y

// Box spanning x..x+w, y-h..y, z-d..z. Leaves capTexture bound and the front face clockwise.
void drawTexturedBox(float x, float y, float z, float w, float h, float d, GLuint capTexture,
                     GLuint sideTexture);

// Square pyramid with its apex at (x, y, z) and its base `height` below. No texture coordinates.
void drawPyramid(float x, float y, float z, float height, float base);

// One textured quad through (x1, y1, z1) and (x2, y2, z2); the other two corners are offset
// from them by (a, c, e) and (-b, d, f). Front face clockwise.
void drawFreeQuad(float x1, float y1, float z1, float x2, float y2, float z2, float a, float b,
                  float c, float d, float e, float f);

// A trapezoid in the plane z, bound to `texture`. Front face clockwise.
void drawTaperedQuad(float x, float y, float z, double dx1, double dx2, double dy, GLuint texture);

// GLU cylinder along +z from nearRadius (z = 0) to farRadius (z = height).
void drawCylinder(double farRadius, double nearRadius, double height, int slices, int stacks);

// GLU partial disk in the z = 0 plane; angles in degrees.
void drawPartialDisk(double innerRadius, double outerRadius, int slices, int loops,
                     double startAngle, double sweepAngle);
