#include "tools/make_pictures_art.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }
float smoothstep(float a, float b, float v) {
    const float t = clamp01((v - a) / (b - a));
    return t * t * (3 - 2 * t);
}
Colour rgb(float r, float g, float b) { return {r, g, b}; }

uint32_t hash3(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 0x8da6b343u + static_cast<uint32_t>(y) * 0xd8163841u +
                 seed * 0xcb1ab31fu;
    // The finaliser of MurmurHash3: without it neighbouring points show stripes.
    h ^= h >> 16;
    h *= 0x85ebca6bu;
    h ^= h >> 13;
    h *= 0xc2b2ae35u;
    h ^= h >> 16;
    return h;
}

// A colour ramp through evenly spaced stops.
Colour ramp(const std::vector<Colour>& stops, float t) {
    const float scaled = clamp01(t) * static_cast<float>(stops.size() - 1);
    const size_t i = std::min(static_cast<size_t>(scaled), stops.size() - 2);
    return mix(stops[i], stops[i + 1], scaled - static_cast<float>(i));
}

// Octaves of noise for a picture painted at `scale`: one more for each doubling, so a larger
// picture gains detail of its own instead of a blurred enlargement.
int octavesAt(int octaves, float scale) { return octaves + static_cast<int>(std::lround(std::log2(scale))); }

void addStars(Canvas& canvas, int count, float maxY, float brightness, uint32_t seed) {
    for (int i = 0; i < count; ++i) {
        const float x = hashUnit(i, 1, seed) * canvas.designWidth();
        const float y = hashUnit(i, 2, seed) * maxY;
        const float b = brightness * (0.3f + 0.7f * std::pow(hashUnit(i, 3, seed), 3.0f));
        const float tint = hashUnit(i, 4, seed);
        canvas.addGlow(x, y, 0.6f + 1.4f * b, rgb(b, b * (0.85f + 0.15f * tint), b * (0.8f + 0.3f * tint)));
    }
}

// Heads and shoulders of a crowd along the bottom, dark against whatever is behind.
void paintCrowd(Canvas& canvas, float baseY, float headSize, int people, uint32_t seed) {
    for (int i = 0; i < people; ++i) {
        const float cx = (i + hashUnit(i, 0, seed)) * canvas.designWidth() / people;
        const float head = headSize * (0.8f + 0.4f * hashUnit(i, 1, seed));
        const float cy = baseY - head * (2.2f + 0.5f * hashUnit(i, 2, seed));
        const float s = canvas.scale;
        for (int y = std::max(0, int((cy - head) * s)); y < canvas.height; ++y)
            for (int x = std::max(0, int((cx - 3 * head) * s)); x < std::min(canvas.width, int((cx + 3 * head) * s));
                 ++x) {
                const float dx = (canvas.u(x) - cx) / head, dy = (canvas.u(y) - cy) / head;
                const bool inHead = dx * dx + dy * dy < 1;
                const bool inShoulders = dy > 1.2f && std::fabs(dx) < 1.4f + (dy - 1.2f) * 1.5f;
                if (inHead || inShoulders) canvas.at(x, y) = canvas.at(x, y) * 0.08f;
            }
    }
}

// ---- First act backdrops: dark, each with its own hue and place, so they add up well. ----

// Warm smoky nebula; also wraps the knot, so it has detail at every scale.
Canvas paintNebula(float scale) {
    Canvas c(800, 600, scale);
    const std::vector<Colour> stops{rgb(0, 0, 0), rgb(0.18f, 0.02f, 0.04f), rgb(0.55f, 0.12f, 0.05f),
                                    rgb(0.95f, 0.5f, 0.15f), rgb(1, 0.9f, 0.65f)};
    c.paint([&](float x, float y) {
        const float u = x / 140.0f, v = y / 140.0f;
        const float warpX = fractalNoise(u + 3.1f, v, 4, 11) * 2.5f;
        const float warpY = fractalNoise(u, v + 7.7f, 4, 12) * 2.5f;
        float n = fractalNoise(u + warpX, v + warpY, octavesAt(6, scale), 13);
        n = smoothstep(0.3f, 0.85f, n);
        return ramp(stops, n * 0.95f);
    });
    addStars(c, 260, 600, 0.8f, 14);
    c.addGlow(560, 220, 120, rgb(0.25f, 0.08f, 0.02f));
    c.addGrain(0.012f, 15);
    return c;
}

