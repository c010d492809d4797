// Outline font: glyph flattening and tessellation, the display lists, the text printer and
// the capture texture the scroller copies its text into.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "fx/glyph_outline.h"
#include "fx/outline_font.h"
#include "gl/gl_setup.h"
#include "tests/support/gl_test_context.h"
#include "fx/show_state.h"

namespace {

// Advance widths of the requested face in 1/2048 em. Metric-compatible faces share them, so a
// wrong face, a wrong scale or a wrong glyph lookup shows up as a different width.
struct KnownWidth {
    unsigned char code;
    int width;
};
constexpr KnownWidth kArialWidths[] = {{'A', 1366}, {'i', 455}, {'m', 1706}, {'W', 1933},
                                       {' ', 569},  {'.', 569}, {'Z', 1251}, {'0', 1139}};
constexpr double kEm = 2048.0;

double triangleArea(const std::vector<OutlinePoint>& t, size_t i) {
    return 0.5 * ((t[i + 1].x - t[i].x) * (t[i + 2].y - t[i].y) -
                  (t[i + 2].x - t[i].x) * (t[i + 1].y - t[i].y));
}

OutlineContour square(double x0, double y0, double size, bool clockwise) {
    OutlineContour c = {{x0, y0}, {x0 + size, y0}, {x0 + size, y0 + size}, {x0, y0 + size}};
    if (clockwise) std::reverse(c.begin(), c.end());
    return c;
}

// Every triangle counter-clockwise; returns the covered area.
double checkedArea(const std::vector<OutlinePoint>& triangles) {
    double area = 0.0;
    for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
        EXPECT_GT(triangleArea(triangles, i), 0.0) << "triangle " << i / 3 << " is clockwise";
        area += triangleArea(triangles, i);
    }
    return area;
}

// The record the font of these tests is kept in, built once for all of them.
ShowState& font() {
    static ShowState state;
    return state;
}

void ensureFont() {
    static bool built = false;
    if (!built) buildOutlineFont(font());
    built = true;
    ASSERT_NE(font().fontBase, 0u);
}

float modelviewX() {
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return m[12];
}

float advanceOfCode(unsigned char code) {
    glLoadIdentity();
    glCallList(font().fontBase + code);
    const float x = modelviewX();
    glLoadIdentity();
    return x;
}

GLint listBase() {
    GLint base = -1;
    glGetIntegerv(GL_LIST_BASE, &base);
    return base;
}

// The scroller's capture set-up: the frame's 60 degree 4:3 projection squeezed into a
// 128x128 corner, text five units ahead.
void scrollerView(float scroll) {
    setPerspective(800, 600, 60);
    glViewport(0, 0, 128, 128);
    glColor3f(0.6f, 0.6f, 0.9f);
    glTranslatef(2.0f - 0.03f * scroll, 0.0f, -5.0f);
}

// Pixel column where eye-space x lands at depth 5 in the scroller view.
int scrollerColumn(double x) {
    const double halfWidth = 5.0 * std::tan(M_PI / 6.0) * (800.0 / 600.0);
    return static_cast<int>(64.0 + 64.0 * x / halfWidth);
}

// Lit pixels in a rectangle of the back buffer.
int inkIn(int x, int y, int w, int h) {
    std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int lit = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) lit += (rgba[i] + rgba[i + 1] + rgba[i + 2]) > 60;
    return lit;
}

// Texture (0, 0) at the lower-left corner of the screen, (1, 1) at the upper right.
void drawFullScreenTexture(GLuint texture) {
    static const float kCorners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    for (const auto& c : kCorners) {
        glTexCoord2f(c[0], c[1]);
        glVertex2f(2 * c[0] - 1, 2 * c[1] - 1);
    }
    glEnd();
}

}  // namespace

TEST(GlyphOutline, FlattenedCurvesStayWithinToleranceAndEndOnTheirEndPoint) {
    OutlineContour quad = {{0, 0}};
    appendQuadratic(quad, {0, 0}, {0.5, 1.0}, {1.0, 0.0});
    ASSERT_GT(quad.size(), 3u);
    EXPECT_DOUBLE_EQ(quad.back().x, 1.0);
    EXPECT_DOUBLE_EQ(quad.back().y, 0.0);
    // Midpoints of chords against the curve y = 2x(1 - x) at the same x.
    for (size_t i = 1; i < quad.size(); ++i) {
        const double mx = 0.5 * (quad[i - 1].x + quad[i].x);
        const double my = 0.5 * (quad[i - 1].y + quad[i].y);
        EXPECT_LE(std::fabs(2 * mx * (1 - mx) - my), kFlatteningTolerance);
    }
    OutlineContour straight = {{0, 0}};
    appendCubic(straight, {0, 0}, {1, 0}, {2, 0}, {3, 0});
    EXPECT_EQ(straight.size(), 2u) << "a straight cubic needs a single chord";
    OutlineContour wild = {{0, 0}};
    appendCubic(wild, {0, 0}, {1e9, 1e9}, {-1e9, 1e9}, {1, 0});
    EXPECT_LE(wild.size(), 65u) << "a corrupt control polygon must not explode";
}

