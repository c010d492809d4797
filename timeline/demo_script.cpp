#include "timeline/demo_script.h"

#include <GL/glu.h>

#include <cmath>

#include "fx/image_layer.h"
#include "fx/outline_font.h"
#include "gl/gl_setup.h"

const char invitationText[] =
    "Czesc, tu grupa Nocna Zmiana! Prosimy, nie wciskajcie jeszcze Esc, zostancie z nami do konca... "
    "         Zapraszamy na party Zimowy Kod 12-14 lutego, Torun, klub Baza.";
static_assert(sizeof(invitationText) - 1 == 167, "the invitation is one line of 167 characters");

bool insideBeatWindow(double demoTime) {
    // The window is 0.4 rounded to single precision, added in double.
    const double window = static_cast<double>(beatWindow);
    for (double beat : beatTimes)
        if (beat <= demoTime && demoTime < beat + window) return true;
    return false;
}

// A frame's GL calls are the show, call for call: calls below that look doubled, dead or
// overwritten are marked "kept" with the reason, and stay even where no pixel depends on them.

namespace {

constexpr GLbitfield kClearAll = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;
constexpr float kViewFov = 60.0f;

// The first act's timeline, seconds of music, in the order the steps run. The scroll, the knot
// and the strip move each frame by travel / (seconds x measuredFps), kept written out so and not
// as perSecond(travel / seconds): at many frame rates the two steps differ in the last bit of
// single precision, and so would the running positions in some frames. That is far below a
// pixel; what the written-out form keeps is every value bit for bit as the show computes it.
constexpr double kFinaleStart = 107.0;
constexpr double kScrollerStart = 46.0;
constexpr float kScrollEnd = 2400.0f;              // scroll units; the banner stops there
constexpr float kScrollSeconds = 59.0f;              // the whole text passes in 59 s
constexpr double kPulseEnd = 15.6;
constexpr float kPulsePerSecond = 0.24f;
constexpr float kPulseTop = 0.5f;
constexpr double kBrightenStart = 15.5;
constexpr float kLayerCRisePerFrame = 0.004f;
constexpr double kSecondBackdropStart = 15.6;
constexpr float kLayerBRisePerFrame = 0.004f;
constexpr float kLayerBTop = 0.8f;
constexpr double kCloudEnd = 77.0;
constexpr float kSpriteSize = 0.7f;
constexpr double kTubeStart = 77.0;
constexpr double kSpinStart = 79.0;
constexpr float kSpinGrowthPerFrame = 0.001f;
constexpr float kSpinTop = 1.0f;
constexpr double kThirdBackdropStart = 29.0;
constexpr float kCrossFadePerFrame = 0.01f;
constexpr float kLayerBFloor = 0.4f;
constexpr float kBannerPhasePerSecond = 60.0f;
constexpr int kBannerWavePeriod = 2;  // drawn frames per row the banner's wave travels
constexpr double kKnotStart = 77.0;
constexpr float kKnotTravel = 400.0f;  // units per 30 s
constexpr float kKnotSeconds = 30.0f;
constexpr double kStripStart = 52.0;
constexpr float kStripTravel = 2.5f;  // units per 55 s
constexpr float kStripSeconds = 55.0f;

// The finale.
constexpr double kInsideViewStart = beatTimes[0];  // the inside view opens on the first beat
constexpr double kSecondFinaleBackdrop = 123.0;
constexpr double kThirdFinaleBackdrop = 169.0;
constexpr float kTubeDistance = 400.0f;
constexpr int kBeatPasses = 10;
constexpr float kGlowStep = 0.02f;
constexpr float kFinaleSpinPerSecond = 60.0f;

void additiveBlending() {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
}

}  // namespace

void DemoScript::setFramesUnseen(bool unseen) {
    show_.particles.sprite.unseen = unseen;
    show_.sheet.unseen = unseen;
    if (show_.tubeEffect) show_.tubeEffect->sprite.unseen = unseen;
}

void DemoScript::renderFrame() {
    report_ = FrameReport{};
    frameStart();
    if (now() < kFinaleStart)
        firstAct();
    else
        finale();
    frameTail();
}

void DemoScript::frameStart() {
    glClear(kClearAll);
    glLoadIdentity();
    fullView();
    clock_.measureFrameRate();
}

void DemoScript::fullView() const {
    setPerspective(static_cast<float>(show_.frame.width), static_cast<float>(show_.frame.height), kViewFov);
}

bool DemoScript::scrollerRunning() const { return now() >= kScrollerStart && scrollPosition < kScrollEnd; }

