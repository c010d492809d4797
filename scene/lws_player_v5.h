// Playback of scene versions 2, 4 and 5 (version 2 is read into version 5's records): every
// object placed by its own motion and its parents', seen through the camera's motion, one
// scene frame per call.
//
// LightWave's conventions, as its scene format and SDK documents give them and as other readers
// of these files apply them:
// - Axes are left-handed: +X right, +Y up, +Z ahead (away from a viewer at the front). A camera
//   with no rotation looks along +Z with +Y up.
// - Channels 0-8 are position X, Y, Z, then heading, pitch and bank, then scale X, Y, Z.
//   Versions 4 and 5 store the angles in radians. Heading turns about Y, pitch about X, bank
//   about Z, each by the left-hand rule: heading +90° turns +Z to +X (to the right seen from
//   above), pitch +90° turns +Z to -Y (the nose down), bank turns +X toward +Y. With column
//   vectors these are the usual rotation matrices, numerically unchanged.
// - An item's matrix is T(position) · P · Ry(heading) · Rx(pitch) · Rz(bank) · S(scale) ·
//   T(-pivot): scaled, banked, pitched and headed about its pivot, the pivot then put at its
//   position. The pivot is a point of the object's own coordinates. P is the pivot's own turn
//   (PivotRotation, heading, pitch and bank in the same order), outside the motion: the axes
//   the item's heading, pitch and bank turn about are the pivot's, as the SDK's item transform
//   builds it (pivot, scale, rotation, pivot rotation, position). Without
//   a PivotRotation line P is the identity.
// - A parented item's matrix is its parent's world matrix times its own, so its position is in
//   the parent's object coordinates (the parent's pivot already taken off).
//
// Matrices here are in those coordinates. Two fixed flips bring them to GL (meshModelview):
// the mesh model stores each point negated (-x, -y, -z, the object's left-handed axes turned
// by a point reflection into the engine's), so a mesh is first negated back; and the camera's
// left-handed eye space (+Z ahead) becomes GL's right-handed one (-Z ahead) by negating Z. Both
// flips reverse handedness, so together they keep a polygon's winding: LightWave's front faces,
// clockwise seen from the front, stay clockwise on screen, which is what the mesh drawing's
// GL_CW culling keeps.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

class LwsScene;
class SceneShading;
struct SceneItem;
struct SceneCamera;

// The depth range every scene player draws in, so scenes made to the same scale fit alike.
constexpr double kSceneNearPlane = 0.1;
constexpr double kSceneFarPlane = 1000.0;

// 4x4 and column-major, as glLoadMatrixd takes it: row r, column c is m[c * 4 + r].
using SceneMatrix = std::array<double, 16>;

SceneMatrix identityMatrix();
// a · b: b applies first.
SceneMatrix multiplied(const SceneMatrix& a, const SceneMatrix& b);
// Where `m` takes the point (x, y, z).
std::array<double, 3> transformedPoint(const SceneMatrix& m, double x, double y, double z);
// False, leaving `out` alone, for a matrix that flattens space (a zero scale).
bool invertedAffine(const SceneMatrix& m, SceneMatrix& out);

// Channel `channel` (0-8) of `item` at baked sample `index` (frame - FirstFrame), held at the
// first and last samples; an item without that channel, or without samples, stands at 0 (1 for
// a scale).
double itemChannelValue(const SceneItem& item, int channel, int64_t index);
// Ry(heading) · Rx(pitch) · Rz(bank), radians.
SceneMatrix headingPitchBank(double heading, double pitch, double bank);
// The item's own matrix at sample `index`, as above.
SceneMatrix itemLocalMatrix(const SceneItem& item, int64_t index);
// The world matrices of every item at sample `index`: objects in the order of scene.objects,
// lights in theirs, and the camera. Any item may be the parent of any other (an object riding
// on the camera, a light on a light); a chain of parents that loops back is cut where it
// closes, so each item is computed once.
struct SceneWorlds {
    std::vector<SceneMatrix> objects;
    std::vector<SceneMatrix> lights;
    SceneMatrix camera;
};
SceneWorlds sceneWorldMatrices(const LwsScene& scene, int64_t index);
// The objects' part of sceneWorldMatrices.
std::vector<SceneMatrix> objectWorldMatrices(const LwsScene& scene, int64_t index);
// A camera's or light's world matrix given the objects', for an item whose parent is an object
// or none (sceneWorldMatrices places every kind of parent).
SceneMatrix parentedWorldMatrix(const SceneItem& item, const std::vector<SceneMatrix>& objectWorlds,
                                int64_t index);
// The camera's view with Z flipped: world coordinates to GL's eye space. False when the camera
// cannot be inverted.
bool worldToEyeMatrix(const SceneMatrix& cameraWorld, SceneMatrix& out);
// The GL modelview that draws an object's mesh (in the mesh model's negated coordinates) at
// `objectWorld` seen from a camera at `cameraWorld`. False when the camera cannot be inverted.
bool meshModelview(const SceneMatrix& cameraWorld, const SceneMatrix& objectWorld,
                   SceneMatrix& out);

// Draws frame FirstFrame + scene.camera.frameCounter with a current GL context (the caller
// clears and swaps), then advances the counter, wrapping after LastFrame. Meshes are drawn as
// the engine draws them (LwoObject::drawMesh: flat surface colours, textures, culling, blended
// transparency), or lit when `shading` is given (scene/scene_lighting.h); null objects, hidden
// ones and lights draw nothing. The lens is LightWave's own (lightWaveVerticalFieldOfView) over
// the frame's aspect. Returns the scene frame drawn.
int32_t playSceneVersion5(LwsScene& scene, const SceneShading* shading = nullptr);

// The vertical field of view, in degrees, that LightWave gives a camera: its zoom factor is the
// focal length over half the aperture's height (24 mm over 7.5 mm is the default 3.2), so
// tan(half the vertical angle) = 1 / zoom: 34.71° at 3.2, 45.24° across a 4:3 frame. The
// older scenes' player keeps the engine's own lens (LwsScene::computeFieldOfView), which gives
// that 45.24° as the vertical angle and so draws those scenes smaller than LightWave shows
// them; these later files are seen as their authors framed them. A zoom that is not above 0
// falls back to the engine's lens.
double lightWaveVerticalFieldOfView(const SceneCamera& camera);
