// Quad grids saved as LightWave objects, for the readers' benches and for files of a chosen size:
// an n x n grid of quads over (n + 1)^2 points in the z = 0 plane, one unit apart.
//
// Every format holds the same geometry. LWOB numbers its points with two bytes, so its grids
// stop at kLwobLargestGrid; LWO2 and LWO3 grids stop at kLwo2LargestGrid. LWO2 and LWO3 may add
// a UV map over every point with a seam along the last column (a VMAD), and split the rows
// into bands, one surface each. LWO3 keeps its surface colours in a node graph, as real LWO3
// files do. Everything is returned by value.
#pragma once

#include "lwo/vec3.h"

#include <cstdint>
#include <vector>

struct LwoGrid {
    int n = 0;
    std::vector<Vec3> points;
    std::vector<std::vector<uint32_t>> quads;
};

struct LwoGridLook {
    bool uvMap = false;
    int surfaces = 1;  // bands of whole rows, bottom to top
};

constexpr int kLwobLargestGrid = 255;  // (255 + 1)^2 points: all that two-byte numbers reach
constexpr int kLwo2LargestGrid = 4095;  // (4095 + 1)^2 points: all that a VX's 24 bits reach

LwoGrid lwoGrid(int n);

std::vector<uint8_t> lwobGrid(const LwoGrid& grid, int surfaces = 1);
std::vector<uint8_t> lwo2Grid(const LwoGrid& grid, const LwoGridLook& look = {});
std::vector<uint8_t> lwo3Grid(const LwoGrid& grid, const LwoGridLook& look = {});