// Cyan light lines: a perspective grid running to the horizon and rings rising from it.
Canvas paintGridRings(float scale) {
    Canvas c(800, 600, scale);
    const float horizon = 330;
    const Colour line = rgb(0.1f, 0.55f, 0.8f);
    c.paint([&](float x, float y) {
        Colour p = rgb(0.0f, 0.02f, 0.05f) * (1.0f - y / 600.0f);
        if (y > horizon) {
            const float depth = 60.0f / (y - horizon);  // distance along the floor
            const float across = (x - 400) * depth / 60.0f;
            const float gx = std::fabs(across - std::round(across));
            const float gz = std::fabs(depth * 4 - std::round(depth * 4));
            const float fade = std::min(1.0f, (y - horizon) / 120.0f);
            const float lineWidth = 0.04f + 0.02f * depth;
            const float on = std::max(smoothstep(lineWidth, 0, gx), smoothstep(lineWidth * 1.5f, 0, gz));
            p = p + line * (on * fade * 0.9f);
        } else {
            const float dx = (x - 400) / 1.6f, dy = y - horizon;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float ring = std::fabs(std::fmod(r, 46.0f) - 23) / 23;
            const float on = smoothstep(0.12f, 0.0f, 1 - ring) * smoothstep(330, 40, r);
            p = p + rgb(0.15f, 0.35f, 0.9f) * (on * 0.7f);
        }
        return p;
    });
    for (int px = 0; px < c.width; ++px)
        for (int py = 0; py < c.height; ++py) {
            const float d = std::fabs(c.u(py) - horizon);
            c.at(px, py) = c.at(px, py) + rgb(0.2f, 0.7f, 0.9f) * (0.6f * std::exp(-d * d / 18.0f));
        }
    c.addGlow(400, horizon, 260, rgb(0.02f, 0.12f, 0.2f));
    c.addGrain(0.01f, 21);
    return c;
}

// Deep violet with light shafts from above and soft out-of-focus discs.
Canvas paintBokeh(float scale) {
    Canvas c(800, 600, scale);
    c.paint([&](float x, float y) {
        const float t = y / 600.0f;
        const float haze = fractalNoise(x / 220.0f, y / 220.0f, octavesAt(4, scale), 31);
        return mix(rgb(0.02f, 0.01f, 0.08f), rgb(0.16f, 0.03f, 0.22f), t) * (0.7f + 0.6f * haze);
    });
    c.addBeam(120, -40, 330, 640, 90, rgb(0.18f, 0.1f, 0.3f));
    c.addBeam(690, -40, 470, 640, 110, rgb(0.12f, 0.08f, 0.3f));
    for (int i = 0; i < 60; ++i) {
        const float x = hashUnit(i, 0, 32) * 800, y = hashUnit(i, 1, 32) * 600;
        const float r = 10 + 45 * hashUnit(i, 2, 32);
        const float hue = hashUnit(i, 3, 32);
        const Colour col = mix(rgb(0.7f, 0.15f, 0.6f), rgb(0.2f, 0.3f, 0.9f), hue) * (0.15f + 0.25f * hashUnit(i, 4, 32));
        for (int py = std::max(0, int((y - r - 2) * scale)); py < std::min(c.height, int((y + r + 2) * scale)); ++py)
            for (int px = std::max(0, int((x - r - 2) * scale)); px < std::min(c.width, int((x + r + 2) * scale));
                 ++px) {
                const float d = std::hypot(c.u(px) - x, c.u(py) - y);
                // A disc with a slightly brighter rim, as a lens draws a distant light.
                const float disc = smoothstep(r + 1.5f, r - 1.5f, d) * (0.7f + 0.3f * smoothstep(r * 0.6f, r, d));
                c.at(px, py) = c.at(px, py) + col * disc;
            }
    }
    c.addGrain(0.012f, 33);
    return c;
}

// ---- The sprite ----

