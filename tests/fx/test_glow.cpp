#include "fx/glow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/fx/fx_test_support.h"

using namespace fxtest;
using testsupport::readPixel;

namespace {

const FrameSize kDesignFrame;
constexpr int kBlock = FrameSize::kDesignBlock;

GlowEffect makeGlow() {
    GlowEffect glow;
    // Missing on purpose: only the capture texture and the frame are wanted from the load.
    static_cast<void>(glow.loadGlow("/nonexistent/glow.jpg", kDesignFrame));
    glow.pictureTexture = makeSolidTexture(kBlue);
    return glow;
}

// Replaces the capture with a made-up 128x128 image: value v inside the central square
// |s - 0.5| < half, |t - 0.5| < half, black outside.
void fillCapture(const GlowEffect& glow, std::uint8_t v, float half) {
    std::vector<Texel> texels(kBlock * kBlock);
    for (int t = 0; t < kBlock; ++t) {
        for (int s = 0; s < kBlock; ++s) {
            const bool inside = std::abs((s + 0.5f) / kBlock - 0.5f) < half &&
                                std::abs((t + 0.5f) / kBlock - 0.5f) < half;
            texels[t * kBlock + s] = inside ? Texel{v, v, v, 255} : Texel{0, 0, 0, 255};
        }
    }
    glBindTexture(GL_TEXTURE_2D, glow.captureTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kBlock, kBlock, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
}

std::vector<Texel> captureContents(const GlowEffect& glow) {
    std::vector<Texel> texels(kBlock * kBlock);
    glBindTexture(GL_TEXTURE_2D, glow.captureTexture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

}  // namespace

TEST(GlowEffect, LoadMakesAnEmptyCaptureAndReportsAMissingPicture) {
    REQUIRE_GL();
    GlowEffect glow;
    EXPECT_TRUE(glow.loadGlow("/nonexistent/glow.jpg", kDesignFrame));
    EXPECT_EQ(glow.pictureTexture, 0u);
    EXPECT_EQ(glow.frame, &kDesignFrame);
    ASSERT_NE(glow.captureTexture, 0u);
    glBindTexture(GL_TEXTURE_2D, glow.captureTexture);
    GLint width = 0, minFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(width, kBlock);
    EXPECT_EQ(minFilter, GL_LINEAR);
    for (const Texel& t : captureContents(glow)) {
        ASSERT_EQ(t.r + t.g + t.b + t.a, 0) << "fresh capture is not transparent black";
    }
}

TEST(GlowEffect, LoadsThePicture) {
    const std::filesystem::path picture =
        std::filesystem::path(DEMO_TESTDATA_DIR) / "jpeg" / "testorig.jpg";
    ASSERT_TRUE(std::filesystem::exists(picture)) << "test data missing: " << picture;
    REQUIRE_GL();
    GlowEffect glow;
    EXPECT_FALSE(glow.loadGlow(picture.u8string().c_str(), kDesignFrame));
    EXPECT_NE(glow.pictureTexture, 0u);
    EXPECT_NE(glow.pictureTexture, glow.captureTexture);
}

TEST(GlowEffect, CaptureCopiesTheBlockWipesItAndRestoresTheView) {
    REQUIRE_GL();
    GlowEffect glow = makeGlow();
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glTranslatef(1, 2, 3);
    glow.beginGlowCapture();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(isIdentity(getMatrix(GL_MODELVIEW_MATRIX)));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kBlock);
    EXPECT_EQ(viewport[3], kBlock);

    // The caller's scene: red over the block's upper half.
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 0, 0);
    glRectf(-1, 0, 1, 1);
    glow.endGlowCapture();

    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(glow.captureTexture));
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[3], 0.5f);
    EXPECT_TRUE(nearRgb(readPixel(64, 100), 0, 0, 0)) << "block not wiped";
    EXPECT_TRUE(nearRgb(readPixel(400, 300), 0, 0, 0));

    const auto texels = captureContents(glow);
    // Upper half red, lower half the caller's grey clear colour (4 bits a component).
    EXPECT_GT(texels[100 * kBlock + 64].r, 240) << "upper half of the block not captured";
    EXPECT_LT(texels[100 * kBlock + 64].g, 15);
    EXPECT_NEAR(texels[20 * kBlock + 64].g, 128, 12);
}

TEST(GlowEffect, OnePassLaysTheCaptureUprightAtAlphaPointTwo) {
    REQUIRE_GL();
    GlowEffect glow = makeGlow();
    glow.beginGlowCapture();
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 0, 0);
    glRectf(-1, 0, 1, 1);
    glow.endGlowCapture();
    glColor3f(1, 1, 1);
    glow.drawGlowBlur(1, 0.02f);
    EXPECT_TRUE(nearRgb(readPixel(400, 500), 51, 0, 0, 3)) << "top of the capture not at the top";
    EXPECT_TRUE(nearRgb(readPixel(400, 100), 0, 0, 0, 3));
}

TEST(GlowEffect, LayersFadeByEqualStepsAndZoomByTheirInset) {
    REQUIRE_GL();
    GlowEffect glow = makeGlow();
    // Grey 100 everywhere: ten layers add 0.20 + 0.18 + ... + 0.02 = 1.1 of it.
    fillCapture(glow, 100, 1.0f);
    glow.drawGlowBlur(10, 0.02f);
    EXPECT_TRUE(nearRgb(readPixel(400, 300), 110, 110, 110, 6));

    // Central square (a quarter of each side out from the middle) in white, three layers with
    // alphas 0.2, 0.133, 0.067 and insets 0, 0.25, 0.5: near the screen's edge only the zoomed
    // layers see the square, at the centre all three do.
    testsupport::resetGlState();
    fillCapture(glow, 255, 0.25f);
    glow.drawGlowBlur(3, 0.25f);
    EXPECT_TRUE(nearRgb(readPixel(400, 300), 102, 102, 102, 3));
    EXPECT_TRUE(nearRgb(readPixel(20, 300), 51, 51, 51, 3));
    EXPECT_TRUE(nearRgb(readPixel(400, 590), 51, 51, 51, 3));
}

TEST(GlowEffect, LeavesItsStateAndMatricesEvenWithNoPasses) {
    REQUIRE_GL();
    GlowEffect glow = makeGlow();
    glMatrixMode(GL_PROJECTION);
    glTranslatef(0.1f, 0.2f, 0.3f);
    glMatrixMode(GL_MODELVIEW);
    glRotatef(20, 0, 0, 1);
    const auto projection = getMatrix(GL_PROJECTION_MATRIX);
    const auto modelview = getMatrix(GL_MODELVIEW_MATRIX);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    fillCapture(glow, 255, 1.0f);

    glow.drawGlowBlur(0, 0.02f);
    EXPECT_TRUE(nearRgb(readPixel(400, 300), 0, 0, 0)) << "a layer drawn with 0 passes";
    EXPECT_EQ(getMatrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(getMatrix(GL_MODELVIEW_MATRIX), modelview);
    EXPECT_EQ(getInt(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_EQ(getInt(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(getInt(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(glow.pictureTexture));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
