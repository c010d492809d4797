#include "fx/shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "tests/fx/fx_test_support.h"

using namespace fxtest;
using testsupport::readPixel;

namespace {

// Each face with the rotation that turns its outward side toward the viewer (+z).
struct FaceCase {
    const char* name;
    std::function<void()> draw;
    GLint frontFace;
    float angle, ax, ay;  // rotation taking the outward normal to +z
};

const float kQuarter = 90.0f;

std::vector<FaceCase> faceCases() {
    const float c = -0.25f, n = 0.5f;
    return {
        {"front", [=] { drawFaceFront(c, -c, 0, n, n); }, GL_CCW, 0, 1, 0},
        {"back", [=] { drawFaceBack(c, -c, 0, n, n); }, GL_CW, 2 * kQuarter, 0, 1},
        {"right", [=] { drawFaceRight(0, -c, -c, n, n); }, GL_CCW, -kQuarter, 0, 1},
        {"left", [=] { drawFaceLeft(0, -c, -c, n, n); }, GL_CW, kQuarter, 0, 1},
        {"top", [=] { drawFaceTop(c, 0, -c, n, n); }, GL_CCW, kQuarter, 1, 0},
        {"bottom", [=] { drawFaceBottom(c, 0, -c, n, n); }, GL_CW, -kQuarter, 1, 0},
    };
}

int visiblePolygons(const std::function<void()>& draw) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    return countFeedbackPolygons(draw);
}

}  // namespace

TEST(Shapes, EachFaceSetsItsWindingAndFacesOutward) {
    REQUIRE_GL();
    for (const FaceCase& face : faceCases()) {
        SCOPED_TRACE(face.name);
        glFrontFace(face.frontFace == GL_CCW ? GL_CW : GL_CCW);
        glLoadIdentity();
        glRotatef(face.angle, face.ax, face.ay, 0);
        EXPECT_GT(visiblePolygons(face.draw), 0) << "outward side culled";
        EXPECT_EQ(getInt(GL_FRONT_FACE), face.frontFace);

        glLoadIdentity();
        glRotatef(2 * kQuarter, 0, 1, 0);  // then turn the outward side away
        glRotatef(face.angle, face.ax, face.ay, 0);
        EXPECT_EQ(visiblePolygons(face.draw), 0) << "inward side drawn";
    }
}

TEST(Shapes, FaceFrontPutsTextureOriginAtLowerLeft) {
    REQUIRE_GL();
    const GLuint texture = makeQuadrantTexture();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    // Identity projection: the quad covers NDC x -0.4..0.4, y -0.3..0.3 = pixels 240..560, 210..390.
    drawFaceFront(-0.4f, 0.3f, 0, 0.8f, 0.6f);
    EXPECT_TRUE(nearRgb(readPixel(250, 220), 255, 0, 0)) << "(0,0) not at the lower left";
    EXPECT_TRUE(nearRgb(readPixel(550, 220), 0, 255, 0));
    EXPECT_TRUE(nearRgb(readPixel(250, 380), 0, 0, 255));
    EXPECT_TRUE(nearRgb(readPixel(550, 380), 255, 255, 255));
    EXPECT_TRUE(nearRgb(readPixel(235, 300), 0, 0, 0)) << "quad wider than w";
    EXPECT_TRUE(nearRgb(readPixel(400, 395), 0, 0, 0)) << "quad taller than h";
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(texture)) << "faces bind nothing";
}

TEST(Shapes, BoxShowsThreeFacesFromACornerAndLeavesCapTextureBound) {
    REQUIRE_GL();
    glRotatef(30, 1, 0, 0);
    glRotatef(-40, 0, 1, 0);
    const auto box = [] { drawTexturedBox(-0.3f, 0.3f, 0.3f, 0.6f, 0.6f, 0.6f, 7, 9); };
    // Feedback may split a quad into triangles: count in units of one face.
    const int perFace = countFeedbackPolygons([] { drawFaceFront(-0.3f, 0.3f, 0.3f, 0.6f, 0.6f); });
    ASSERT_GT(perFace, 0);
    EXPECT_EQ(visiblePolygons(box), 3 * perFace);
    glCullFace(GL_FRONT);
    EXPECT_EQ(countFeedbackPolygons(box), 3 * perFace) << "a face is turned inward";
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), 7);
    EXPECT_EQ(getInt(GL_FRONT_FACE), GL_CW);
}

