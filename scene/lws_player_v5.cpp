#include "scene/lws_player_v5.h"

#include "scene/lws_scene.h"
#include "scene/scene_lighting.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kScaleChannel = 6;

double& at(SceneMatrix& m, int row, int column) { return m[static_cast<size_t>(column * 4 + row)]; }
double at(const SceneMatrix& m, int row, int column) {
    return m[static_cast<size_t>(column * 4 + row)];
}

// The identity with x, y and z in rows 0-2 of the columns `columnOf` gives each row.
template <typename ColumnOf>
SceneMatrix identityWith(double x, double y, double z, ColumnOf columnOf) {
    SceneMatrix m = identityMatrix();
    const double values[3] = {x, y, z};
    for (int row = 0; row < 3; ++row) at(m, row, columnOf(row)) = values[row];
    return m;
}

SceneMatrix translation(double x, double y, double z) {
    return identityWith(x, y, z, [](int) { return 3; });
}

SceneMatrix scaling(double x, double y, double z) {
    return identityWith(x, y, z, [](int row) { return row; });
}

// About axis 0 (X), 1 (Y) or 2 (Z): the other two axes, in the order that turns the first
// toward the second for a positive angle (Y to Z, Z to X, X to Y).
SceneMatrix rotation(int axis, double radians) {
    const int a = (axis + 1) % 3;
    const int b = (axis + 2) % 3;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    SceneMatrix m = identityMatrix();
    at(m, a, a) = c;
    at(m, a, b) = -s;
    at(m, b, a) = s;
    at(m, b, b) = c;
    return m;
}

// Every item of a scene in one numbering: the objects, then the lights, then the camera.
class ItemWorlds {
public:
    ItemWorlds(const LwsScene& scene, int64_t index)
        : scene_(scene), index_(index), lights_(scene.objects.size()), camera_(lights_ + scene.lights.size()),
          worlds_(camera_ + 1), state_(camera_ + 1, 0) {}

    // state: 0 not yet, 1 being computed (a parent chain now reaching it again loops), 2 done.
    const SceneMatrix& world(size_t item) {
        if (state_[item] == 0) {
            state_[item] = 1;
            worlds_[item] = multiplied(parentWorld(this->item(item)), itemLocalMatrix(this->item(item), index_));
            state_[item] = 2;
        }
        return worlds_[item];
    }

    SceneWorlds all() {
        SceneWorlds out;
        for (size_t i = 0; i < lights_; ++i) out.objects.push_back(world(i));
        for (size_t i = lights_; i < camera_; ++i) out.lights.push_back(world(i));
        out.camera = world(camera_);
        return out;
    }

private:
    const SceneItem& item(size_t number) const {
        if (number < lights_) return scene_.objects[number];
        if (number < camera_) return scene_.lights[number - lights_];
        return scene_.camera;
    }

    // Where the item's parent is in the numbering, or none (an index out of its list).
    bool numberOf(const SceneItem& child, size_t& number) const {
        const int32_t parent = child.parentIndex;
        if (parent < 0) return false;
        const size_t p = static_cast<size_t>(parent);
        switch (child.parentKind) {
            case SceneItemKind::Object: number = p; return p < scene_.objects.size();
            case SceneItemKind::Light: number = lights_ + p; return p < scene_.lights.size();
            case SceneItemKind::Camera: number = camera_; return true;
        }
        return false;
    }

    SceneMatrix parentWorld(const SceneItem& child) {
        size_t parent = 0;
        if (!numberOf(child, parent) || state_[parent] == 1) return identityMatrix();
        return world(parent);
    }

    const LwsScene& scene_;
    int64_t index_;
    size_t lights_, camera_;
    std::vector<SceneMatrix> worlds_;
    std::vector<char> state_;
};

void setLens(const SceneCamera& camera, const SceneShading* shading) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float aspect = camera.frameHeight > 0.0f ? camera.frameWidth / camera.frameHeight : 1.0f;
    gluPerspective(lightWaveVerticalFieldOfView(camera), aspect, shading ? shading->nearPlane : kSceneNearPlane,
                   shading ? shading->farPlane : kSceneFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
}

void drawObjects(LwsScene& scene, int64_t index, const SceneShading* shading) {
    const SceneWorlds all = sceneWorldMatrices(scene, index);
    const std::vector<SceneMatrix>& worlds = all.objects;
    const SceneMatrix& camera = all.camera;
    SceneMatrix worldToEye;
    const bool lit = shading && shading->size() == scene.objects.size() && worldToEyeMatrix(camera, worldToEye);
    if (lit) setSceneLights(scene, all, worldToEye);
    for (size_t i = 0; i < scene.objects.size(); ++i) {
        SceneItem& object = scene.objects[i];
        SceneMatrix modelview;
        if (object.isNull || !object.shown || !object.mesh || object.mesh->polygons.empty() ||
            !meshModelview(camera, worlds[i], modelview)) {
            continue;
        }
        glLoadMatrixd(modelview.data());
        if (lit) shading->mesh(i).draw(object.mesh->texture);
        else object.mesh->drawMesh();
    }
    if (lit) clearSceneLights();
    glLoadIdentity();
}

}  // namespace

double lightWaveVerticalFieldOfView(const SceneCamera& camera) {
    if (!(camera.zoomFactor > 0.0f)) return camera.fieldOfView;
    constexpr double kDegreesPerRadian = 57.29577951308232;
    return 2.0 * std::atan(1.0 / camera.zoomFactor) * kDegreesPerRadian;
}