void DemoScript::firstAct() {
    report_.firstAct = true;
    glDisable(GL_CULL_FACE);
    if (scrollerRunning()) captureScroller();
    glEnable(GL_TEXTURE_2D);  // kept though texturing is on already: the call stream has it
    additiveBlending();
    // The very first frame is drawn before the music position is known: nothing shows.
    if (now() <= 0.0) return;

    advanceLayerC();
    additiveBlending();  // kept although set just above: the frame's call stream sets it twice
    glColor4f(layerCLevel, layerCLevel, layerCLevel, layerCLevel);
    drawImageLayer(show_.state.actOneTextureC);
    report_.backdropC = true;

    if (now() >= kSecondBackdropStart) secondBackdropAndCloud();
    if (now() >= kThirdBackdropStart) thirdBackdrop();
    if (scrollerRunning()) banner();  // tested afresh: it stops in the frame the capture stops
    glLoadIdentity();
    if (now() >= kKnotStart) knotFlight();

    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    glDepthFunc(GL_ALWAYS);
    if (now() > kStripStart) {
        drawThumbnailStrip(show_.state, kStripTravel / (kStripSeconds * clock_.measuredFps));
        report_.thumbnailStrip = true;
    }
}

// The text is drawn into the square block in the corner with the frame's 4:3 projection (so it
// comes out squeezed), copied into the scroller texture and wiped before anything visible is
// drawn. The copy gives the texture the block's size.
void DemoScript::captureScroller() {
    const int block = show_.frame.block;
    glEnable(GL_TEXTURE_2D);
    glViewport(0, 0, block, block);
    glClear(kClearAll);
    glLoadIdentity();
    glColor3f(0.6f, 0.6f, 0.9f);
    glTranslatef(2.0f - 0.03f * scrollPosition, 0.0f, -5.0f);
    printOutlineText(show_.state, "%s", invitationText);
    scrollPosition += kScrollEnd / (kScrollSeconds * clock_.measuredFps);
    glLoadIdentity();
    glBindTexture(GL_TEXTURE_2D, show_.state.scrollerTexture);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB4, 0, 0, block, block, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, show_.frame.width, show_.frame.height);
    report_.scrollerCapture = true;
}

// Pulses softly until 15.6 s, then brightens per frame; both rules apply from 15.5 s, pulse
// first. Not clamped at the turn: it may overshoot by less than one step.
void DemoScript::advanceLayerC() {
    if (now() < kPulseEnd) {
        layerCLevel += static_cast<float>(pulseDirection) * clock_.perSecond(kPulsePerSecond);
        if (layerCLevel >= kPulseTop || layerCLevel <= 0.0f) pulseDirection = -pulseDirection;
    }
    if (now() >= kBrightenStart) {
        layerCLevel += kLayerCRisePerFrame;
        if (layerCLevel > 1.0f) layerCLevel = 1.0f;
    }
}

void DemoScript::secondBackdropAndCloud() {
    glLoadIdentity();
    // The layer shows the level from before this frame's rise; the cloud inherits the grey.
    glColor3f(layerBLevel, layerBLevel, layerBLevel);
    if (layerBLevel < kLayerBTop) layerBLevel += kLayerBRisePerFrame;
    drawImageLayer(show_.state.actOneTextureB);

    glLoadIdentity();
    if (now() < kCloudEnd) {
        show_.particles.drawParticles(kSpriteSize);
        report_.particles = true;
    }
    glLoadIdentity();
    if (now() >= kTubeStart && show_.tubeEffect) tubeObject();
}

void DemoScript::tubeObject() {
    TubeEffect& tube = *show_.tubeEffect;
    // Kept empty: the morph has no start points, so it never draws a sprite or a shape; points
    // here would add morph sprites the show never had.
    if (tube.morphPending) tube.startTubeMorph({});
    glLoadIdentity();
    tube.drawTubeEffect();
    report_.tube = true;
    if (now() >= kSpinStart) {
        tube.spinSpeed += kSpinGrowthPerFrame;
        // Kept though it does nothing: the call above, in this frame or an earlier one, has
        // started the morph, so `morphPending` is already false and even points would be
        // ignored. The frame's call stream has the call.
        tube.startTubeMorph({});
        if (tube.spinSpeed > kSpinTop) tube.spinSpeed = kSpinTop;
    }
}

// None of the fades is clamped: the layers simply stay dark or at full strength.
void DemoScript::thirdBackdrop() {
    additiveBlending();
    glColor4f(layerALevel, layerALevel, layerALevel, layerALevel);
    drawImageLayer(show_.state.actOneTextureA);
    layerCLevel -= kCrossFadePerFrame;
    if (layerBLevel > kLayerBFloor) layerBLevel -= kCrossFadePerFrame;
    layerALevel += kCrossFadePerFrame;
}

// Drawn with the blending and colour the third backdrop left and the depth function the
// cloud or the tube left.
void DemoScript::banner() {
    glLoadIdentity();
    glBindTexture(GL_TEXTURE_2D, show_.state.scrollerTexture);  // kept though the sheet binds it again
    glTranslatef(0.0f, 4.0f, -13.0f);
    glScalef(3.0f, static_cast<float>(2.0 + 0.6 * std::sin(0.05 * bannerPhase)), 1.0f);
    bannerPhase += clock_.perSecond(kBannerPhasePerSecond);
    glRotatef(30.0f, 1.0f, 0.0f, 0.0f);
    show_.sheet.drawWavingSheet(show_.state.scrollerTexture, kBannerWavePeriod);
    glRotatef(-30.0f, 1.0f, 0.0f, 0.0f);
    report_.banner = true;
}

