#include "fx/waving_sheet.h"

#include <cmath>

namespace {

constexpr float kSpacing = 0.2f;
constexpr float kHalfExtent = 4.4f;
constexpr float kCells = WavingSheet::kSize - 1;

void emit(float s, float t, const Vec3& p) {
    glTexCoord2f(s, t);
    glVertex3f(p.x, p.y, p.z);
}

}  // namespace

void WavingSheet::buildSheetGrid(float amplitude) {
    for (int r = 0; r < kSize; ++r) {
        for (int k = 0; k < kSize; ++k) {
            const float a = kSpacing * r;
            const float b = kSpacing * k;
            Vec3& point = grid[r][k];
            point.x = a - kHalfExtent;
            point.y = b - kHalfExtent;
            point.z = static_cast<float>(amplitude * std::sin(a * 40 / 360 * 3.14159 * 2));
        }
    }
}

void WavingSheet::drawWavingSheet(GLuint texture, int period) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    if (!unseen) emitQuads();
    glEnd();
    if (frameCounter == period) {
        stepWave();
        frameCounter = 0;
    }
    ++frameCounter;
}

void WavingSheet::emitQuads() const {
    for (int r = 0; r < kSize - 1; ++r) {
        const float s0 = r / kCells;
        const float s1 = (r + 1) / kCells;
        for (int k = 0; k < kSize - 1; ++k) {
            const float t0 = k / kCells;
            const float t1 = (k + 1) / kCells;
            emit(s0, t0, grid[r][k]);
            emit(s0, t1, grid[r][k + 1]);
            emit(s1, t1, grid[r + 1][k + 1]);
            emit(s1, t0, grid[r + 1][k]);
        }
    }
}

void WavingSheet::stepWave() {
    for (int k = 0; k < kSize; ++k) {
        const float first = grid[0][k].z;
        for (int r = 0; r < kSize - 1; ++r) grid[r][k].z = grid[r + 1][k].z;
        grid[kSize - 1][k].z = first;
    }
}