Canvas paintSpriteGlow(float scale) {
    Canvas c(128, 128, scale);
    c.paint([](float x, float y) {
        const float r = std::hypot(x - 63.5f, y - 63.5f) / 64.0f;
        const float core = std::exp(-r * r * 28);
        const float halo = std::pow(clamp01(1 - r * 1.15f), 3.0f);
        const float v = std::min(1.0f, core * 0.9f + halo * 0.6f);
        return rgb(v, v * 0.95f, v * 0.85f + core * 0.15f);
    });
    return c;
}

// ---- Thumbnails: views of the party place ----

// A hall under a ceiling of coloured lamps, beams falling into the haze, a crowd below.
Canvas paintHall(float scale) {
    Canvas c(320, 200, scale);
    c.paint([&](float x, float y) {
        const float haze = fractalNoise(x / 40.0f, y / 40.0f, octavesAt(4, scale), 51);
        return mix(rgb(0.03f, 0.02f, 0.06f), rgb(0.1f, 0.05f, 0.12f), y / 200.0f) * (0.6f + 0.8f * haze);
    });
    const Colour lamps[] = {rgb(1, 0.3f, 0.2f), rgb(0.3f, 0.5f, 1), rgb(0.9f, 0.2f, 0.9f), rgb(1, 0.8f, 0.3f)};
    for (int row = 0; row < 4; ++row) {
        const float y = 18 + row * row * 7.0f + row * 6;
        const float spread = 60 + row * 45;
        for (int i = 0; i < 6; ++i) {
            const float x = 160 + (i - 2.5f) * spread / 2.5f;
            const Colour lamp = lamps[(i + row) % 4];
            c.addBeam(x, y, x + (i - 2.5f) * 22, 200, 10 + row * 4, lamp * 0.12f);
            c.addGlow(x, y, 1.5f + row, lamp);
            c.addGlow(x, y, 6 + row * 2, lamp * 0.3f);
        }
    }
    c.blendRect(0, 0, 320, 10, rgb(0.01f, 0.01f, 0.02f), 0.8f);
    c.addGlow(160, 200, 70, rgb(0.35f, 0.15f, 0.3f));  // light washing the dance floor
    paintCrowd(c, 200, 9, 14, 52);
    c.addGrain(0.03f, 53);
    return c;
}

// The stage: a big screen, a truss with two spots, smoke, and the front rows.
Canvas paintStage(float scale) {
    Canvas c(320, 200, scale);
    c.paint([](float, float) { return rgb(0.02f, 0.02f, 0.03f); });
    // The screen shows the demo's own blue glow.
    for (int y = int(30 * scale); y < int(110 * scale); ++y)
        for (int x = int(80 * scale); x < int(240 * scale); ++x) {
            const float d = std::hypot((c.u(x) - 160) / 80.0f, (c.u(y) - 70) / 40.0f);
            c.at(x, y) = mix(rgb(0.1f, 0.35f, 0.8f), rgb(0.02f, 0.05f, 0.2f), clamp01(d));
        }
    c.addGlow(160, 70, 40, rgb(0.05f, 0.12f, 0.25f));
    c.blendRect(40, 18, 280, 22, rgb(0.25f, 0.25f, 0.28f), 1);
    c.blendRect(0, 128, 320, 175, rgb(0.2f, 0.13f, 0.08f), 1);  // stage front
    c.blendRect(0, 118, 320, 128, rgb(0.45f, 0.3f, 0.2f), 1);   // stage floor in the light
    c.addGlow(160, 150, 60, rgb(0.15f, 0.1f, 0.06f));
    c.addBeam(70, 22, 120, 130, 28, rgb(0.5f, 0.4f, 0.25f));
    c.addBeam(250, 22, 200, 130, 28, rgb(0.5f, 0.4f, 0.25f));
    c.addGlow(70, 22, 4, rgb(1, 0.9f, 0.7f));
    c.addGlow(250, 22, 4, rgb(1, 0.9f, 0.7f));
    paintCrowd(c, 200, 13, 9, 61);
    c.addGrain(0.02f, 62);
    return c;
}

