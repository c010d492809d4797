// LightWave content as a glTF 2.0 model, built with tinygltf (Debian's libtinygltf-dev).
//
// Axes: LightWave's are left-handed (+X right, +Y up, +Z ahead); glTF's right-handed (+Y up,
// an asset's front facing +Z). Negating Z turns one into the other and keeps a polygon's front:
// LightWave's front faces, clockwise seen from the front, come out counter-clockwise, as glTF
// wants them. Cameras and lights look along their +Z in LightWave, which is their -Z in glTF,
// where glTF has them look: they need no turn of their own.
//
// An item's transform T(position) · Ry(heading) · Rx(pitch) · Rz(bank) · S(scale) · T(-pivot)
// becomes, with Z negated, the node's translation (x, y, -z), the rotation
// qy(-heading) · qx(-pitch) · qz(bank) and the scale as it is (an item whose pivot is turned,
// PivotRotation, has that turn, made the same way, in front: T · P · R · S); the pivot is a child node
// translated by (-px, -py, pz), which holds the mesh and the item's children. Motion is
// sampled at every frame of the scene (versions 2, 4 and 5, their envelopes evaluated as
// lws-info --at evaluates them), time 0 at FirstFrame, and played linearly between samples.
//
// Surfaces become materials: base colour = colour × diffuse, the colour picture as its texture,
// emission = colour × luminosity, alpha = 1 - transparency (blended when there is any),
// roughness 1 - glossiness and no metal, double-sided from the surface's sidedness; the
// picture's wrap modes as the texture's sampler (reset, which glTF lacks, as clamp to edge). Pictures
// are looked up by their file name alone in the picture folder, so a name cannot lead out of
// it; JPEG and PNG pictures are used, others are reported and left out. A front projection
// cannot go out: it follows the camera frame by frame, and glTF's texture coordinates are fixed
// to the mesh; such a surface keeps the picture only where a UV map gives coordinates.
#pragma once

#include "lwo/lwo_mesh.h"

#include <tiny_gltf.h>

#include <cstdint>
#include <string>
#include <vector>

class LwsScene;

class GltfExport {
public:
    // `pictureDir` is where pictures are looked for; `binary` embeds them in the buffer (.glb),
    // otherwise they are named by file name, for copying beside the output.
    GltfExport(std::string pictureDir, bool binary);

    // Every layer of the object as a node with its mesh, under one scene.
    void addObject(const LwoMesh& mesh, const std::string& name);
    // Every object, the camera and the lights of a version 2, 4 or 5 scene, with motion.
    void addScene(const LwsScene& scene);
    // The buffer made final; call once, after the adds.
    tinygltf::Model& finish();

    // Pictures used, as (file name given in the model, the bytes read), for a .gltf's copies:
    // the bytes are the ones read beneath the content folder, never the file read again.
    const std::vector<std::pair<std::string, std::vector<uint8_t>>>& pictures() const { return pictures_; }
    // One line per problem that did not stop the export (a picture missing or of another kind).
    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    int addMesh(const LwoMesh& mesh, const std::string& name, int layer);
    int addMaterial(const LwoMesh& mesh, int surface);
    int addTexture(const std::string& picture, const struct SurfaceLook& look);
    int addSampler(const struct SurfaceLook& look);
    int addAccessor(const std::vector<float>& values, int components, bool withBounds);
    int addBufferView(const void* data, size_t bytes, int target);
    void addItemMotion(const LwsScene& scene, const struct SceneItem& item, int node);
    int timeAccessor(const LwsScene& scene);

    tinygltf::Model model_;
    std::vector<unsigned char> data_;
    std::string pictureDir_;
    bool binary_;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> pictures_;
    std::vector<std::string> warnings_;
    std::vector<std::pair<std::pair<std::string, int>, int>> textureOf_;  // (picture, sampler) -> texture
    std::vector<std::pair<std::pair<const LwoMesh*, int>, int>> materialOf_;
    int times_ = -1;
    tinygltf::Animation animation_;
};

// glTF's rotation (x, y, z, w) for LightWave's heading, pitch and bank in radians.
std::array<double, 4> gltfRotation(double heading, double pitch, double bank);
