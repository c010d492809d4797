#include "fx/waving_sheet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "tests/fx/fx_test_support.h"

using namespace fxtest;
using testsupport::readPixel;

namespace {

constexpr int kN = WavingSheet::kSize;

std::unique_ptr<WavingSheet> builtSheet() {
    auto sheet = std::make_unique<WavingSheet>();
    sheet->buildSheetGrid(4.0f);
    return sheet;
}

// The call numbers (1-based) on which the wave moved, over `calls` draws.
std::vector<int> stepCalls(WavingSheet& sheet, int period, int calls) {
    std::vector<int> steps;
    for (int call = 1; call <= calls; ++call) {
        const float before = sheet.grid[0][0].z;
        sheet.drawWavingSheet(0, period);
        if (sheet.grid[0][0].z != before) steps.push_back(call);
    }
    return steps;
}

}  // namespace

TEST(WavingSheet, GridSpansTheSquareWithOneSinePeriodAlongTheRows) {
    auto sheet = builtSheet();
    EXPECT_FLOAT_EQ(sheet->grid[0][0].x, -4.4f);
    EXPECT_FLOAT_EQ(sheet->grid[0][0].y, -4.4f);
    EXPECT_NEAR(sheet->grid[44][44].x, 4.4f, 1e-5);
    EXPECT_NEAR(sheet->grid[44][44].y, 4.4f, 1e-5);
    EXPECT_NEAR(sheet->grid[10][3].x, -2.4f, 1e-5);
    EXPECT_NEAR(sheet->grid[10][3].y, -3.8f, 1e-5);
    for (int r = 0; r < kN; ++r) {
        const double expected = 4.0 * std::sin(8.0 * r * 3.14159 / 180.0);
        for (int k = 0; k < kN; ++k) ASSERT_NEAR(sheet->grid[r][k].z, expected, 1e-4) << r << "," << k;
    }
}

TEST(WavingSheet, StepsOnTheCallsThatReachThePeriod) {
    REQUIRE_GL();
    auto sheet = builtSheet();
    EXPECT_EQ(stepCalls(*sheet, 2, 8), (std::vector<int>{3, 5, 7}));
    auto once = builtSheet();
    EXPECT_EQ(stepCalls(*once, 0, 6), (std::vector<int>{1})) << "period 0 steps on the first call only";
    auto every = builtSheet();
    EXPECT_EQ(stepCalls(*every, 1, 4), (std::vector<int>{2, 3, 4}));
}

TEST(WavingSheet, AStepMovesEveryRowTowardRowZeroCyclically) {
    REQUIRE_GL();
    auto sheet = builtSheet();
    const auto start = std::make_unique<WavingSheet>(*sheet);
    sheet->drawWavingSheet(0, 0);
    for (int r = 0; r < kN; ++r) {
        for (int k = 0; k < kN; ++k) {
            ASSERT_EQ(sheet->grid[r][k].z, start->grid[(r + 1) % kN][k].z) << r << "," << k;
            ASSERT_EQ(sheet->grid[r][k].x, start->grid[r][k].x);
            ASSERT_EQ(sheet->grid[r][k].y, start->grid[r][k].y);
        }
    }
    for (int i = 1; i < kN; ++i) {
        sheet->frameCounter = 0;
        sheet->drawWavingSheet(0, 0);
    }
    for (int r = 0; r < kN; ++r) {
        for (int k = 0; k < kN; ++k) ASSERT_EQ(sheet->grid[r][k].z, start->grid[r][k].z);
    }
}

TEST(WavingSheet, TextureRunsAlongXAndYWithOriginAtGridZero) {
    REQUIRE_GL();
    auto sheet = std::make_unique<WavingSheet>();
    sheet->buildSheetGrid(0.0f);  // flat, to read the corners straight on
    glMatrixMode(GL_PROJECTION);
    glOrtho(-4.4, 4.4, -4.4, 4.4, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    const GLuint texture = makeQuadrantTexture();
    glBindTexture(GL_TEXTURE_2D, 0);
    const auto before = getMatrix(GL_MODELVIEW_MATRIX);
    sheet->drawWavingSheet(texture, 2);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(texture));
    EXPECT_EQ(getMatrix(GL_MODELVIEW_MATRIX), before);
    EXPECT_TRUE(nearRgb(readPixel(3, 3), 255, 0, 0)) << "grid[0][0] is not (0,0)";
    EXPECT_TRUE(nearRgb(readPixel(796, 3), 0, 255, 0)) << "s does not grow along x";
    EXPECT_TRUE(nearRgb(readPixel(3, 596), 0, 0, 255)) << "t does not grow along y";
    EXPECT_TRUE(nearRgb(readPixel(796, 596), 255, 255, 255)) << "grid[44][44] is not (1,1)";
}