TEST(Shapes, PyramidSidesAndBaseFaceOutward) {
    REQUIRE_GL();
    const auto pyramid = [] { drawPyramid(0, 0.4f, 0, 0.8f, 0.6f); };
    glRotatef(kQuarter, 1, 0, 0);  // looking down on the apex
    const int fromAbove = visiblePolygons(pyramid);
    glLoadIdentity();
    glRotatef(-kQuarter, 1, 0, 0);  // looking up at the base
    const int fromBelow = visiblePolygons(pyramid);
    glDisable(GL_CULL_FACE);
    const int all = countFeedbackPolygons(pyramid);
    EXPECT_GT(fromAbove, 0);
    EXPECT_GT(fromBelow, 0);
    EXPECT_EQ(fromAbove + fromBelow, all) << "some side or the base faces inward";
    EXPECT_EQ(getInt(GL_FRONT_FACE), GL_CCW);
}

TEST(Shapes, TaperedQuadBindsItsTextureAndSpansItsCorners) {
    REQUIRE_GL();
    std::vector<float> v;
    countFeedbackPolygons([] { drawTaperedQuad(0, 0.2f, 0, 0.2, 0.3, 0.4, 5); }, &v);
    ASSERT_FALSE(v.empty());
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (size_t i = 0; i + 2 < v.size(); i += 3) {
        minX = std::min(minX, v[i]), maxX = std::max(maxX, v[i]);
        minY = std::min(minY, v[i + 1]), maxY = std::max(maxY, v[i + 1]);
    }
    // NDC x -0.3..0.3 and y -0.2..0.4 in an 800x600 window.
    EXPECT_NEAR(minX, 280, 0.5);
    EXPECT_NEAR(maxX, 520, 0.5);
    EXPECT_NEAR(minY, 240, 0.5);
    EXPECT_NEAR(maxY, 420, 0.5);
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), 5);
    EXPECT_EQ(getInt(GL_FRONT_FACE), GL_CW);
}

TEST(Shapes, CylinderRunsFromNearRadiusAtZeroToFarRadiusAtHeight) {
    REQUIRE_GL();
    glScalef(1, 1, -1);  // keep +z inside the identity projection's depth range
    std::vector<float> v;
    countFeedbackPolygons([] { drawCylinder(0.4, 0.2, 0.5, 12, 1); }, &v);
    ASSERT_FALSE(v.empty());
    for (size_t i = 0; i + 2 < v.size(); i += 3) {
        const double x = v[i] / 400.0 - 1, y = v[i + 1] / 300.0 - 1;
        const double z = -(2.0 * v[i + 2] - 1);
        const double radius = std::sqrt(x * x + y * y);
        if (std::abs(z) < 1e-3) {
            EXPECT_NEAR(radius, 0.2, 1e-3);
        } else {
            EXPECT_NEAR(z, 0.5, 1e-3);
            EXPECT_NEAR(radius, 0.4, 1e-3);
        }
    }
}

TEST(Shapes, PartialDiskLiesInZeroPlaneBetweenItsRadii) {
    REQUIRE_GL();
    std::vector<float> v;
    countFeedbackPolygons([] { drawPartialDisk(0.2, 0.5, 16, 2, 0, 90); }, &v);
    ASSERT_FALSE(v.empty());
    for (size_t i = 0; i + 2 < v.size(); i += 3) {
        const double x = v[i] / 400.0 - 1, y = v[i + 1] / 300.0 - 1;
        const double radius = std::sqrt(x * x + y * y);
        EXPECT_NEAR(v[i + 2], 0.5, 1e-4);
        EXPECT_GE(radius, 0.2 - 1e-3);
        EXPECT_LE(radius, 0.5 + 1e-3);
        // GLU measures from +y toward +x: a 90-degree sweep from 0 stays in the upper right.
        EXPECT_GE(x, -1e-3);
        EXPECT_GE(y, -1e-3);
    }
}

TEST(Shapes, FreeQuadTakesItsOffsetsInInterleavedOrder) {
    REQUIRE_GL();
    // Corners (x1, y1), (x1 + a, y1 + c), (x2, y2), (x2 - b, y2 + d) with a..d = .5, .4, -.1, .2.
    const auto quad = [] { drawFreeQuad(-0.5f, 0.5f, 0, 0.5f, -0.5f, 0, 0.5f, 0.4f, -0.1f, 0.2f, 0, 0); };
    std::vector<float> v;
    countFeedbackPolygons(quad, &v);
    const float corners[4][2] = {{-0.5f, 0.5f}, {0.0f, 0.4f}, {0.5f, -0.5f}, {0.1f, -0.3f}};
    for (const auto& c : corners) {
        bool found = false;
        for (size_t i = 0; i + 2 < v.size(); i += 3) {
            found = found || (std::abs(v[i] - (c[0] + 1) * 400) < 0.5f &&
                              std::abs(v[i + 1] - (c[1] + 1) * 300) < 0.5f);
        }
        EXPECT_TRUE(found) << "corner (" << c[0] << ", " << c[1] << ") missing";
    }
    EXPECT_EQ(getInt(GL_FRONT_FACE), GL_CW);
    EXPECT_GT(visiblePolygons(quad), 0) << "clockwise on screen is its front";
}
