// The drawing surface presented into windows of other sizes: the frame lands in the largest
// centred 4:3 rectangle, black bars elsewhere, corners where the arithmetic puts them.
#define GL_GLEXT_PROTOTYPES 1
#include "gl/drawing_surface.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include "tests/support/gl_test_context.h"

namespace {

using testsupport::Rgb;

TEST(Letterbox, LargestCentredFourByThree) {
    struct Case {
        int width, height;
        PixelRect expected;
    };
    for (const Case& c : {Case{800, 600, {0, 0, 800, 600}}, Case{1920, 1080, {240, 0, 1440, 1080}},
                          Case{1280, 1024, {0, 32, 1280, 960}}, Case{1024, 768, {0, 0, 1024, 768}},
                          Case{1000, 1000, {0, 125, 1000, 750}}, Case{3840, 2160, {480, 0, 2880, 2160}},
                          Case{0, 600, {0, 0, 0, 0}},
                          // An odd gap: the extra pixel goes to the right (or top) bar.
                          Case{1281, 720, {160, 0, 960, 720}}, Case{1280, 1025, {0, 32, 1280, 960}}}) {
        const PixelRect box = letterbox(c.width, c.height);
        EXPECT_EQ(box.x, c.expected.x) << c.width << "x" << c.height;
        EXPECT_EQ(box.y, c.expected.y) << c.width << "x" << c.height;
        EXPECT_EQ(box.width, c.expected.width) << c.width << "x" << c.height;
        EXPECT_EQ(box.height, c.expected.height) << c.width << "x" << c.height;
    }
}

TEST(FrameSize, EveryPixelSizeFollowsTheScale) {
    EXPECT_EQ(FrameSize::atScale(1.0), FrameSize{});
    const FrameSize sharp = FrameSize::atScale(1.8);
    EXPECT_EQ(sharp.width, 1440);
    EXPECT_EQ(sharp.height, 1080);
    EXPECT_EQ(sharp.block, 230);  // 230.4 rounded
    const FrameSize fitted = FrameSize::fitting(1000, 1000);
    EXPECT_EQ(fitted.width, 1000);
    EXPECT_EQ(fitted.height, 750);
    EXPECT_EQ(fitted.block, 160);
}

Rgb windowPixel(int x, int y) {
    unsigned char p[4] = {0, 0, 0, 0};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

// Grey everywhere, a red 8x8 square in the lower-left corner and a blue one in the upper right.
void drawPattern(const FrameSize& size) {
    glEnable(GL_SCISSOR_TEST);
    const auto fill = [](int x, int y, int w, int h, float r, float g, float b) {
        glScissor(x, y, w, h);
        glClearColor(r, g, b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    };
    fill(0, 0, size.width, size.height, 0.5f, 0.5f, 0.5f);
    fill(0, 0, 8, 8, 1.0f, 0.0f, 0.0f);
    fill(size.width - 8, size.height - 8, 8, 8, 0.0f, 0.0f, 1.0f);
    glDisable(GL_SCISSOR_TEST);
    // The frame's own clear colour, which a present must leave alone.
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
}

bool isBlack(Rgb p) { return p.r == 0 && p.g == 0 && p.b == 0; }
bool isGrey(Rgb p) { return p.r > 100 && p.r < 160 && p.g == p.r && p.b == p.r; }
bool isRed(Rgb p) { return p.r > 200 && p.g < 40 && p.b < 40; }
bool isBlue(Rgb p) { return p.b > 200 && p.r < 40 && p.g < 40; }

TEST(DrawingSurface, PresentLetterboxesIntoWindowsOfEverySize) {
    REQUIRE_GL();
    SDL_GLContext context = SDL_GL_GetCurrentContext();
    SDL_Window* testWindow = SDL_GL_GetCurrentWindow();
    for (auto [width, height] : {std::pair{800, 600}, {1920, 1080}, {1280, 1024}, {1024, 768}}) {
        SDL_Window* window = SDL_CreateWindow("present", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        ASSERT_EQ(SDL_GL_MakeCurrent(window, context), 0) << SDL_GetError();
        {
            DrawingSurface surface;
            ASSERT_TRUE(surface.create(FrameSize{}, nullptr));
            drawPattern(surface.size());
            surface.present(width, height);

            const PixelRect box = letterbox(width, height);
            const int left = box.x, right = box.x + box.width - 1;
            const int bottom = box.y, top = box.y + box.height - 1;
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
            EXPECT_TRUE(isRed(windowPixel(left, bottom)));
            EXPECT_TRUE(isBlue(windowPixel(right, top)));
            EXPECT_TRUE(isGrey(windowPixel(left + box.width / 2, bottom + box.height / 2)));
            EXPECT_TRUE(isGrey(windowPixel(right, bottom)));
            if (left > 0) {
                EXPECT_TRUE(isBlack(windowPixel(left - 1, bottom)));
                EXPECT_TRUE(isBlack(windowPixel(right + 1, top)));
            }
            if (bottom > 0) {
                EXPECT_TRUE(isBlack(windowPixel(left, bottom - 1)));
                EXPECT_TRUE(isBlack(windowPixel(right, top + 1)));
            }
            GLint bound = 0;
            glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
            EXPECT_NE(bound, 0) << "the surface is bound again for the next frame";
            GLfloat clearColour[4];
            glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
            EXPECT_EQ(clearColour[3], 0.5f) << "the frame's clear colour is left alone";
        }
        SDL_GL_MakeCurrent(testWindow, context);
        SDL_DestroyWindow(window);
    }
}

// A window of the frame's own size takes the frame straight into its back buffer, as the show
// was designed to draw; any other size gets a framebuffer, kept while the size stays.
TEST(DrawingSurface, FitsStraightIntoAWindowOfTheFramesSize) {
    REQUIRE_GL();
    DrawingSurface surface;
    ASSERT_TRUE(surface.fit(FrameSize{}, 800, 600, nullptr));
    EXPECT_FALSE(surface.offscreen());
    ASSERT_TRUE(surface.fit(FrameSize{}, 1920, 1080, nullptr));
    EXPECT_TRUE(surface.offscreen());
    GLint first = 0, second = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &first);
    ASSERT_TRUE(surface.fit(FrameSize{}, 1280, 1024, nullptr));
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &second);
    EXPECT_EQ(first, second) << "the same frame size keeps its framebuffer";
    ASSERT_TRUE(surface.fit(FrameSize{}, 800, 600, nullptr));
    EXPECT_FALSE(surface.offscreen());
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &second);
    EXPECT_EQ(second, 0) << "back in the window";
}

// Frames computed without pixels leave the surface as it was.
TEST(DrawingSurface, WithoutRasterisingNothingIsDrawn) {
    REQUIRE_GL();
    DrawingSurface surface;
    ASSERT_TRUE(surface.create(FrameSize{}, nullptr));
    drawPattern(surface.size());
    surface.setRasterising(false);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    surface.setRasterising(true);
    const std::vector<unsigned char> rgb = surface.readRgb();
    const size_t centre = (300 * 800 + 400) * 3;
    EXPECT_EQ(rgb[centre], 128) << "grey, not the white clear or quad";
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

}  // namespace