TEST(GlyphOutline, TessellationFillsTheAreaLeftByHolesUnderBothRules) {
    // An outer square with a hole, wound opposite (TrueType style) for the non-zero rule.
    const std::vector<OutlineContour> ring = {square(0, 0, 4, true), square(1, 1, 2, false)};
    EXPECT_NEAR(checkedArea(tessellateOutline(ring, GLU_TESS_WINDING_NONZERO)), 12.0, 1e-9);
    // Same direction for both: only the odd rule leaves a hole.
    const std::vector<OutlineContour> same = {square(0, 0, 4, false), square(1, 1, 2, false)};
    EXPECT_NEAR(checkedArea(tessellateOutline(same, GLU_TESS_WINDING_ODD)), 12.0, 1e-9);
    EXPECT_NEAR(checkedArea(tessellateOutline(same, GLU_TESS_WINDING_NONZERO)), 16.0, 1e-9);
    // Self-crossing outlines need new vertices from the combine callback.
    const std::vector<OutlineContour> bowtie = {{{0, 0}, {2, 2}, {2, 0}, {0, 2}}};
    EXPECT_NEAR(checkedArea(tessellateOutline(bowtie, GLU_TESS_WINDING_NONZERO)), 2.0, 1e-9);
    EXPECT_TRUE(tessellateOutline({}, GLU_TESS_WINDING_NONZERO).empty());
}

TEST(OutlineFont, AnsiCodesMapThroughWindows1252) {
    EXPECT_EQ(ansiToUnicode('A'), U'A');
    EXPECT_EQ(ansiToUnicode(0x80), char32_t{0x20AC});
    EXPECT_EQ(ansiToUnicode(0x9F), char32_t{0x0178});
    EXPECT_EQ(ansiToUnicode(0x81), char32_t{0});
    EXPECT_EQ(ansiToUnicode(0xE9), char32_t{0xE9});
    EXPECT_EQ(ansiToUnicode(0xFF), char32_t{0xFF});
}

