#include "fx/shapes.h"

#include <GL/glu.h>

namespace {

struct Corner {
    float x, y, z, s, t;
};

void drawQuad(GLenum frontFace, const Corner (&corners)[4]) {
    glFrontFace(frontFace);
    glBegin(GL_QUADS);
    for (const Corner& c : corners) {
        glTexCoord2f(c.s, c.t);
        glVertex3f(c.x, c.y, c.z);
    }
    glEnd();
}

void drawXyFace(GLenum frontFace, float x, float y, float z, float w, float h) {
    drawQuad(frontFace, {{x, y, z, 0, 1}, {x, y - h, z, 0, 0}, {x + w, y - h, z, 1, 0},
                         {x + w, y, z, 1, 1}});
}

void drawYzFace(GLenum frontFace, float x, float y, float z, float h, float d) {
    drawQuad(frontFace, {{x, y, z, 0, 1}, {x, y - h, z, 0, 0}, {x, y - h, z - d, 1, 0},
                         {x, y, z - d, 1, 1}});
}

void drawXzFace(GLenum frontFace, float x, float y, float z, float w, float d) {
    drawQuad(frontFace, {{x, y, z, 0, 0}, {x + w, y, z, 1, 0}, {x + w, y, z - d, 1, 1},
                         {x, y, z - d, 0, 1}});
}

// Smooth normals, outward orientation, texture coordinates on; the quadric lives for one call.
template <typename Draw>
void withQuadric(Draw draw) {
    GLUquadric* quadric = gluNewQuadric();
    if (!quadric) return;
    gluQuadricNormals(quadric, GLU_SMOOTH);
    gluQuadricOrientation(quadric, GLU_OUTSIDE);
    gluQuadricTexture(quadric, GL_TRUE);
    draw(quadric);
    gluDeleteQuadric(quadric);
}

}  // namespace

void drawFaceFront(float x, float y, float z, float w, float h) { drawXyFace(GL_CCW, x, y, z, w, h); }
void drawFaceBack(float x, float y, float z, float w, float h) { drawXyFace(GL_CW, x, y, z, w, h); }
void drawFaceRight(float x, float y, float z, float h, float d) { drawYzFace(GL_CCW, x, y, z, h, d); }
void drawFaceLeft(float x, float y, float z, float h, float d) { drawYzFace(GL_CW, x, y, z, h, d); }
void drawFaceTop(float x, float y, float z, float w, float d) { drawXzFace(GL_CCW, x, y, z, w, d); }
void drawFaceBottom(float x, float y, float z, float w, float d) { drawXzFace(GL_CW, x, y, z, w, d); }

void drawTexturedBox(float x, float y, float z, float w, float h, float d, GLuint capTexture,
                     GLuint sideTexture) {
    glBindTexture(GL_TEXTURE_2D, sideTexture);
    drawFaceFront(x, y, z, w, h);
    drawFaceBack(x, y, z - d, w, h);
    drawFaceRight(x + w, y, z, h, d);
    drawFaceLeft(x, y, z, h, d);
    glBindTexture(GL_TEXTURE_2D, capTexture);
    drawFaceTop(x, y, z, w, d);
    drawFaceBottom(x, y - h, z, w, d);
}

void drawPyramid(float x, float y, float z, float height, float base) {
    const float half = base * 0.5f;
    const float baseY = y - height;
    const float corners[4][2] = {
        {x - half, z - half}, {x + half, z - half}, {x + half, z + half}, {x - half, z + half}};

    glFrontFace(GL_CW);
    glBegin(GL_TRIANGLE_FAN);
    glVertex3f(x, y, z);
    for (const auto& c : corners) glVertex3f(c[0], baseY, c[1]);
    glVertex3f(corners[0][0], baseY, corners[0][1]);
    glEnd();

    glFrontFace(GL_CCW);
    glBegin(GL_QUADS);
    for (const auto& c : corners) glVertex3f(c[0], baseY, c[1]);
    glEnd();
}

void drawFreeQuad(float x1, float y1, float z1, float x2, float y2, float z2, float a, float b,
                  float c, float d, float e, float f) {
    drawQuad(GL_CW, {{x1, y1, z1, 0, 1}, {x1 + a, y1 + c, z1 + e, 1, 1}, {x2, y2, z2, 1, 0},
                     {x2 - b, y2 + d, z2 + f, 0, 0}});
}

void drawTaperedQuad(float x, float y, float z, double dx1, double dx2, double dy, GLuint texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    const auto at = [](double v) { return static_cast<float>(v); };
    drawQuad(GL_CW, {{x, y, z, 0, 1},
                     {at(x + dx1), at(y + 0.5 * dy), z, 1, 1},
                     {at(x + dx2), at(y - dy), z, 1, 0},
                     {at(x - dx2), at(y - dy), z, 0, 0}});
}

void drawCylinder(double farRadius, double nearRadius, double height, int slices, int stacks) {
    withQuadric([&](GLUquadric* q) { gluCylinder(q, nearRadius, farRadius, height, slices, stacks); });
}

void drawPartialDisk(double innerRadius, double outerRadius, int slices, int loops,
                     double startAngle, double sweepAngle) {
    withQuadric([&](GLUquadric* q) {
        gluPartialDisk(q, innerRadius, outerRadius, slices, loops, startAngle, sweepAngle);
    });
}
