// Loading the objects a scene names, and their pictures, from its content folder.
#include "scene/lws_scene.h"

#include "texture/jpeg_texture.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sstream>

namespace {

const char* const kVersion1Texture = "scenede.jpg";

namespace fs = std::filesystem;

// Absolute, with symbolic links and ".." followed as far as the path exists (as opening it
// would follow them) and without a trailing separator, so "dir/" compares as "dir".
fs::path resolvedPath(const fs::path& path, std::error_code& failed) {
    fs::path out = fs::absolute(path, failed);
    if (!failed) out = fs::weakly_canonical(out, failed);
    if (!out.has_filename() && out.has_relative_path()) out = out.parent_path();
    return out;
}

// Component by component, so "/a/bc" is not inside "/a/b".
bool isWithin(const fs::path& folder, const fs::path& path) {
    return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first ==
           folder.end();
}

// Why `path` may not be opened for a scene whose content is in `folder`, or "".
std::string outsideFolder(const std::string& folder, const std::string& path) {
    // The system would open the name only up to a NUL byte, not the path checked here.
    if (path.find('\0') != std::string::npos) return "its name holds a NUL byte";
    std::error_code failed;
    const fs::path root = resolvedPath(folder, failed);
    const fs::path target = failed ? fs::path() : resolvedPath(path, failed);
    if (failed) return "its path cannot be resolved: " + failed.message();
    if (isWithin(root, target)) return "";
    return "it leads to " + target.string() + ", outside the content folder " + root.string();
}

}  // namespace

// Names from a file are confined to the content folder: a scene may not make the reader open
// whatever it points at ("../../../../etc/passwd", "/dev/zero", a link out of the folder).
std::string LwsScene::contentPath(const std::string& name, std::string& refusal) const {
    // Scenes written on Windows name objects with backslashes.
    std::string relative = name;
    for (char& c : relative) {
        if (c == '\\') c = '/';
    }
    const std::string folder = contentDir.empty() ? std::string(".") : contentDir;
    const std::string path =
        !relative.empty() && relative[0] == '/' ? relative : folder + "/" + relative;
    refusal = outsideFolder(folder, path);
    return path;
}

// Objects name their pictures as they lay on the modeller's machine ("Q:Images/sky.jpg"); where
// that path is not in the content folder, the picture is looked for there by its own name.
std::string LwsScene::clipPath(const std::string& name, std::string& refusal) const {
    const std::string asGiven = contentPath(name, refusal);
    std::error_code ignored;
    const size_t cut = name.find_last_of("/\\:");
    if (cut == std::string::npos || (refusal.empty() && fs::exists(asGiven, ignored))) {
        return asGiven;
    }
    return contentPath(name.substr(cut + 1), refusal);
}

void LwsScene::loadMeshes() {
    for (SceneItem& object : objects) {
        if (!object.isNull) loadObjectFile(object.mesh, object.name, object.line, nullptr);
    }
    for (SceneObjectV1& object : v1Objects) {
        loadObjectFile(object.mesh, object.name, object.line, kVersion1Texture);
    }
}

// The object reader's own texts ("nie ma go!!!") are progress too, and are passed on after the
// object's failure report, so that report stays a line of its own where both share a stream.
void LwsScene::loadObjectFile(LwoObject& mesh, const std::string& name, int32_t line,
                              const char* textureName) {
    endProgressLine();
    std::ostringstream said;
    mesh.diagnostics = &said;
    loadMesh(mesh, name, sourceName_ + ": line " + std::to_string(line) + ": object " + name,
             textureName);
    mesh.diagnostics = progress;
    if (!progress || said.str().empty()) return;
    *progress << said.str() << std::flush;
    progressMidLine_ = said.str().back() != '\n';
}

// `where` begins every reason: the scene, the line and the object ("a.lws: line 4: object x").
void LwsScene::loadMesh(LwoObject& mesh, const std::string& name, const std::string& where,
                        const char* textureName) {
    // Clip pictures are looked up here, in the content folder, not where the process runs.
    mesh.clipTextureLoader = nullptr;
    std::string refusal;
    const std::string path = contentPath(name, refusal);
    if (!refusal.empty()) {
        objectErrors_.push_back(where + " refused: " + refusal);
        report(objectErrors_.back());
        return;
    }
    if (mesh.load(path.c_str())) {
        const std::string& why = mesh.lastError();
        objectErrors_.push_back(where + " not loaded: " +
                                (why.empty() ? path + ": cannot be read" : why));
        report(objectErrors_.back());
        return;
    }
    if (loadTextures) loadTexture(mesh, where, textureName);
}

// A version 1 scene draws every object with its one picture; later scenes with the picture the
// object names (an LWOB or LWO3 surface's own, else its first clip, even one without a file name,
// which is then reported as not loaded).
void LwsScene::loadTexture(LwoObject& mesh, const std::string& where, const char* textureName) {
    const std::string picture = mesh.pictureFile();
    if (!textureName && picture.empty() && mesh.reader.clips.empty()) return;
    std::string refusal;
    const std::string texturePath =
        textureName ? contentPath(textureName, refusal) : clipPath(picture, refusal);
    if (!refusal.empty()) {
        objectErrors_.push_back(where + ": texture " + texturePath + " refused: " + refusal);
    } else if (textureName ? loadJpegTextureMipmapped(texturePath.c_str(), mesh.texture, 1)
                           : mesh.loadTexture(texturePath.c_str())) {
        objectErrors_.push_back(where + ": texture " + texturePath + " not loaded");
    } else {
        return;
    }
    report(objectErrors_.back());
}