TEST(OutlineFont, Codes0To254AdvanceAndCode255IsEmpty) {
    REQUIRE_GL();
    ensureFont();
    for (int code = 0; code < kOutlineGlyphCount; ++code) {
        EXPECT_TRUE(glIsList(font().fontBase + code));
        EXPECT_GT(advanceOfCode(static_cast<unsigned char>(code)), 0.0f) << "code " << code;
    }
    EXPECT_EQ(advanceOfCode(255), 0.0f);
    scrollerView(0.0f);
    glScalef(40.0f, 40.0f, 1.0f);
    glCallList(font().fontBase + 255);
    EXPECT_EQ(inkIn(0, 0, 128, 128), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(OutlineFont, AdvancesAreTheFacesWidthsInEm) {
    REQUIRE_GL();
    ensureFont();
    for (const KnownWidth& w : kArialWidths) {
        EXPECT_NEAR(advanceOfCode(w.code), w.width / kEm, 1e-6) << "code " << int(w.code);
        EXPECT_NEAR(font().glyphMetrics[w.code].cellIncX, w.width / kEm, 1e-6);
    }
    // A capital sits on the baseline and is about 0.72 em tall.
    EXPECT_NEAR(font().glyphMetrics['H'].originY, 1409 / kEm, 0.01);
    EXPECT_NEAR(font().glyphMetrics['H'].originY - font().glyphMetrics['H'].blackBoxY, 0.0, 1e-6);
}

TEST(OutlineFont, CodesWithoutAGlyphDrawNothingAndAdvanceLikeASpace) {
    REQUIRE_GL();
    ensureFont();
    const float space = advanceOfCode(' ');
    for (unsigned char code : {0x01, 0x1F, 0x81, 0x8D, 0x9D}) {
        EXPECT_FLOAT_EQ(advanceOfCode(code), space) << "code " << int(code);
        testsupport::resetGlState();
        scrollerView(60.0f);
        glCallList(font().fontBase + code);
        EXPECT_EQ(inkIn(0, 0, 128, 128), 0) << "code " << int(code);
    }
    // The euro sign exists in the face and in the code page: it must draw.
    testsupport::resetGlState();
    scrollerView(60.0f);
    glCallList(font().fontBase + 0x80);
    EXPECT_GT(inkIn(0, 0, 128, 128), 10);
}

TEST(OutlineFont, PrintKeepsTheListBaseAndNullTextChangesNothing) {
    REQUIRE_GL();
    ensureFont();
    glListBase(7);
    printOutlineText(font(), "A%c", 'i');
    EXPECT_EQ(listBase(), 7);
    EXPECT_NEAR(modelviewX(), (1366 + 455) / kEm, 1e-6);

    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(0.2f, 0.3f, 0.4f);
    // Through a plain pointer: the compiler's format check would rightly object to a null text.
    void (*print)(const ShowState&, const char*, ...) = printOutlineText;
    print(font(), nullptr);
    EXPECT_EQ(listBase(), 7);
    EXPECT_EQ(modelviewX(), 0.0f);
    EXPECT_EQ(inkIn(0, 0, 800, 600), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(OutlineFont, Code255InTextAndTextBeyond255CharactersAreCut) {
    REQUIRE_GL();
    ensureFont();
    printOutlineText(font(), "A\xff" "A");
    EXPECT_NEAR(modelviewX(), 2 * 1366 / kEm, 1e-6);
    glLoadIdentity();
    const std::string longText(300, 'i');
    printOutlineText(font(), "%s", longText.c_str());
    EXPECT_NEAR(modelviewX(), kOutlineTextMaxChars * 455 / kEm, 1e-4);
    glLoadIdentity();
    printOutlineText(font(), "%280d|", 5);
    EXPECT_NEAR(modelviewX(), kOutlineTextMaxChars * 569 / kEm, 1e-4) << "255 spaces, no digit";
}

TEST(OutlineFont, FreshCaptureTextureIsTransparentBlackAndLinear) {
    REQUIRE_GL();
    const GLuint texture = createCaptureTexture();
    ASSERT_NE(texture, 0u);
    GLint bound = 0, width = 0, height = 0, minFilter = 0, magFilter = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(width, 128);
    EXPECT_EQ(height, 128);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    std::vector<unsigned char> texels(128 * 128 * 4, 0xAB);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    for (size_t i = 0; i < texels.size(); ++i) ASSERT_EQ(texels[i], 0) << "byte " << i;
    glDeleteTextures(1, &texture);
}

// The scroller: text drawn into the corner, copied into the capture texture, shown enlarged.
TEST(OutlineFont, CapturedScrollerTextLandsRightOfItsStartInTheCorner) {
    REQUIRE_GL();
    ensureFont();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    const float scroll = 40.0f;
    scrollerView(scroll);
    printOutlineText(font(), "Zapraszamy na party...");
    const int start = scrollerColumn(2.0 - 0.03 * scroll);
    EXPECT_EQ(inkIn(0, 0, start - 1, 128), 0) << "ink left of where the text starts";
    EXPECT_GT(inkIn(start, 64, 128 - start, 17), 100) << "no text on the baseline";
    EXPECT_EQ(inkIn(0, 84, 128, 44), 0) << "ink above the capitals";
    EXPECT_EQ(inkIn(128, 0, 672, 600), 0) << "ink outside the corner";
    const testsupport::Rgb lit = testsupport::readPixel(start + 2, 66);
    EXPECT_LE(std::abs(lit.b - 230), 40) << "the text colour is (0.6, 0.6, 0.9)";
    testsupport::saveForLooking("scroller_corner.png");

    const GLuint texture = createCaptureTexture();
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB4, 0, 0, 128, 128, 0);
    testsupport::resetGlState();
    drawFullScreenTexture(texture);
    testsupport::saveForLooking("scroller_texture.png");
    // Texel (start + 2, 66) is now around screen pixel (6.25 x, 4.69 y) of the enlarged view.
    const testsupport::Rgb big = testsupport::readPixel((start + 2) * 800 / 128 + 3, 66 * 600 / 128 + 2);
    EXPECT_GT(big.b, 120);
    // Columns at the left edge may pick up the right edge through the repeating wrap.
    EXPECT_EQ(inkIn(8, 0, start * 800 / 128 - 16, 600), 0);
    glDeleteTextures(1, &texture);
}

TEST(OutlineFont, DeleteFreesEveryListAndABuildAfterwardsWorks) {
    REQUIRE_GL();
    ensureFont();
    const GLuint oldBase = font().fontBase;
    deleteOutlineFont(font());
    EXPECT_EQ(font().fontBase, 0u);
    for (GLuint k = 0; k < GLuint(kOutlineFontListCount); ++k) EXPECT_FALSE(glIsList(oldBase + k));
    deleteOutlineFont(font());
    buildOutlineFont(font());
    ASSERT_NE(font().fontBase, 0u);
    EXPECT_NEAR(advanceOfCode('A'), 1366 / kEm, 1e-6);
}
