// Scene playback: one frame per call, counters advanced by one step per call. Versions 2, 4 and
// 5 have a player of their own (scene/lws_player_v5.h).
//
// Version 3 channels hold radians, turned into degrees with 57.2974694313457: 180 / 3.1415 in
// single precision, the engine's coarse pi, kept so scenes turn exactly as they always have.
// Version 1 channels hold degrees. Where a counter would index past the end of a shorter key
// or sample array, the array's last entry is held instead, so channels of different lengths
// never read out of bounds.
#include "scene/lws_scene.h"

#include "scene/lws_player_v5.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

namespace {

constexpr double kRadiansToDegrees = 57.2974694313457;

// The version 1 pacing rate when a scene gives none that can pace.
constexpr int32_t kDefaultFramesPerSecond = 30;

template <typename T>
const T& heldEntry(const std::vector<T>& entries, int32_t index) {
    const size_t last = entries.size() - 1;
    return entries[index <= 0 ? 0 : std::min(static_cast<size_t>(index), last)];
}

double cameraSample(const BakedChannels& samples, size_t channel, int32_t frame) {
    if (channel >= samples.size() || samples[channel].empty()) return 0.0;
    return heldEntry(samples[channel], frame);
}

// True when channels first .. first + 2 all exist and have keys.
bool tripleHasKeys(const std::vector<EnvelopeChannel>& channels, size_t first) {
    if (channels.size() < first + 3) return false;
    for (size_t c = first; c < first + 3; ++c) {
        if (channels[c].envelope.keys.empty()) return false;
    }
    return true;
}

double keyValue(const std::vector<EnvelopeChannel>& channels, size_t channel, int32_t key) {
    return heldEntry(channels[channel].envelope.keys, key).value;
}

float degrees(double radians) { return static_cast<float>(radians * kRadiansToDegrees); }

void setProjection(float fieldOfView, float width, float height) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, height != 0.0f ? width / height : 1.0f, kSceneNearPlane, kSceneFarPlane);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool firstSurfaceTransparent(const LwoObject& mesh) {
    return !mesh.reader.surfaces.empty() && mesh.reader.surfaces[0].hasTransparency;
}

// Wraps a version 1 counter at its motion's end and returns the sample to use.
const MotionSample& nextMotionSample(MotionV1& motion) {
    if (motion.frameCounter < 0 ||
        static_cast<size_t>(motion.frameCounter) >= motion.samples.size()) {
        motion.frameCounter = 0;
    }
    return motion.samples[static_cast<size_t>(motion.frameCounter++)];
}

}  // namespace

void LwsScene::prepareVertexArrays() {
    for (SceneItem& object : objects) {
        if (object.mesh) object.mesh->prepareVertexArray();
    }
}

int32_t LwsScene::play() {
    if (playsItemByItem()) return playSceneVersion5(*this);
    if (header.version == 3) {
        playWithArrays();
        return camera.frameCounter;
    }
    if (header.version == 1) playV1();
    return 1;
}

int32_t LwsScene::playLimited(int32_t limit) {
    if (playsItemByItem()) return playSceneVersion5(*this);
    if (header.version == 3) {
        playImmediate(limit);
        return camera.frameCounter;
    }
    if (header.version == 1) playV1();
    return 1;
}

int32_t LwsScene::playPingPong() {
    if (header.version == 3) playVersion3(CameraRule::PingPong, 0, false);
    return camera.frameCounter;
}

void LwsScene::playWithArrays() { playVersion3(CameraRule::WrapAtPreviewEnd, 0, true); }

void LwsScene::playImmediate(int32_t limit) { playVersion3(CameraRule::WrapAtLimit, limit, false); }

void LwsScene::playVersion3(CameraRule rule, int32_t limit, bool withArrays) {
    setProjection(camera.fieldOfView, camera.frameWidth, camera.frameHeight);
    placeCamera(rule, limit);
    for (SceneItem& object : objects) placeAndDrawObject(object, withArrays);
    glFlush();
}

void LwsScene::placeCamera(CameraRule rule, int32_t limit) {
    const BakedChannels& s = camera.samples;
    if (s.size() < 3 || s[0].empty() || s[1].empty() || s[2].empty()) return;
    int32_t& f = camera.frameCounter;
    if (rule == CameraRule::WrapAtLimit && static_cast<size_t>(std::max(f, 0)) >= s[0].size()) {
        f = 0;
    }
    glLoadIdentity();
    glRotatef(degrees(cameraSample(s, 4, f)), 1.0f, 0.0f, 0.0f);
    glRotatef(degrees(cameraSample(s, 3, f)), 0.0f, 1.0f, 0.0f);
    glRotatef(degrees(cameraSample(s, 5, f)) + 180.0f, 0.0f, 0.0f, 1.0f);
    glTranslatef(static_cast<float>(cameraSample(s, 0, f)), 0.0f, 0.0f);
    glTranslatef(0.0f, static_cast<float>(cameraSample(s, 1, f)), 0.0f);
    glTranslatef(0.0f, 0.0f, static_cast<float>(cameraSample(s, 2, f)));
    switch (rule) {
        case CameraRule::WrapAtPreviewEnd:
            if (++f >= previewLastFrame) f = 0;
            break;
        case CameraRule::WrapAtLimit:
            if (++f >= limit) f = 0;
            break;
        case CameraRule::PingPong:
            f += direction;
            if (f >= previewLastFrame || f <= 0) direction = -direction;
            break;
    }
}

