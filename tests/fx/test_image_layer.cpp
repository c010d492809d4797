#include "fx/image_layer.h"

#include <gtest/gtest.h>

#include "tests/fx/fx_test_support.h"
#include "fx/show_state.h"

using namespace fxtest;
using testsupport::readPixel;

TEST(ImageLayer, PutsTextureRowZeroAlongTheTopAndFillsTheView) {
    REQUIRE_GL();
    setPerspective(800, 600, 60);
    glEnable(GL_TEXTURE_2D);
    const GLuint texture = makeQuadrantTexture();
    glBindTexture(GL_TEXTURE_2D, 0);
    drawImageLayer(texture);
    EXPECT_TRUE(nearRgb(readPixel(2, 597), 255, 0, 0)) << "t = 0, s = 0 not at the top left";
    EXPECT_TRUE(nearRgb(readPixel(797, 597), 0, 255, 0));
    EXPECT_TRUE(nearRgb(readPixel(2, 2), 0, 0, 255));
    EXPECT_TRUE(nearRgb(readPixel(797, 2), 255, 255, 255));
}

TEST(ImageLayer, ChangesOnlyTheBindingAndFrontFace) {
    REQUIRE_GL();
    setPerspective(800, 600, 60);
    glTranslatef(0.05f, -0.02f, 0.1f);
    glRotatef(3, 0, 0, 1);
    const auto before = getMatrix(GL_MODELVIEW_MATRIX);
    glFrontFace(GL_CW);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.3f, 0.4f, 0.5f, 0.6f);
    drawImageLayer(42);
    const auto after = getMatrix(GL_MODELVIEW_MATRIX);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(after[i], before[i], 1e-6) << "element " << i;
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), 42);
    EXPECT_EQ(getInt(GL_FRONT_FACE), GL_CCW);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(getInt(GL_BLEND_DST), GL_ONE);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FLOAT_EQ(getColor()[3], 0.6f);
}

TEST(ImageLayer, IsSeenFromBehindSoCullingHidesIt) {
    REQUIRE_GL();
    setPerspective(800, 600, 60);
    glEnable(GL_TEXTURE_2D);
    const GLuint texture = makeSolidTexture(kWhite);
    glEnable(GL_CULL_FACE);
    drawImageLayer(texture);
    EXPECT_TRUE(nearRgb(readPixel(400, 300), 0, 0, 0));
}

namespace {

class ThumbnailStrip : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_GL();
        setPerspective(800, 600, 60);
        glEnable(GL_TEXTURE_2D);
        state.thumbnailTextures[0] = makeQuadrantTexture();
        state.thumbnailTextures[1] = makeSolidTexture(kGreen);
        state.thumbnailTextures[2] = makeSolidTexture(kBlue);
        state.thumbnailTextures[3] = makeSolidTexture(kRed);
    }

    ShowState state;
};

// Thumbnail centre line 0.23 below the eye at depth 0.6: pixel row 300 * (1 - 0.23 / (0.6 tan 30)).
constexpr int kStripRow = 101;

}  // namespace

TEST_F(ThumbnailStrip, DrawsAtTheOffsetBeforeTheCallThenAdvances) {
    state.stripOffset = 0.66f;  // first thumbnail centred on the view
    glColor4f(0.2f, 0.2f, 0.2f, 0.2f);
    glEnable(GL_BLEND);
    drawThumbnailStrip(state, 0.25f);
    EXPECT_FLOAT_EQ(state.stripOffset, 0.91f);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FLOAT_EQ(getColor()[0], 1.0f);
    EXPECT_FLOAT_EQ(getColor()[3], 1.0f);
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(state.thumbnailTextures[3]));

    // Thumbnail 0 spans pixels 262..538 x 14..187, upright: its texture row 0 on top.
    EXPECT_TRUE(nearRgb(readPixel(330, 150), 255, 0, 0));
    EXPECT_TRUE(nearRgb(readPixel(470, 150), 0, 255, 0));
    EXPECT_TRUE(nearRgb(readPixel(330, 50), 0, 0, 255));
    EXPECT_TRUE(nearRgb(readPixel(470, 50), 255, 255, 255));
    EXPECT_TRUE(nearRgb(readPixel(400, 195), 0, 0, 0)) << "thumbnail taller than 0.2";
    EXPECT_TRUE(nearRgb(readPixel(550, kStripRow), 0, 0, 0)) << "no gap between thumbnails";
    EXPECT_TRUE(nearRgb(readPixel(712, kStripRow), 0, 255, 0)) << "thumbnail 1 not 0.36 to the right";
}

TEST_F(ThumbnailStrip, StartsOutsideTheRightEdgeAndNegativeStepsMoveRight) {
    state.stripOffset = 0.0f;
    drawThumbnailStrip(state, -0.5f);
    EXPECT_FLOAT_EQ(state.stripOffset, -0.5f);
    for (int x = 0; x < 800; x += 20) {
        ASSERT_TRUE(nearRgb(readPixel(x, kStripRow), 0, 0, 0)) << "drawn at x " << x;
    }
    drawThumbnailStrip(state, 0.0f);
    EXPECT_FLOAT_EQ(state.stripOffset, -0.5f);
}

TEST_F(ThumbnailStrip, CullingHidesIt) {
    state.stripOffset = 0.66f;
    glEnable(GL_CULL_FACE);
    drawThumbnailStrip(state, 0.0f);
    EXPECT_TRUE(nearRgb(readPixel(400, kStripRow), 0, 0, 0));
}
