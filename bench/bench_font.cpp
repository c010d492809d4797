// Times the outline font build, one frame's scroller capture and one tube effect frame on this
// machine's renderer. Every timed iteration ends with glFinish, so the figures include the
// rasterising, not only the queueing. Run headless (SDL's offscreen driver is the default).
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "fx/outline_font.h"
#include "fx/show_state.h"
#include "fx/tube_effect.h"
#include "gl/gl_setup.h"
#include "tests/support/gl_test_context.h"

namespace {

// As long as the show's line (167 characters) with its block of ten spaces.
const char* const kInvitation =
    "Witajcie! Tu ekipa silnika demo... Nie wciskajcie jeszcze Esc, to dopiero poczatek..."
    "          Zapraszamy na party: 12-14 marca, hala sportowa przy ulicy Dlugiej 5. Do zoba!";

bool glReady(benchmark::State& state) {
    std::string why;
    if (testsupport::ensureGlContext(&why)) return true;
    state.SkipWithError(why.c_str());
    return false;
}

void BM_BuildOutlineFont(benchmark::State& state) {
    if (!glReady(state)) return;
    ShowState record;
    for (auto _ : state) {
        buildOutlineFont(record);
        glFinish();
        state.PauseTiming();
        deleteOutlineFont(record);
        glFinish();
        state.ResumeTiming();
    }
}

// One frame's capture: text into the 128x128 corner, copied into the texture, corner cleared.
void BM_ScrollerCapture(benchmark::State& state) {
    if (!glReady(state)) return;
    testsupport::resetGlState();
    ShowState record;
    buildOutlineFont(record);
    const GLuint texture = createCaptureTexture();
    setPerspective(800, 600, 60);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    float scroll = 0.0f;
    for (auto _ : state) {
        glEnable(GL_TEXTURE_2D);
        glViewport(0, 0, 128, 128);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glLoadIdentity();
        glColor3f(0.6f, 0.6f, 0.9f);
        glTranslatef(2.0f - 0.03f * scroll, 0.0f, -5.0f);
        printOutlineText(record, "%s", kInvitation);
        scroll = scroll < 2400.0f ? scroll + 0.7f : 0.0f;
        glLoadIdentity();
        glBindTexture(GL_TEXTURE_2D, texture);
        glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB4, 0, 0, 128, 128, 0);
        glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, 800, 600);
        glFinish();
    }
    glDeleteTextures(1, &texture);
    deleteOutlineFont(record);
}

// One tube frame at 800x600. Argument 0: the shipped show's empty morph; 1: sprites on every
// corner of the mesh (the heaviest case the effect supports).
void BM_TubeEffectDraw(benchmark::State& state) {
    if (!glReady(state)) return;
    testsupport::resetGlState();
    TubeEffect tube;
    const std::string path = std::string(DEMO_SOURCE_DIR) + "/assets/data/tube.lwo";
    if (tube.loadTubeEffect(path.c_str(), 0)) {
        state.SkipWithError(tube.mesh.lastError().c_str());
        return;
    }
    tube.startTubeMorph(state.range(0) ? tube.mesh.collectPositions() : PositionList{});
    tube.spinSpeed = 1.0f;
    setPerspective(800, 600, 60);
    glEnable(GL_TEXTURE_2D);
    glClearColor(0.3f, 0.3f, 0.3f, 0.0f);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        tube.drawTubeEffect();
        // Keeps the sprites in the heavy case from shrinking away during a long run.
        if (state.range(0)) tube.spriteSize = 0.7f;
        glFinish();
    }
    state.counters["triangles"] = static_cast<double>(tube.mesh.polygons.size());
}

BENCHMARK(BM_BuildOutlineFont)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ScrollerCapture)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_TubeEffectDraw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