SceneMatrix identityMatrix() {
    SceneMatrix m{};
    for (int i = 0; i < 4; ++i) at(m, i, i) = 1.0;
    return m;
}

SceneMatrix multiplied(const SceneMatrix& a, const SceneMatrix& b) {
    SceneMatrix m{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += at(a, r, k) * at(b, k, c);
            at(m, r, c) = sum;
        }
    }
    return m;
}

std::array<double, 3> transformedPoint(const SceneMatrix& m, double x, double y, double z) {
    std::array<double, 3> out{};
    for (int r = 0; r < 3; ++r) {
        out[static_cast<size_t>(r)] =
            at(m, r, 0) * x + at(m, r, 1) * y + at(m, r, 2) * z + at(m, r, 3);
    }
    return out;
}

// The 3x3 part inverted by its adjugate, the translation carried back through it.
bool invertedAffine(const SceneMatrix& m, SceneMatrix& out) {
    auto minor = [&m](int r0, int r1, int c0, int c1) {
        return at(m, r0, c0) * at(m, r1, c1) - at(m, r0, c1) * at(m, r1, c0);
    };
    const double det = at(m, 0, 0) * minor(1, 2, 1, 2) - at(m, 0, 1) * minor(1, 2, 0, 2) +
                       at(m, 0, 2) * minor(1, 2, 0, 1);
    if (!std::isfinite(det) || std::fabs(det) < 1e-12) return false;
    SceneMatrix inverse = identityMatrix();
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            // Cofactor of (c, r): the rows and columns other than c and r, in cyclic order.
            const int r0 = (c + 1) % 3, r1 = (c + 2) % 3, c0 = (r + 1) % 3, c1 = (r + 2) % 3;
            at(inverse, r, c) = minor(r0, r1, c0, c1) / det;
        }
    }
    for (int r = 0; r < 3; ++r) {
        at(inverse, r, 3) = -(at(inverse, r, 0) * at(m, 0, 3) + at(inverse, r, 1) * at(m, 1, 3) +
                              at(inverse, r, 2) * at(m, 2, 3));
    }
    out = inverse;
    return true;
}

double itemChannelValue(const SceneItem& item, int channel, int64_t index) {
    const size_t count = std::min(item.channels.size(), item.samples.size());
    for (size_t i = 0; i < count; ++i) {
        const SampleArray& samples = item.samples[i];
        if (item.channels[i].channelIndex != channel || samples.empty()) continue;
        const int64_t last = static_cast<int64_t>(samples.size()) - 1;
        return samples[static_cast<size_t>(std::clamp<int64_t>(index, 0, last))];
    }
    return channel >= kScaleChannel ? 1.0 : 0.0;
}

SceneMatrix headingPitchBank(double heading, double pitch, double bank) {
    return multiplied(multiplied(rotation(1, heading), rotation(0, pitch)), rotation(2, bank));
}

SceneMatrix itemLocalMatrix(const SceneItem& item, int64_t index) {
    double v[9];
    for (int c = 0; c < 9; ++c) v[c] = itemChannelValue(item, c, index);
    const double* turn = item.pivotRotation;
    SceneMatrix m = translation(v[0], v[1], v[2]);
    m = multiplied(m, headingPitchBank(turn[0], turn[1], turn[2]));
    m = multiplied(m, headingPitchBank(v[3], v[4], v[5]));
    m = multiplied(m, scaling(v[6], v[7], v[8]));
    return multiplied(m, translation(-item.pivot[0], -item.pivot[1], -item.pivot[2]));
}

SceneWorlds sceneWorldMatrices(const LwsScene& scene, int64_t index) { return ItemWorlds(scene, index).all(); }

std::vector<SceneMatrix> objectWorldMatrices(const LwsScene& scene, int64_t index) {
    return sceneWorldMatrices(scene, index).objects;
}

SceneMatrix parentedWorldMatrix(const SceneItem& item, const std::vector<SceneMatrix>& objectWorlds,
                                int64_t index) {
    const SceneMatrix local = itemLocalMatrix(item, index);
    if (item.parentKind != SceneItemKind::Object || item.parentIndex < 0 ||
        static_cast<size_t>(item.parentIndex) >= objectWorlds.size()) {
        return local;
    }
    return multiplied(objectWorlds[static_cast<size_t>(item.parentIndex)], local);
}

bool worldToEyeMatrix(const SceneMatrix& cameraWorld, SceneMatrix& out) {
    SceneMatrix view;
    if (!invertedAffine(cameraWorld, view)) return false;
    const SceneMatrix eyeToGl = scaling(1.0, 1.0, -1.0);
    out = multiplied(eyeToGl, view);
    return true;
}

bool meshModelview(const SceneMatrix& cameraWorld, const SceneMatrix& objectWorld,
                   SceneMatrix& out) {
    SceneMatrix worldToEye;
    if (!worldToEyeMatrix(cameraWorld, worldToEye)) return false;
    const SceneMatrix meshToObject = scaling(-1.0, -1.0, -1.0);
    out = multiplied(worldToEye, multiplied(objectWorld, meshToObject));
    return true;
}

int32_t playSceneVersion5(LwsScene& scene, const SceneShading* shading) {
    const int64_t frames = std::max<int64_t>(int64_t{scene.lastFrame} - scene.firstFrame + 1, 1);
    int32_t& next = scene.camera.frameCounter;
    if (next < 0 || next >= frames) next = 0;
    const int32_t index = next;
    setLens(scene.camera, shading);
    drawObjects(scene, index, shading);
    glFlush();
    next = index + 1 >= frames ? 0 : index + 1;
    return static_cast<int32_t>(scene.firstFrame + index);
}
