// Loading the objects a scene names, and their pictures, from its content folder.
#include "scene/lws_scene.h"

#include "files/whole_file.h"
#include "texture/jpeg_texture.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
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

}  // namespace

// Names from a file are confined to the content folder (or the wider folder the caller allows):
// a scene may not make the reader open whatever it points at ("../../../../etc/passwd",
// "/dev/zero", a link out of the folder). The check here gives the refusal its words; the open
// itself (files::readWholeFileBeneath) is what keeps a link swapped in after it from counting.
LwsScene::ContentFile LwsScene::contentFile(const std::string& name) const {
    ContentFile file;
    // Scenes written on Windows name objects with backslashes.
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const std::string folder = contentDir.empty() ? std::string(".") : contentDir;
    file.path = !relative.empty() && relative[0] == '/' ? relative : folder + "/" + relative;
    // The system would open the name only up to a NUL byte, not the path checked here.
    if (file.path.find('\0') != std::string::npos) {
        file.refusal = "its name holds a NUL byte";
        return file;
    }
    std::error_code failed;
    const fs::path content = resolvedPath(folder, failed);
    const fs::path allowed = failed || allowDir.empty() ? content : resolvedPath(allowDir, failed);
    const fs::path target = failed ? fs::path() : resolvedPath(file.path, failed);
    if (failed) {
        file.refusal = "its path cannot be resolved: " + failed.message();
    } else if (isWithin(content, target) || isWithin(allowed, target)) {
        file.folder = (isWithin(content, target) ? content : allowed).string();
        file.beneath = target.lexically_relative(file.folder).string();
    } else {
        file.refusal = "it leads to " + target.string() + ", outside the content folder " +
                       content.string() +
                       (allowDir.empty() ? " (--allow DIR trusts a folder that holds both)"
                                         : " and the allowed folder " + allowed.string());
    }
    return file;
}

// Objects name their pictures as they lay on the modeller's machine ("Q:Images/sky.jpg"); where
// that path is not in the content folder, the picture is looked for there by its own name.
LwsScene::ContentFile LwsScene::clipFile(const std::string& name) const {
    ContentFile asGiven = contentFile(name);
    std::error_code ignored;
    const size_t cut = name.find_last_of("/\\:");
    if (cut == std::string::npos || (asGiven.refusal.empty() && fs::exists(asGiven.path, ignored))) {
        return asGiven;
    }
    return contentFile(name.substr(cut + 1));
}

// The whole file, read beneath its folder; the reason it was not, worded to follow its path.
// An object's file counts against what the scene's objects may hold; a picture is given to GL
// and let go.
std::string LwsScene::readContentFile(const ContentFile& file, size_t maxBytes,
                                      std::vector<uint8_t>& bytes, bool isObject) {
    size_t size = 0;
    const size_t cap =
        isObject ? std::min(maxBytes, static_cast<size_t>(std::max<int64_t>(maxObjectBytes - objectBytes_, 0)))
                 : maxBytes;
    std::string why = files::readWholeFileBeneath(file.folder, file.beneath, cap, bytes, &size);
    if (why.empty()) {
        if (isObject) objectBytes_ += static_cast<int64_t>(size);
    } else if (size > cap && size <= maxBytes) {
        why = "its " + std::to_string(size) + " bytes would pass the " +
              std::to_string(maxObjectBytes) + " bytes the files of one scene's objects may hold (" +
              std::to_string(cap) + " are left)";
    }
    return why;
}

// Items that name the same file and layer share one loaded object, and repeat its reasons at
// their own lines.
void LwsScene::loadMeshes() {
    objectBytes_ = 0;
    std::map<std::string, LoadedObject> loaded;
    auto load = [&](std::shared_ptr<LwoObject>& mesh, const std::string& name, int32_t layer,
                    int32_t line, const char* textureName) {
        endProgressLine();
        const ContentFile file = contentFile(name);
        const std::string key = file.refusal.empty()
                                    ? std::to_string(layer) + " " + file.folder + "/" + file.beneath
                                    : std::string();
        auto found = key.empty() ? loaded.end() : loaded.find(key);
        if (found == loaded.end()) {
            LoadedObject object = loadObjectFile(file, textureName);
            found = loaded.emplace(key.empty() ? "\n" + name : key, std::move(object)).first;
        }
        mesh = found->second.mesh;
        const std::string where =
            sourceName_ + ": line " + std::to_string(line) + ": object " + name;
        for (const std::string& reason : found->second.reasons) {
            objectErrors_.push_back(where + reason);
            report(objectErrors_.back());
        }
        // The object reader's own texts ("nie ma go!!!") are progress too, passed on after the
        // object's reasons so a reason stays a line of its own where both share a stream.
        const std::string said = std::move(found->second.progressText);
        if (progress && !said.empty()) {
            *progress << said << std::flush;
            progressMidLine_ = said.back() != '\n';
        }
    };
    for (SceneItem& object : objects) {
        if (!object.isNull) load(object.mesh, object.name, object.layerNumber, object.line, nullptr);
    }
    for (SceneObjectV1& object : v1Objects) {
        load(object.mesh, object.name, 0, object.line, kVersion1Texture);
    }
}

LwsScene::LoadedObject LwsScene::loadObjectFile(const ContentFile& file, const char* textureName) {
    LoadedObject loaded;
    if (!file.refusal.empty()) {
        loaded.reasons.push_back(" refused: " + file.refusal);
        return loaded;
    }
    auto mesh = std::make_shared<LwoObject>();
    std::ostringstream said;
    mesh->diagnostics = &said;
    // Clip pictures are looked up here, in the content folder, not where the process runs.
    mesh->clipTextureLoader = nullptr;
    mesh->fileReader = [&](const char*, std::vector<uint8_t>& bytes) {
        return readContentFile(file, kMaxObjectFileBytes, bytes, true);
    };
    const bool failed = mesh->load(file.path.c_str());
    mesh->fileReader = nullptr;
    mesh->diagnostics = progress;
    if (failed) {
        const std::string& why = mesh->lastError();
        loaded.reasons.push_back(" not loaded: " + (why.empty() ? file.path + ": cannot be read" : why));
    } else {
        if (loadTextures) loadTexture(*mesh, textureName, loaded.reasons);
        loaded.mesh = std::move(mesh);
    }
    loaded.progressText = said.str();
    return loaded;
}

// A version 1 scene draws every object with its one picture; later scenes with the picture the
// object names (an LWOB or LWO3 surface's own, else its first clip, even one without a file name,
// which is then reported as not loaded).
void LwsScene::loadTexture(LwoObject& mesh, const char* textureName,
                           std::vector<std::string>& reasons) {
    const std::string picture = mesh.pictureFile();
    if (!textureName && picture.empty() && mesh.reader.clips.empty()) return;
    const ContentFile file = textureName ? contentFile(textureName) : clipFile(picture);
    if (!file.refusal.empty()) {
        reasons.push_back(": texture " + file.path + " refused: " + file.refusal);
        return;
    }
    std::vector<uint8_t> bytes;
    std::unique_ptr<DecodedImage> image;
    if (readContentFile(file, kMaxJpegFileBytes, bytes, false).empty()) {
        image = decodeJpegMemory(bytes.data(), bytes.size());
    }
    if (!image) {
        reasons.push_back(": texture " + file.path + " not loaded");
        return;
    }
    // A version 1 picture is filtered through its mipmaps, an object's own linearly.
    mesh.texture = uploadJpegTexture(*image, textureName != nullptr);
}