// Rows of tables with glowing monitors, seen from the back of the room.
Canvas paintScreens(float scale) {
    Canvas c(320, 200, scale);
    c.paint([](float, float y) { return mix(rgb(0.03f, 0.03f, 0.05f), rgb(0.07f, 0.06f, 0.06f), y / 200.0f); });
    const Colour screens[] = {rgb(0.3f, 0.6f, 1), rgb(0.3f, 0.9f, 0.4f), rgb(0.9f, 0.5f, 0.9f), rgb(0.9f, 0.9f, 0.9f),
                              rgb(1, 0.6f, 0.2f)};
    for (int row = 0; row < 5; ++row) {
        const float scale = 0.45f + row * 0.3f;  // nearer rows are larger
        const float tableY = 60 + row * row * 6.0f + row * 10;
        const float w = 26 * scale, h = 19 * scale;
        c.blendRect(0, tableY, 320, tableY + 4 * scale, rgb(0.12f, 0.1f, 0.09f), 1);
        for (float x = -w + std::fmod(row * 17.0f, w + 6); x < 320; x += w + 6 * scale) {
            const int k = static_cast<int>(hashUnit(int(x), row, 71) * 5);
            const Colour s = screens[k];
            c.blendRect(x - 1, tableY - h - 1, x + w + 1, tableY - 1, rgb(0.05f, 0.05f, 0.05f), 1);
            c.blendRect(x, tableY - h, x + w, tableY - 2, s * 0.55f, 1);
            // Lines of text or code on some screens.
            for (float ly = tableY - h + 2; ly < tableY - 4; ly += 2.5f * scale)
                c.blendRect(x + 2, ly, x + 2 + (w - 4) * (0.3f + 0.7f * hashUnit(int(ly), int(x), 72)), ly + scale,
                            s, 0.8f);
            c.addGlow(x + w / 2, tableY - h / 2, w * 0.9f, s * 0.08f);
        }
    }
    paintCrowd(c, 200, 10, 6, 73);
    c.addGrain(0.025f, 74);
    return c;
}

// The hall from outside at night: stars, moon, the building with lit windows, lamps, trees.
Canvas paintNightView(float scale) {
    Canvas c(320, 200, scale);
    c.paint([](float, float y) {
        return mix(rgb(0.01f, 0.02f, 0.08f), rgb(0.08f, 0.12f, 0.22f), std::pow(y / 140.0f, 2.0f));
    });
    addStars(c, 90, 120, 0.9f, 81);
    c.addGlow(250, 38, 9, rgb(1, 1, 0.9f));
    c.addGlow(250, 38, 30, rgb(0.12f, 0.14f, 0.18f));
    c.blendRect(60, 90, 230, 160, rgb(0.04f, 0.04f, 0.06f), 1);  // the hall
    c.blendRect(110, 70, 180, 90, rgb(0.04f, 0.04f, 0.06f), 1);
    for (int row = 0; row < 3; ++row)
        for (int i = 0; i < 8; ++i) {
            if (hashUnit(i, row, 82) < 0.25f) continue;
            const float x = 70 + i * 20, y = 98 + row * 18;
            const Colour lit = hashUnit(i, row, 83) < 0.5f ? rgb(1, 0.75f, 0.35f) : rgb(0.6f, 0.3f, 0.9f);
            c.blendRect(x, y, x + 11, y + 9, lit * 0.9f, 1);
            c.addGlow(x + 5, y + 4, 10, lit * 0.08f);
        }
    // Trees: a noisy silhouette along the sides.
    for (int px = 0; px < c.width; ++px) {
        const float x = c.u(px);
        const float edge = std::min(std::fabs(x - 20.0f), std::fabs(x - 300.0f));
        const float top = 80 + edge * 0.9f + 25 * fractalNoise(x / 9.0f, 0, octavesAt(3, scale), 84);
        for (int y = std::max(0, int(top * scale)); y < int(165 * scale); ++y) c.at(px, y) = rgb(0.005f, 0.01f, 0.01f);
    }
    c.blendRect(0, 160, 320, 200, rgb(0.03f, 0.03f, 0.04f), 1);  // wet road
    for (int i = 0; i < 4; ++i) {
        const float x = 30 + i * 85;
        c.blendRect(x - 1, 120, x + 1, 165, rgb(0.02f, 0.02f, 0.02f), 1);
        c.addGlow(x, 118, 3, rgb(1, 0.85f, 0.5f));
        c.addGlow(x, 118, 18, rgb(0.2f, 0.14f, 0.06f));
        c.addBeam(x, 170, x, 200, 5, rgb(0.25f, 0.18f, 0.08f));  // reflection on the road
    }
    c.addGrain(0.02f, 85);
    return c;
}

