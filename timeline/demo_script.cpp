#include "timeline/demo_script.h"

#include <GL/gl.h>

#include "platform/gl_setup.h"

namespace {
constexpr float kFinaleSpinPerSecond = 60.0f;
}

void DemoScript::renderFrame() {
    frameStart();
    frameTail();
}

void DemoScript::frameStart() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glLoadIdentity();
    setPerspective(800.0f, 600.0f, 60.0f);
    clock_.measureFrameRate();
}

// Leaves depth testing on with GL_LEQUAL, texture 0 bound, generation off and white colour
// for the next frame, whatever this one did.
void DemoScript::frameTail() {
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -6.0f);
    glDepthFunc(GL_ALWAYS);
    glEnable(GL_DEPTH_TEST);
    enableSphereMapping(0);
    glColor3f(1.0f, 1.0f, 1.0f);
    glDepthFunc(GL_LEQUAL);
    disableSphereMapping();
    glLoadIdentity();
    finaleAngle += clock_.perSecond(kFinaleSpinPerSecond);
    if (showIsOver(clock_.demoTime)) {
        quitRequested_ = true;
        quitCode_ = 1;
    }
}
