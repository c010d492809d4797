#include "tools/gltf_export.h"

#include "lwo/mesh_shading.h"
#include "files/whole_file.h"
#include "scene/envelope_eval.h"
#include "scene/lws_player_v5.h"
#include "scene/lws_scene.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <utility>

namespace {

// What one picture may weigh: far above any texture an object names.
constexpr size_t kMaxPictureBytes = size_t(256) << 20;
constexpr int kItemChannels = 9;
constexpr double kChannelDefaults[kItemChannels] = {0, 0, 0, 0, 0, 0, 1, 1, 1};

// LightWave's axes to glTF's: Z negated. The mesh model holds points negated, so from there
// x and y are negated back and z stays.
std::array<float, 3> fromMesh(const Vec3& v) { return {-v.x, -v.y, v.z}; }

void appendFloats(std::vector<float>& out, const std::array<float, 3>& v) {
    out.insert(out.end(), v.begin(), v.end());
}

std::array<double, 4> product(const std::array<double, 4>& a, const std::array<double, 4>& b) {
    return {a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1],
            a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0],
            a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3],
            a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]};
}

std::array<double, 4> aboutAxis(int axis, double radians) {
    std::array<double, 4> q = {0.0, 0.0, 0.0, std::cos(radians / 2.0)};
    q[size_t(axis)] = std::sin(radians / 2.0);
    return q;
}

