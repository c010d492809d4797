// The eleven pictures of the demo, painted procedurally and deterministically: the same
// program paints the same pixels on every run (own hash noise, no library random numbers).
//
// A Canvas holds linear float RGB, nominally 0-1 (values above 1 are clamped when converted to
// bytes). A picture is designed at one size (its design units, y downwards from the top row) and
// painted at `scale` pixels per unit: the painting functions take design units, so a picture
// painted at scale 2 or 4 has the same composition with finer detail. At scale 1 a unit is a
// pixel and pixel x is unit x exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Colour {
    float r = 0, g = 0, b = 0;
};
Colour operator+(Colour a, Colour b);
Colour operator*(Colour a, float k);
Colour mix(Colour a, Colour b, float t);

class Canvas {
public:
    Canvas(int designWidth, int designHeight, float scale = 1.0f);

    // The design coordinate of the centre of pixel column or row `p`.
    float u(int p) const { return (p + 0.5f) / scale - 0.5f; }
    float designWidth() const { return width / scale; }

    Colour& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    // Sets every pixel to `colourAt(x, y)`, x and y the design coordinates of its centre.
    template <typename ColourAt>
    void paint(ColourAt colourAt) {
        for (int py = 0; py < height; ++py)
            for (int px = 0; px < width; ++px) at(px, py) = colourAt(u(px), u(py));
    }
    // Adds a round gaussian light (additive, like a lamp seen through haze).
    void addGlow(float cx, float cy, float radius, Colour colour);
    // Blends a filled axis-aligned rectangle over the picture.
    void blendRect(float x0, float y0, float x1, float y1, Colour colour, float alpha);
    // Adds a light cone from an apex towards a point, fading along its length.
    void addBeam(float ax, float ay, float bx, float by, float halfWidth, Colour colour);
    // Adds fine film grain so flat areas do not band.
    void addGrain(float amount, uint32_t seed);
    // 8-bit RGB, top row first.
    std::vector<unsigned char> toRgb8() const;

    int width;  // pixels
    int height;
    float scale;
    std::vector<Colour> pixels;
};

// Smooth value noise in about [0, 1], and its fractal sum over `octaves`.
float valueNoise(float x, float y, uint32_t seed);
float fractalNoise(float x, float y, int octaves, uint32_t seed);
// A uniform number in [0, 1) for an integer point.
float hashUnit(int x, int y, uint32_t seed);

struct PictureRecipe {
    const char* name;  // file stem: pic01 ... pic11
    int width;
    int height;
    int fileBytes;  // the exact size of the encoded file at scale 1
    Canvas (*paint)(float scale);
};

// In the order the demo loads them.
const std::vector<PictureRecipe>& pictureRecipes();