// ---- Finale backdrops: brighter, centred, laid several times over a glow ----

// A golden sunburst: uneven rays around a hot core.
Canvas paintSunburst(float scale) {
    Canvas c(800, 600, scale);
    c.paint([&](float x, float y) {
        const float dx = x - 400.0f, dy = y - 300.0f;
        const float r = std::hypot(dx, dy) / 400.0f;
        const float a = std::atan2(dy, dx) / (2 * kPi) + 0.5f;
        const float rays = std::pow(fractalNoise(a * 48, r * 0.7f, octavesAt(3, scale), 91), 2.5f) * 2.2f;
        const float falloff = std::exp(-r * 2.2f);
        const float core = std::exp(-r * r * 60);
        const float v = rays * falloff + core;
        return rgb(v * 1.0f, v * 0.7f, v * 0.3f) + rgb(0.08f, 0.02f, 0.05f) * (1 - r);
    });
    c.addGrain(0.01f, 92);
    return c;
}

// A Julia set in magenta and cyan, full of fine filaments.
Canvas paintJulia(float scale) {
    Canvas c(800, 600, scale);
    const std::vector<Colour> stops{rgb(0, 0, 0.02f), rgb(0.3f, 0.02f, 0.35f), rgb(0.9f, 0.2f, 0.6f),
                                    rgb(0.2f, 0.8f, 1), rgb(1, 1, 1)};
    c.paint([&](float x, float y) {
        float zr = (x - 400) / 260.0f, zi = (y - 300) / 260.0f;
        int i = 0;
        const int limit = 200;
        while (i < limit && zr * zr + zi * zi < 64) {
            const float t = zr * zr - zi * zi - 0.7269f;
            zi = 2 * zr * zi + 0.1889f;
            zr = t;
            ++i;
        }
        float smooth = 0;
        if (i < limit)
            smooth = (i + 1 - std::log2(std::log2(std::sqrt(zr * zr + zi * zi)))) / 60.0f;
        return ramp(stops, std::pow(clamp01(smooth), 0.7f));
    });
    c.addGrain(0.015f, 101);
    return c;
}

// Aurora curtains over a dark horizon.
Canvas paintAurora(float scale) {
    Canvas c(800, 600, scale);
    c.paint([&](float x, float y) {
        const float sky = y / 600.0f;
        Colour p = mix(rgb(0.0f, 0.01f, 0.04f), rgb(0.02f, 0.06f, 0.1f), sky);
        for (int band = 0; band < 2; ++band) {
            const float centre = 250 + band * 130 + 80 * std::sin(x / (130.0f + band * 70) + band * 2.5f) +
                                 50 * (fractalNoise(x / 90.0f, band * 5.0f, octavesAt(3, scale), 111) - 0.5f);
            // The lower edge is sharp, the rays fade upwards; the tops turn violet.
            const float above = centre - y;
            const float curtain = above > 0 ? std::exp(-above / (90 + band * 30)) : std::exp(above / 14);
            const float streaks = 0.45f + 0.55f * fractalNoise(x / 5.0f, band * 3.0f, octavesAt(2, scale), 112 + band);
            const Colour hue = mix(rgb(0.15f, 0.95f, 0.45f), rgb(0.5f, 0.2f, 0.7f), clamp01(above / 260));
            p = p + hue * (curtain * streaks * (band == 0 ? 0.6f : 0.8f));
        }
        return p;
    });
    addStars(c, 300, 600, 0.6f, 113);
    for (int px = 0; px < c.width; ++px) {
        const float top = 520 + 30 * fractalNoise(c.u(px) / 60.0f, 0, octavesAt(4, scale), 114);
        for (int y = int(top * scale); y < c.height; ++y) c.at(px, y) = rgb(0.0f, 0.01f, 0.015f);
    }
    c.addGrain(0.012f, 115);
    return c;
}

}  // namespace

Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Colour operator*(Colour a, float k) { return {a.r * k, a.g * k, a.b * k}; }
Colour mix(Colour a, Colour b, float t) { return a * (1 - t) + b * t; }