std::string lowerExtension(const std::string& name) {
    std::string extension = std::filesystem::path(name).extension().string();
    for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// The last component of a name written on any system ("C:\\Images\\earth.jpg" is earth.jpg).
std::string baseName(const std::string& name) {
    const size_t slash = name.find_last_of("/\\:");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

const EnvelopeChannel* channelNumbered(const SceneItem& item, int number) {
    for (const EnvelopeChannel& channel : item.channels) {
        if (channel.channelIndex == number) return &channel;
    }
    return nullptr;
}

// The item's nine channel values at `frame`, as lws-info --at gives them.
std::array<double, kItemChannels> valuesAt(const LwsScene& scene, const SceneItem& item, int64_t frame) {
    std::array<double, kItemChannels> values{};
    for (int c = 0; c < kItemChannels; ++c) {
        const EnvelopeChannel* channel = channelNumbered(item, c);
        values[size_t(c)] = channel ? evaluateEnvelope(channel->envelope, double(frame) / scene.framesPerSecond)
                                    : kChannelDefaults[c];
    }
    return values;
}

// The item's heading, pitch and bank inside its pivot's turn: both turns in one rotation.
std::array<double, 4> itemRotation(const SceneItem& item, const std::array<double, kItemChannels>& v) {
    const double* turn = item.pivotRotation;
    const std::array<double, 4> motion = gltfRotation(v[3], v[4], v[5]);
    // Left alone without a turn, so those files' numbers (their zeros' signs too) stay as they were.
    if (turn[0] == 0.0 && turn[1] == 0.0 && turn[2] == 0.0) return motion;
    return product(gltfRotation(turn[0], turn[1], turn[2]), motion);
}

void setTransform(tinygltf::Node& node, const SceneItem& item, const std::array<double, kItemChannels>& v) {
    node.translation = {v[0], v[1], -v[2]};
    const std::array<double, 4> q = itemRotation(item, v);
    node.rotation.assign(q.begin(), q.end());
    node.scale = {v[6], v[7], v[8]};
}

tinygltf::Value lightReference(int light) {
    tinygltf::Value::Object reference;
    reference["light"] = tinygltf::Value(light);
    return tinygltf::Value(reference);
}

}  // namespace

std::array<double, 4> gltfRotation(double heading, double pitch, double bank) {
    return product(product(aboutAxis(1, -heading), aboutAxis(0, -pitch)), aboutAxis(2, bank));
}

GltfExport::GltfExport(std::string pictureDir, bool binary) : pictureDir_(std::move(pictureDir)), binary_(binary) {
    model_.asset.version = "2.0";
    model_.asset.generator = "lw2gltf";
    model_.scenes.emplace_back();
    model_.defaultScene = 0;
}

int GltfExport::addBufferView(const void* data, size_t bytes, int target) {
    // Every view starts on a four-byte boundary, as float accessors need.
    data_.resize((data_.size() + 3) & ~size_t(3));
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = data_.size();
    view.byteLength = bytes;
    view.target = target;
    const auto* begin = static_cast<const unsigned char*>(data);
    data_.insert(data_.end(), begin, begin + bytes);
    model_.bufferViews.push_back(view);
    return int(model_.bufferViews.size()) - 1;
}

int GltfExport::addAccessor(const std::vector<float>& values, int components, bool withBounds) {
    tinygltf::Accessor accessor;
    accessor.bufferView = addBufferView(values.data(), values.size() * sizeof(float),
                                        withBounds && components > 1 ? TINYGLTF_TARGET_ARRAY_BUFFER : 0);
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    accessor.count = values.size() / size_t(components);
    static const int kTypes[] = {0, TINYGLTF_TYPE_SCALAR, TINYGLTF_TYPE_VEC2, TINYGLTF_TYPE_VEC3, TINYGLTF_TYPE_VEC4};
    accessor.type = kTypes[components];
    if (withBounds && accessor.count > 0) {
        accessor.minValues.assign(size_t(components), std::numeric_limits<double>::infinity());
        accessor.maxValues.assign(size_t(components), -std::numeric_limits<double>::infinity());
        for (size_t i = 0; i < values.size(); ++i) {
            const size_t c = i % size_t(components);
            accessor.minValues[c] = std::min(accessor.minValues[c], double(values[i]));
            accessor.maxValues[c] = std::max(accessor.maxValues[c], double(values[i]));
        }
    }
    model_.accessors.push_back(accessor);
    return int(model_.accessors.size()) - 1;
}

int GltfExport::addTexture(const std::string& picture, const SurfaceLook& look) {
    const std::string name = baseName(picture);
    const int sampler = addSampler(look);
    for (const auto& known : textureOf_) {
        if (known.first.first == name && known.first.second == sampler) return known.second;
    }
    int texture = -1;
    const std::string extension = lowerExtension(name);
    const std::string mime = extension == ".png" ? "image/png"
                             : extension == ".jpg" || extension == ".jpeg" ? "image/jpeg" : "";
    const std::string folder = pictureDir_.empty() ? std::string(".") : pictureDir_;
    const std::string path = folder + "/" + name;
    std::vector<uint8_t> bytes;
    std::string why = mime.empty() ? "not a JPEG or PNG picture" : "";
    // Opened beneath the folder: a link there cannot copy a file from elsewhere into the output.
    if (why.empty()) why = files::readWholeFileBeneath(folder, name, kMaxPictureBytes, bytes);
    if (!why.empty()) {
        warnings_.push_back(path + ": " + why + "; the surface is exported without its picture");
    } else {
        tinygltf::Image image;
        image.name = name;
        image.mimeType = mime;
        if (binary_) {
            image.bufferView = addBufferView(bytes.data(), bytes.size(), 0);
        } else {
            image.uri = name;
            pictures_.emplace_back(name, bytes);
        }
        model_.images.push_back(image);
        tinygltf::Texture made;
        made.source = int(model_.images.size()) - 1;
        made.sampler = sampler;
        model_.textures.push_back(made);
        texture = int(model_.textures.size()) - 1;
    }
    textureOf_.push_back({{name, sampler}, texture});
    return texture;
}

int GltfExport::addSampler(const SurfaceLook& look) {
    // glTF has no reset: outside the picture its edge is the nearest to what LightWave shows.
    const auto mode = [](TextureWrap wrap) {
        return wrap == TextureWrap::Mirror ? TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT
               : wrap == TextureWrap::Repeat ? TINYGLTF_TEXTURE_WRAP_REPEAT
                                             : TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE;
    };
    tinygltf::Sampler sampler;
    sampler.wrapS = mode(look.wrapWidth);
    sampler.wrapT = mode(look.wrapHeight);
    sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
    for (size_t i = 0; i < model_.samplers.size(); ++i) {
        const tinygltf::Sampler& known = model_.samplers[i];
        if (known.wrapS == sampler.wrapS && known.wrapT == sampler.wrapT) return int(i);
    }
    model_.samplers.push_back(sampler);
    return int(model_.samplers.size()) - 1;
}

int GltfExport::addMaterial(const LwoMesh& mesh, int surface) {
    for (const auto& known : materialOf_) {
        if (known.first.first == &mesh && known.first.second == surface) return known.second;
    }
    const bool known = surface >= 0 && size_t(surface) < mesh.reader.surfaces.size();
    const LwoSurface* record = known ? &mesh.reader.surfaces[size_t(surface)] : nullptr;
    const SurfaceLook look = surfaceLook(record);
    tinygltf::Material material;
    material.name = record ? record->name : "Default";
    const double alpha = 1.0 - std::clamp(double(look.transparency), 0.0, 1.0);
    auto& pbr = material.pbrMetallicRoughness;
    pbr.baseColorFactor = {look.colour[0] * look.diffuse, look.colour[1] * look.diffuse,
                           look.colour[2] * look.diffuse, alpha};
    for (size_t c = 0; c < 3; ++c) pbr.baseColorFactor[c] = std::clamp(pbr.baseColorFactor[c], 0.0, 1.0);
    pbr.metallicFactor = 0.0;
    pbr.roughnessFactor = std::clamp(1.0 - double(look.glossiness), 0.0, 1.0);
    material.emissiveFactor = {std::clamp(double(look.colour[0] * look.luminosity), 0.0, 1.0),
                               std::clamp(double(look.colour[1] * look.luminosity), 0.0, 1.0),
                               std::clamp(double(look.colour[2] * look.luminosity), 0.0, 1.0)};
    if (alpha < 1.0) material.alphaMode = "BLEND";
    material.doubleSided = look.doubleSided;
    if (look.textured) {
        const std::string picture = record && !record->imageName.empty() ? record->imageName : mesh.pictureFile();
        if (!picture.empty()) {
            pbr.baseColorTexture.index = addTexture(picture, look);
            // A picture replaces the colour in LightWave; diffuse still darkens it.
            if (pbr.baseColorTexture.index >= 0) pbr.baseColorFactor = {look.diffuse, look.diffuse, look.diffuse, alpha};
        }
    }
    model_.materials.push_back(material);
    const int index = int(model_.materials.size()) - 1;
    materialOf_.push_back({{&mesh, surface}, index});
    return index;
}

int GltfExport::addMesh(const LwoMesh& mesh, const std::string& name, int layer) {
    tinygltf::Mesh out;
    out.name = name;
    for (const ShadedPart& part : shadeMesh(mesh)) {
        if ((layer >= 0 && part.layer != layer) || part.positions.empty()) continue;
        std::vector<float> positions, normals, uvs;
        for (size_t corner = 0; corner < part.positions.size(); ++corner) {
            // Each triangle's last two corners swapped: the mesh model's front faces turn
            // clockwise (as GL draws them, culling with GL_CW), glTF's counter-clockwise, and
            // fromMesh is a turn, which keeps the winding.
            const size_t v = corner % 3 == 0 ? corner : corner % 3 == 1 ? corner + 1 : corner - 1;
            appendFloats(positions, fromMesh(part.positions[v]));
            appendFloats(normals, fromMesh(part.normals[v]));
            if (part.hasUvs) uvs.insert(uvs.end(), {part.uvs[v].u, part.uvs[v].v});
        }
        tinygltf::Primitive primitive;
        primitive.mode = TINYGLTF_MODE_TRIANGLES;
        primitive.attributes["POSITION"] = addAccessor(positions, 3, true);
        primitive.attributes["NORMAL"] = addAccessor(normals, 3, true);
        if (part.hasUvs) primitive.attributes["TEXCOORD_0"] = addAccessor(uvs, 2, true);
        primitive.material = addMaterial(mesh, part.surface);
        out.primitives.push_back(primitive);
    }
    if (out.primitives.empty()) return -1;
    model_.meshes.push_back(out);
    return int(model_.meshes.size()) - 1;
}

void GltfExport::addObject(const LwoMesh& mesh, const std::string& name) {
    std::vector<int32_t> layers;
    for (const MeshPolygon& polygon : mesh.polygons) {
        if (std::find(layers.begin(), layers.end(), polygon.layer) == layers.end()) layers.push_back(polygon.layer);
    }
    for (int32_t layer : layers) {
        tinygltf::Node node;
        // Layers are numbered by the LAYR chunks before their polygons; the record names them.
        const size_t record = size_t(std::max(layer, 1) - 1);
        node.name = record < mesh.reader.layers.size() && !mesh.reader.layers[record].name.empty()
                        ? mesh.reader.layers[record].name
                        : name;
        node.mesh = addMesh(mesh, node.name, layer);
        if (node.mesh < 0) continue;
        model_.nodes.push_back(node);
        model_.scenes[0].nodes.push_back(int(model_.nodes.size()) - 1);
    }
}

int GltfExport::timeAccessor(const LwsScene& scene) {
    if (times_ >= 0) return times_;
    std::vector<float> times;
    for (int64_t frame = scene.firstFrame; frame <= scene.lastFrame; ++frame) {
        times.push_back(float(double(frame - scene.firstFrame) / scene.framesPerSecond));
    }
    times_ = addAccessor(times, 1, true);
    return times_;
}

void GltfExport::addItemMotion(const LwsScene& scene, const SceneItem& item, int node) {
    if (item.channels.empty() || scene.framesPerSecond <= 0 || scene.lastFrame <= scene.firstFrame) return;
    std::vector<float> translations, rotations, scales;
    std::array<double, 4> previous = {0, 0, 0, 1};
    for (int64_t frame = scene.firstFrame; frame <= scene.lastFrame; ++frame) {
        const std::array<double, kItemChannels> v = valuesAt(scene, item, frame);
        translations.insert(translations.end(), {float(v[0]), float(v[1]), float(-v[2])});
        std::array<double, 4> q = itemRotation(item, v);
        // The shorter way round from the previous sample, so linear steps do not spin.
        const double along = q[0] * previous[0] + q[1] * previous[1] + q[2] * previous[2] + q[3] * previous[3];
        if (along < 0.0) for (double& c : q) c = -c;
        previous = q;
        for (double c : q) rotations.push_back(float(c));
        scales.insert(scales.end(), {float(v[6]), float(v[7]), float(v[8])});
    }
    const int input = timeAccessor(scene);
    const std::pair<const char*, std::pair<const std::vector<float>*, int>> paths[] = {
        {"translation", {&translations, 3}}, {"rotation", {&rotations, 4}}, {"scale", {&scales, 3}}};
    for (const auto& path : paths) {
        tinygltf::AnimationSampler sampler;
        sampler.input = input;
        sampler.output = addAccessor(*path.second.first, path.second.second, false);
        sampler.interpolation = "LINEAR";
        animation_.samplers.push_back(sampler);
        tinygltf::AnimationChannel channel;
        channel.sampler = int(animation_.samplers.size()) - 1;
        channel.target_node = node;
        channel.target_path = path.first;
        animation_.channels.push_back(channel);
    }
}

namespace {

// Every item of a scene in one numbering, in the order lws-info lists them: the objects, the
// camera, then the lights.
struct ItemNumbering {
    explicit ItemNumbering(const LwsScene& scene) : scene(scene) {}
    size_t count() const { return scene.objects.size() + 1 + scene.lights.size(); }
    size_t camera() const { return scene.objects.size(); }
    bool isLight(size_t n) const { return n > camera(); }
    const SceneItem& item(size_t n) const {
        if (n < scene.objects.size()) return scene.objects[n];
        return n == camera() ? static_cast<const SceneItem&>(scene.camera) : scene.lights[n - camera() - 1];
    }
    // The number of the item's parent, or -1 for none.
    int64_t parentOf(size_t n) const {
        const SceneItem& child = item(n);
        if (child.parentIndex < 0) return -1;
        const size_t p = size_t(child.parentIndex);
        switch (child.parentKind) {
            case SceneItemKind::Object: return p < scene.objects.size() ? int64_t(p) : -1;
            case SceneItemKind::Light: return p < scene.lights.size() ? int64_t(camera() + 1 + p) : -1;
            case SceneItemKind::Camera: return int64_t(camera());
        }
        return -1;
    }
    // Whether following parents up from `n` comes back to it: such a loop cannot be a tree, and
    // the item is then put at the top, as the player cuts the loop there.
    bool parentsLoop(size_t n) const {
        int64_t at = parentOf(n);
        for (size_t steps = 0; at >= 0 && steps <= count(); ++steps) {
            if (size_t(at) == n) return true;
            at = parentOf(size_t(at));
        }
        return false;
    }
    const LwsScene& scene;
};

tinygltf::Camera gltfCamera(const SceneCamera& camera) {
    tinygltf::Camera out;
    out.name = camera.name.empty() ? "Camera" : camera.name;
    out.type = "perspective";
    constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
    out.perspective.yfov = lightWaveVerticalFieldOfView(camera) * kRadiansPerDegree;
    const double height = camera.frameHeight > 0.0f ? camera.frameHeight : 480.0;
    const double pixel = camera.pixelAspect > 0.0f ? camera.pixelAspect : 1.0;
    out.perspective.aspectRatio = (camera.frameWidth > 0.0f ? camera.frameWidth : 640.0) * pixel / height;
    out.perspective.znear = 0.1;
    out.perspective.zfar = 1000.0;
    return out;
}

tinygltf::Light gltfLight(const SceneLight& light) {
    constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
    constexpr double kQuarterTurn = 3.14159265358979323846 / 2.0;
    tinygltf::Light out;
    out.name = light.name;
    out.color = {light.lightColour[0], light.lightColour[1], light.lightColour[2]};
    out.intensity = std::max(0.0f, light.lightIntensity);
    const int type = int(light.lightType);
    out.type = type == 0 ? "directional" : type == 2 ? "spot" : "point";
    if (type == 2) {
        const double outer = std::clamp(light.coneAngle * kRadiansPerDegree, 1e-4, kQuarterTurn);
        out.spot.outerConeAngle = outer;
        out.spot.innerConeAngle = std::clamp((light.coneAngle - light.edgeAngle) * kRadiansPerDegree, 0.0, outer * 0.999);
    }
    return out;
}

}  // namespace

// Each item is a node moved by its motion, with a child node that takes its pivot off and
// holds what the item is (its mesh, the camera, its light) and the items parented to it.
void GltfExport::addScene(const LwsScene& scene) {
    const ItemNumbering numbering(scene);
    std::vector<int> itemNodes, pivotNodes;
    for (size_t n = 0; n < numbering.count(); ++n) {
        const SceneItem& source = numbering.item(n);
        tinygltf::Node item, pivot;
        item.name = n == numbering.camera() && source.name.empty() ? "Camera" : baseName(source.name);
        setTransform(item, source, valuesAt(scene, source, scene.firstFrame));
        pivot.name = item.name + " pivot";
        pivot.translation = {-source.pivot[0], -source.pivot[1], source.pivot[2]};
        if (n < scene.objects.size()) {
            if (!source.isNull && source.shown && source.mesh && !source.mesh->polygons.empty()) {
                pivot.mesh = addMesh(*source.mesh, item.name, -1);
            }
        } else if (numbering.isLight(n)) {
            model_.lights.push_back(gltfLight(scene.lights[n - numbering.camera() - 1]));
            pivot.extensions["KHR_lights_punctual"] = lightReference(int(model_.lights.size()) - 1);
        } else {
            model_.cameras.push_back(gltfCamera(scene.camera));
            pivot.camera = int(model_.cameras.size()) - 1;
        }
        model_.nodes.push_back(pivot);
        pivotNodes.push_back(int(model_.nodes.size()) - 1);
        item.children.push_back(pivotNodes.back());
        model_.nodes.push_back(item);
        itemNodes.push_back(int(model_.nodes.size()) - 1);
        addItemMotion(scene, source, itemNodes.back());
    }
    for (size_t n = 0; n < numbering.count(); ++n) {
        const int64_t parent = numbering.parentsLoop(n) ? -1 : numbering.parentOf(n);
        if (parent >= 0) model_.nodes[size_t(pivotNodes[size_t(parent)])].children.push_back(itemNodes[n]);
        else model_.scenes[0].nodes.push_back(itemNodes[n]);
    }
}

tinygltf::Model& GltfExport::finish() {
    if (!animation_.channels.empty()) {
        animation_.name = "Scene";
        model_.animations.push_back(animation_);
        animation_ = tinygltf::Animation();
    }
    if (!data_.empty()) {
        tinygltf::Buffer buffer;
        buffer.data = data_;
        model_.buffers.push_back(buffer);
    }
    if (!model_.lights.empty()) model_.extensionsUsed.push_back("KHR_lights_punctual");
    return model_;
}