// The translation is applied inside the z stretch: eye-space depth is 10 x (50 - knotDepth).
void DemoScript::knotFlight() {
    glLoadIdentity();
    glScalef(1.0f, 1.0f, 10.0f);
    glTranslatef(-150.0f, -333.0f, 50.0f - knotDepth);
    show_.knotMesh.drawMeshTextured(show_.state.actOneTextureA, 0.4f, 0.4f, 0.4f, 0.4f);
    knotDepth += kKnotTravel / (kKnotSeconds * clock_.measuredFps);
    report_.knot = true;
}

void DemoScript::finale() {
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    show_.glow.beginGlowCapture();
    if (show_.tubeEffect) drawTubeInGlowBlock();
    glLoadIdentity();
    show_.glow.endGlowCapture();

    // Kept although the blur sets each layer's colour itself: the frame's call stream has it.
    glColor3f(1.0f, 1.0f, 1.0f);
    glLoadIdentity();
    report_.glowPasses = insideBeatWindow(now()) ? kBeatPasses : 1;
    show_.glow.drawGlowBlur(report_.glowPasses, kGlowStep);

    glLoadIdentity();
    fullView();
    glEnable(GL_TEXTURE_2D);
    if (!finaleStarted_) {
        finaleBackdrop = show_.state.finaleTextures[0];
        finaleStarted_ = true;
    }
    // Kept although each layer binds its picture again (and in the frame that switches this is
    // still the old picture): the frame's call stream binds twice.
    glBindTexture(GL_TEXTURE_2D, finaleBackdrop);
    if (now() > kSecondFinaleBackdrop) finaleBackdrop = show_.state.finaleTextures[1];
    if (now() > kThirdFinaleBackdrop) finaleBackdrop = show_.state.finaleTextures[2];
    backdropLayers();
}

// Blending and depth are whatever the previous frame left: additive from the second finale
// frame on.
void DemoScript::drawTubeInGlowBlock() {
    LwoObject& mesh = show_.tubeEffect->mesh;
    glColor3f(1.0f, 1.0f, 1.0f);
    glTranslatef(0.0f, 0.0f, -kTubeDistance);
    glRotatef(finaleAngle, 1.0f, 1.0f, 1.0f);
    mesh.drawVertexArray();
    glRotatef(-finaleAngle, 1.0f, 1.0f, 1.0f);
    glTranslatef(0.0f, 0.0f, kTubeDistance);
    if (now() < kInsideViewStart) return;

    // From inside: the eye at the tube's own origin, a 120-degree lens, turned both ways, drawn
    // into the glow's block.
    glViewport(0, 0, show_.frame.block, show_.frame.block);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(120.0, 1.0, static_cast<double>(0.1f), 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(finaleAngle, 1.0f, 1.0f, 1.0f);
    mesh.drawVertexArray();
    // Kept as two calls (undo, then turn the other way), not one of twice the angle: the
    // frame's call stream has both, and one rotation need not give the same matrix bit for bit.
    glRotatef(-finaleAngle, 1.0f, 1.0f, 1.0f);
    glRotatef(-finaleAngle, 1.0f, 1.0f, 1.0f);
    mesh.drawVertexArray();
    glRotatef(finaleAngle, 1.0f, 1.0f, 1.0f);
    report_.insideView = true;
}

// Four copies with rising grey (0.1, 0.18, 0.26, 0.34), all but the first swaying sideways.
void DemoScript::backdropLayers() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    // Kept although the first copy's grey overwrites it, alpha included, before anything is
    // drawn: the frame's call stream sets it.
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    // Kept a float count: each copy's grey (s + 0.1) and sway (0.1 s) come from s as it adds
    // up in single precision. A double count makes the same four copies, but from values of s
    // that are not bit-identical, and some frames come out different.
    for (float s = 0.0f; s < 0.3f; s += 0.08f) {
        glColor3f(s + 0.1f, s + 0.1f, s + 0.1f);
        const float sway = static_cast<float>(0.1 * s * std::sin(0.01 * finaleAngle));
        glTranslatef(sway, 0.0f, 0.0f);
        drawImageLayer(finaleBackdrop);
        glTranslatef(-sway, 0.0f, 0.0f);
    }
}

// Leaves depth testing on with GL_LEQUAL, texture 0 bound, generation off and white colour
// for the next frame, whatever this one did.
void DemoScript::frameTail() {
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -6.0f);
    glDepthFunc(GL_ALWAYS);  // kept though GL_LEQUAL replaces it below: the call stream has both
    glEnable(GL_DEPTH_TEST);
    // Kept although nothing is drawn before it is switched off again: the sphere mapping is the
    // frame's own call, and its binding of texture 0 is what the next frame starts from.
    enableSphereMapping(0);
    glColor3f(1.0f, 1.0f, 1.0f);
    glDepthFunc(GL_LEQUAL);
    disableSphereMapping();
    glLoadIdentity();
    finaleAngle += clock_.perSecond(kFinaleSpinPerSecond);
    if (showIsOver(now())) {
        quitRequested_ = true;
        quitCode_ = 1;
    }
}
