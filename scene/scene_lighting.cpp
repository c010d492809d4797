#include "scene/scene_lighting.h"

#include "scene/lws_scene.h"

#include <GL/gl.h>
// The separate specular colour is GL 1.2, a constant only; Windows' gl.h stops at 1.1.
#include <GL/glext.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>

namespace {

constexpr int kGlLights = 8;
constexpr float kDistantLight = 0.0f;
constexpr float kSpotLight = 2.0f;
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// A light's world position and the direction it shines in (its +Z), in world coordinates.
struct Placed {
    std::array<double, 3> position;
    std::array<double, 3> direction;
};

Placed placed(const SceneMatrix& world) {
    const std::array<double, 3> origin = transformedPoint(world, 0.0, 0.0, 0.0);
    const std::array<double, 3> ahead = transformedPoint(world, 0.0, 0.0, 1.0);
    return {origin, {ahead[0] - origin[0], ahead[1] - origin[1], ahead[2] - origin[2]}};
}

void setLight(GLenum gl, const SceneLight& light, const Placed& at) {
    const float k = light.lightIntensity;
    const float colour[4] = {light.lightColour[0] * k, light.lightColour[1] * k, light.lightColour[2] * k, 1.0f};
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(gl, GL_AMBIENT, black);
    glLightfv(gl, GL_DIFFUSE, colour);
    glLightfv(gl, GL_SPECULAR, colour);
    glLightf(gl, GL_CONSTANT_ATTENUATION, 1.0f);
    glLightf(gl, GL_LINEAR_ATTENUATION, 0.0f);
    glLightf(gl, GL_QUADRATIC_ATTENUATION, 0.0f);
    const auto& d = at.direction;
    if (light.lightType == kDistantLight) {
        // GL's directional light is given by where it comes from.
        const float from[4] = {float(-d[0]), float(-d[1]), float(-d[2]), 0.0f};
        glLightfv(gl, GL_POSITION, from);
        glLightf(gl, GL_SPOT_CUTOFF, 180.0f);
        return;
    }
    const float position[4] = {float(at.position[0]), float(at.position[1]), float(at.position[2]), 1.0f};
    glLightfv(gl, GL_POSITION, position);
    if (light.lightType == kSpotLight) {
        const float direction[3] = {float(d[0]), float(d[1]), float(d[2])};
        glLightfv(gl, GL_SPOT_DIRECTION, direction);
        glLightf(gl, GL_SPOT_CUTOFF, std::clamp(light.coneAngle, 0.0f, 90.0f));
        glLightf(gl, GL_SPOT_EXPONENT, 0.0f);
    } else {
        glLightf(gl, GL_SPOT_CUTOFF, 180.0f);
    }
}

}  // namespace

SceneShading::SceneShading(const LwsScene& scene) {
    static const auto kNone = std::make_shared<const LitMesh>();
    // Items naming the same file and layer share one object, and so one lit mesh.
    std::map<const LwoObject*, std::shared_ptr<const LitMesh>> made;
    for (const SceneItem& object : scene.objects) {
        if (object.isNull || !object.mesh) {
            meshes_.push_back(kNone);
            continue;
        }
        std::shared_ptr<const LitMesh>& lit = made[object.mesh.get()];
        if (!lit) lit = std::make_shared<const LitMesh>(*object.mesh);
        meshes_.push_back(lit);
    }
}

SceneLight defaultSceneLight() {
    SceneLight light;
    light.name = "Light";
    light.lightType = kDistantLight;
    const double values[6] = {-2.0, 2.0, -2.0, 45.0 * kRadiansPerDegree, 35.0 * kRadiansPerDegree, 0.0};
    for (int c = 0; c < 6; ++c) {
        EnvelopeChannel channel;
        channel.channelIndex = c;
        light.channels.push_back(channel);
        light.samples.push_back(SampleArray{values[c]});
    }
    return light;
}

void setSceneLights(const LwsScene& scene, const SceneWorlds& worlds, const SceneMatrix& worldToEye) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixd(worldToEye.data());
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    const float ambient[4] = {scene.ambientColour[0] * scene.ambientIntensity,
                              scene.ambientColour[1] * scene.ambientIntensity,
                              scene.ambientColour[2] * scene.ambientIntensity, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
    // A texture modulates the diffuse light only; the highlight is added after it, as
    // LightWave's is.
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    static const SceneLight kDefault = defaultSceneLight();
    const size_t count = scene.lights.empty() ? 1 : std::min<size_t>(scene.lights.size(), kGlLights);
    for (int i = 0; i < kGlLights; ++i) {
        const GLenum gl = GLenum(GL_LIGHT0 + i);
        if (size_t(i) >= count) {
            glDisable(gl);
            continue;
        }
        const bool useDefault = scene.lights.empty();
        const SceneLight& light = useDefault ? kDefault : scene.lights[size_t(i)];
        setLight(gl, light, placed(useDefault ? itemLocalMatrix(kDefault, 0) : worlds.lights[size_t(i)]));
        glEnable(gl);
    }
    glPopMatrix();
}

void clearSceneLights() {
    for (int i = 0; i < kGlLights; ++i) glDisable(GLenum(GL_LIGHT0 + i));
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
}
