// A square sheet rippled by one full sine period across its rows; the wave travels one row
// toward -x every `period` frames while the texture stays fixed on the sheet.
//
// Grid units are model units (the sheet spans -4.4..4.4 in x and y, step 0.2); the wave step is
// counted in drawn frames, not seconds. The texture name is borrowed from the caller.
#pragma once

#include <GL/gl.h>

#include "lwo/vec3.h"

class WavingSheet {
public:
    static constexpr int kSize = 45;

    // Fills the grid: row r at x = 0.2r - 4.4 and height amplitude x sin(8 degrees x r); column k
    // at y = 0.2k - 4.4. The 45 rows hold exactly one period, so a cyclic shift stays continuous.
    void buildSheetGrid(float amplitude);

    // Draws the sheet with `texture` (s along rows toward +x, t along columns toward +y) at the
    // current modelview, then steps the wave when `frameCounter` has reached `period`. Enables
    // 2D texturing and binds `texture`; colour, blending and depth are the caller's.
    void drawWavingSheet(GLuint texture, int period);

    Vec3 grid[kSize][kSize];  // [row][column]
    int frameCounter = 0;
    // Set while the frames' GL calls go nowhere (a fast-forward): the sheet's quads are then
    // left out, since they are work for GL alone; the wave steps as when drawn.
    bool unseen = false;

private:
    void emitQuads() const;
    void stepWave();
};
