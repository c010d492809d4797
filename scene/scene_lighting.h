// A scene drawn lit, as the tools show it: the scene's lights put into GL's fixed-function
// lighting and every object's mesh drawn with normals and its surfaces' materials
// (lwo/lit_mesh.h). The show never lights anything; only the tools ask for this.
//
// Lights as LightWave has them: distant lights shine along their +Z axis from infinitely far,
// point lights from their position in all directions, spot lights from their position along
// +Z within their cone (LightConeAngle, the angle from the axis to the edge). Colour times
// intensity is what a light gives; none fades with distance. Linear and area lights are taken
// as point lights. GL holds eight lights: a scene's first eight are used. A scene without
// lights gets LightWave's default light: a distant light, white at 100 %, heading 45° and
// pitch 35° (from above, left and in front of the origin). The scene's ambient light adds its
// colour times intensity to every surface.
#pragma once

#include "lwo/lit_mesh.h"
#include "scene/lws_player_v5.h"

#include <memory>
#include <vector>

class LwsScene;
struct SceneLight;

// The lit meshes of a scene's objects, one per object in scene.objects (empty for nulls and
// meshes that did not load), built once after the scene loads.
class SceneShading {
public:
    explicit SceneShading(const LwsScene& scene);
    const LitMesh& mesh(size_t object) const { return *meshes_[object]; }
    size_t size() const { return meshes_.size(); }
    // The depth range drawn; a bare object framed by a tool sets its own.
    double nearPlane = kSceneNearPlane;
    double farPlane = kSceneFarPlane;

private:
    std::vector<std::shared_ptr<const LitMesh>> meshes_;  // never null
};

// The light a scene without lights is lit by.
SceneLight defaultSceneLight();

// Turns GL lighting on with the scene's lights placed at `worlds` (or the default one).
// `worldToEye` takes the scene's world coordinates to GL's eye space (the camera's view, Z
// flipped, as worldToEyeMatrix makes it); the modelview matrix is left as it was.
void setSceneLights(const LwsScene& scene, const SceneWorlds& worlds, const SceneMatrix& worldToEye);
// Lighting off again, every light GL has switched off.
void clearSceneLights();
