// Time of one call of each effect at 800x600 on the current GL implementation.
//
// Each sample is one call followed by glFinish, so it holds our CPU work, the driver's and the
// rasteriser's. Every effect is timed twice: with the full 800x600 view and with the view shrunk
// to 8x6 pixels. The second figure is what remains without fill work (our calls, vertex work and
// the driver); what the first adds is fill. The calling thread's CPU time is given too: on a
// shared machine it is steadier than the wall clock, and a software rasteriser fills on threads
// of its own. Run with SDL_VIDEODRIVER=offscreen when headless.
#include <GL/gl.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "fx/glow.h"
#include "fx/image_layer.h"
#include "fx/particles.h"
#include "fx/shapes.h"
#include "fx/waving_sheet.h"
#include "gl/gl_setup.h"
#include "tests/support/gl_test_context.h"
#include "texture/jpeg_texture.h"

namespace {

constexpr int kSamples = 60;
constexpr int kWarmUp = 5;

struct Scale {
    int width, height;
};
constexpr Scale kFull{800, 600};
constexpr Scale kTiny{8, 6};

struct Timing {
    double wallMs;
    double threadCpuMs;
};

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

Timing medianTiming(const std::function<void()>& setUp, const std::function<void()>& call) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < kWarmUp + kSamples; ++i) {
        setUp();
        glFinish();
        const double cpuStart = threadCpuMs();
        const auto start = std::chrono::steady_clock::now();
        call();
        glFinish();
        const auto end = std::chrono::steady_clock::now();
        if (i < kWarmUp) continue;
        cpu.push_back(threadCpuMs() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    return {median(wall), median(cpu)};
}

// The frame state the script sets before its effects: 60-degree projection, texturing on,
// additive blending, depth test with GL_LEQUAL, culling off.
void frameStart(Scale view) {
    setPerspective(static_cast<float>(view.width), static_cast<float>(view.height), 60.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glColor4f(0.8f, 0.8f, 0.8f, 0.8f);
}

GLuint loadPicture(const char* name, GLuint fallback) {
    // A failed load leaves the fallback in place.
    GLuint texture = fallback;
    static_cast<void>(loadJpegTexture((std::string(DEMO_SOURCE_DIR) + "/assets/data/" + name).c_str(), texture));
    return texture;
}

// A soft round spot, for when the demo's particle picture is not at hand.
GLuint makeSpotTexture() {
    constexpr int kSize = 128;
    std::vector<unsigned char> rgb(kSize * kSize * 3);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float dx = (x - 63.5f) / 64, dy = (y - 63.5f) / 64;
            const float v = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
            for (int c = 0; c < 3; ++c) rgb[(y * kSize + x) * 3 + c] = static_cast<unsigned char>(255 * v * v);
        }
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kSize, kSize, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return name;
}

struct Effect {
    const char* name;
    std::function<void(Scale)> setUp;
    std::function<void()> call;
};

void report(const Effect& effect) {
    const Timing full = medianTiming([&] { effect.setUp(kFull); }, effect.call);
    const Timing tiny = medianTiming([&] { effect.setUp(kTiny); }, effect.call);
    const double fill = std::max(0.0, full.wallMs - tiny.wallMs);
    std::printf("%-24s %9.3f %9.3f %9.3f %11.3f   %s\n", effect.name, full.wallMs, tiny.wallMs,
                fill, full.threadCpuMs, fill > tiny.wallMs ? "fill-bound" : "CPU-bound");
}

}  // namespace

int main() {
    std::string why;
    if (!testsupport::ensureGlContext(&why)) {
        std::fprintf(stderr, "bench_fx: %s\n", why.c_str());
        return 1;
    }
    testsupport::resetGlState();
    const GLuint spot = loadPicture("pic04.jpg", makeSpotTexture());
    const GLuint backdrop = loadPicture("pic01.jpg", spot);

    ParticleSystem cloud;
    cloud.scatterParticles(1920, spot);
    WavingSheet sheet;
    sheet.buildSheetGrid(4.0f);
    GlowEffect glow;
    FrameSize glowView;
    // Without the picture the blur still costs the same; only the picture's binding is empty.
    static_cast<void>(glow.loadGlow((std::string(DEMO_SOURCE_DIR) + "/assets/data/pic09.jpg").c_str(), glowView));

    const auto glowFrame = [&](int passes) {
        return [&glow, passes] {
            glow.beginGlowCapture();
            glow.endGlowCapture();
            glow.drawGlowBlur(passes, 0.02f);
        };
    };
    const auto glowSetUp = [&](Scale view) {
        frameStart(view);
        glowView.width = view.width;
        glowView.height = view.height;
    };

    const std::vector<Effect> effects = {
        {"particle cloud (1920)", frameStart, [&] { cloud.drawParticles(0.7f); }},
        {"waving sheet (banner)",
         [&](Scale view) {
             frameStart(view);
             glTranslatef(0, 4, -13);
             glScalef(3, 2, 1);
             glRotatef(30, 1, 0, 0);
         },
         [&] { sheet.drawWavingSheet(backdrop, 2); }},
        {"glow, 1 pass", glowSetUp, glowFrame(1)},
        {"glow, 10 passes", glowSetUp, glowFrame(10)},
        {"image layer", frameStart, [&] { drawImageLayer(backdrop); }},
    };

    std::printf("median ms of one call, %d samples, glFinish inside the timing\n", kSamples);
    std::printf("%-24s %9s %9s %9s %11s\n", "effect", "800x600", "8x6", "fill", "thread CPU");
    for (const Effect& effect : effects) report(effect);
    return 0;
}