void LwsScene::placeAndDrawObject(SceneItem& object, bool withArrays) {
    const bool moves = !object.samples.empty();
    if (moves) {
        glPushMatrix();
        const std::vector<EnvelopeChannel>& ch = object.channels;
        const size_t keyCount = ch.empty() ? 0 : ch[0].envelope.keys.size();
        int32_t& n = object.frameCounter;
        if (n < 0 || static_cast<size_t>(n) >= keyCount) n = 0;
        // Objects are placed from their raw keys, one key per frame; the baked samples only
        // decide whether they move at all.
        if (tripleHasKeys(ch, 0)) {
            glTranslatef(static_cast<float>(-keyValue(ch, 0, n)), 0.0f, 0.0f);
            glTranslatef(0.0f, static_cast<float>(-keyValue(ch, 1, n)), 0.0f);
            glTranslatef(0.0f, 0.0f, static_cast<float>(-keyValue(ch, 2, n)));
        }
        if (tripleHasKeys(ch, 3)) {
            glRotatef(degrees(keyValue(ch, 4, n)), 1.0f, 0.0f, 0.0f);
            glRotatef(degrees(keyValue(ch, 3, n)), 0.0f, 1.0f, 0.0f);
            glRotatef(degrees(keyValue(ch, 5, n)), 0.0f, 0.0f, 1.0f);
        }
        if (tripleHasKeys(ch, 6)) {
            glScalef(static_cast<float>(keyValue(ch, 6, n)), static_cast<float>(keyValue(ch, 7, n)),
                     static_cast<float>(keyValue(ch, 8, n)));
        }
        ++n;
    }
    LwoObject& mesh = meshOf(object.mesh);
    if (firstSurfaceTransparent(mesh)) {
        glDepthFunc(GL_LEQUAL);
        glBlendFunc(GL_ONE, GL_ONE);
        glEnable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
    }
    glFrontFace(GL_CW);
    if (!withArrays) {
        mesh.drawMesh();
    } else if (mesh.vertexArrayVertexCount() > 0) {
        mesh.drawVertexArray();
    }
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    if (moves) glPopMatrix();
}

int32_t LwsScene::playV1() {
    frameTimer.tick(v1FramesPerSecond > 0 ? v1FramesPerSecond : kDefaultFramesPerSecond);
    setProjection(v1FieldOfView, v1FrameWidth, v1FrameHeight);
    for (SceneObjectV1& object : v1Objects) {
        placeCameraV1();
        drawObjectV1(object);
    }
    return static_cast<int32_t>(v1Objects.size());
}

void LwsScene::placeCameraV1() {
    if (v1CameraMotion.samples.empty()) return;
    const double* s = nextMotionSample(v1CameraMotion).channel;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(static_cast<float>(s[6]), static_cast<float>(s[7]), static_cast<float>(s[8]));
    glRotatef(static_cast<float>(s[4]), 1.0f, 0.0f, 0.0f);
    glRotatef(static_cast<float>(s[3]), 0.0f, 1.0f, 0.0f);
    glRotatef(static_cast<float>(s[5]) + 180.0f, 0.0f, 0.0f, 1.0f);
    glTranslatef(static_cast<float>(s[0]), 0.0f, 0.0f);
    glTranslatef(0.0f, static_cast<float>(s[1]), 0.0f);
    glTranslatef(0.0f, 0.0f, static_cast<float>(s[2]));
}

void LwsScene::drawObjectV1(SceneObjectV1& object) {
    const bool moves = !object.motion.samples.empty();
    if (moves) {
        const double* s = nextMotionSample(object.motion).channel;
        glPushMatrix();
        glScalef(static_cast<float>(s[6]), static_cast<float>(s[7]), static_cast<float>(s[8]));
        glTranslatef(static_cast<float>(s[0]), static_cast<float>(s[1]), static_cast<float>(s[2]));
        // Three angles about y, x and z, applied in the camera's order.
        glRotatef(static_cast<float>(s[4]), 1.0f, 0.0f, 0.0f);
        glRotatef(static_cast<float>(s[3]), 0.0f, 1.0f, 0.0f);
        glRotatef(static_cast<float>(s[5]), 0.0f, 0.0f, 1.0f);
    }
    meshOf(object.mesh).drawMesh();
    if (moves) glPopMatrix();
}