Canvas::Canvas(int designWidth, int designHeight, float scale)
    : width(static_cast<int>(designWidth * scale)),
      height(static_cast<int>(designHeight * scale)),
      scale(scale),
      pixels(static_cast<size_t>(width) * height) {}

void Canvas::addGlow(float cx, float cy, float radius, Colour colour) {
    const float reach = radius * 3;
    for (int y = std::max(0, int((cy - reach) * scale)); y < std::min(height, int((cy + reach) * scale) + 1); ++y)
        for (int x = std::max(0, int((cx - reach) * scale)); x < std::min(width, int((cx + reach) * scale) + 1); ++x) {
            const float dx = u(x) - cx, dy = u(y) - cy;
            const float d2 = (dx * dx + dy * dy) / (radius * radius);
            at(x, y) = at(x, y) + colour * std::exp(-d2);
        }
}

void Canvas::blendRect(float x0, float y0, float x1, float y1, Colour colour, float alpha) {
    for (int y = std::max(0, int(y0 * scale)); y < std::min(height, int(y1 * scale)); ++y)
        for (int x = std::max(0, int(x0 * scale)); x < std::min(width, int(x1 * scale)); ++x)
            at(x, y) = mix(at(x, y), colour, alpha);
}

void Canvas::addBeam(float ax, float ay, float bx, float by, float halfWidth, Colour colour) {
    const float dx = bx - ax, dy = by - ay;
    const float length2 = dx * dx + dy * dy;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float ux = u(x), uy = u(y);
            const float t = ((ux - ax) * dx + (uy - ay) * dy) / length2;
            if (t <= 0 || t >= 1) continue;
            const float px = ax + dx * t, py = ay + dy * t;
            const float off = std::hypot(ux - px, uy - py) / (halfWidth * t + 1);
            at(x, y) = at(x, y) + colour * (smoothstep(1, 0, off) * (1 - t));
        }
}

void Canvas::addGrain(float amount, uint32_t seed) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float g = (hashUnit(x, y, seed) - 0.5f) * amount;
            at(x, y) = at(x, y) + rgb(g, g, g);
        }
}

std::vector<unsigned char> Canvas::toRgb8() const {
    std::vector<unsigned char> bytes;
    bytes.reserve(pixels.size() * 3);
    for (const Colour& p : pixels)
        for (float v : {p.r, p.g, p.b}) bytes.push_back(static_cast<unsigned char>(std::lround(clamp01(v) * 255)));
    return bytes;
}

float hashUnit(int x, int y, uint32_t seed) { return (hash3(x, y, seed) >> 8) * (1.0f / 16777216.0f); }

float valueNoise(float x, float y, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = x - fx, ty = y - fy;
    const float sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    const float top = hashUnit(ix, iy, seed) * (1 - sx) + hashUnit(ix + 1, iy, seed) * sx;
    const float bottom = hashUnit(ix, iy + 1, seed) * (1 - sx) + hashUnit(ix + 1, iy + 1, seed) * sx;
    return top * (1 - sy) + bottom * sy;
}

float fractalNoise(float x, float y, int octaves, uint32_t seed) {
    float sum = 0, weight = 0, amplitude = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += valueNoise(x, y, seed + o * 1013) * amplitude;
        weight += amplitude;
        amplitude *= 0.5f;
        x *= 2.03f;
        y *= 2.03f;
    }
    return sum / weight;
}

const std::vector<PictureRecipe>& pictureRecipes() {
    static const std::vector<PictureRecipe> recipes{
        {"pic01", 800, 600, 43935, paintNebula},    {"pic02", 800, 600, 56134, paintGridRings},
        {"pic03", 800, 600, 29095, paintBokeh},     {"pic04", 128, 128, 1055, paintSpriteGlow},
        {"pic05", 320, 200, 16821, paintHall},      {"pic06", 320, 200, 8355, paintStage},
        {"pic07", 320, 200, 13676, paintScreens},   {"pic08", 320, 200, 15908, paintNightView},
        {"pic09", 800, 600, 50873, paintSunburst},  {"pic10", 800, 600, 80566, paintJulia},
        {"pic11", 800, 600, 42429, paintAurora},
    };
    return recipes;
}
