#include "app/startup.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "app/picture_sets.h"
#include "assets/embedded_assets.h"
#include "fx/outline_font.h"
#include "files/file_system.h"
#include "texture/jpeg_texture.h"

namespace {

constexpr int kParticleCount = 1920;
constexpr float kSheetAmplitude = 4.0f;

// The scratch names: one for every picture in turn, one for both objects.
constexpr const char* kPictureScratch = "pl";
constexpr const char* kObjectScratch = "tryb";

// Where the blobs wait for their loaders, one file at a time: in memory, or in a directory
// only this user can enter, removed with whatever is left in it when this goes out of scope.
class ScratchSpace {
public:
    explicit ScratchSpace(const std::string& parent) {
        if (!parent.empty() || !files::memoryFilesWork()) makeDirectory(parent);
    }
    ~ScratchSpace() {
        remove();
        if (!directory_.empty()) files::removeEmptyFolder(directory_);
    }
    ScratchSpace(const ScratchSpace&) = delete;
    ScratchSpace& operator=(const ScratchSpace&) = delete;

    const std::string& error() const { return error_; }

    // Replaces the current file with a new one called `name` and returns the path to write it
    // at; empty, with the reason in *cause, when there is none.
    std::string create(const char* name, std::string* cause) {
        remove();
        if (!directory_.empty()) return path_ = directory_ + "/" + name;
        memoryFile_ = files::makeMemoryFile(name);
        if (memoryFile_ >= 0) return path_ = files::memoryFilePath(memoryFile_);
        *cause = std::string("cannot make an in-memory scratch file: ") + std::strerror(errno);
        return {};
    }

    // Once the loaders have read the current file. An in-memory file goes with its descriptor.
    void remove() {
        if (memoryFile_ >= 0) {
            files::closeMemoryFile(memoryFile_);
        } else if (!path_.empty()) {
            deleteAssetFile(path_.c_str());
        }
        memoryFile_ = -1;
        path_.clear();
    }

private:
    void makeDirectory(std::string parent) {
        if (parent.empty()) parent = files::temporaryFolder();
        const std::string error = files::makeUniqueFolder(parent + "/demo-startup-", directory_);
        if (!error.empty()) error_ = "cannot make a scratch directory in " + parent + ": " + error;
    }

    std::string directory_;  // empty while the files are in memory
    std::string path_;       // of the current file, empty when there is none
    int memoryFile_ = -1;
    std::string error_;
};

GLuint* pictureSlot(ShowState& state, int asset) {
    switch (asset) {
        case assetActOneTextureA: return &state.actOneTextureA;
        case assetActOneTextureB: return &state.actOneTextureB;
        case assetActOneTextureC: return &state.actOneTextureC;
        case assetParticleTexture: return &state.particleTexture;
        case assetThumbnail0:
        case assetThumbnail1:
        case assetThumbnail2:
        case assetThumbnail3: return &state.thumbnailTextures[asset - assetThumbnail0];
        case assetFinale0:
        case assetFinale1:
        case assetFinale2: return &state.finaleTextures[asset - assetFinale0];
        default: return nullptr;
    }
}

// One line on stderr about an embedded asset: "invitation: pic09.jpg (finaleTextures[0]): <what>".
void reportAsset(int asset, const std::string& what) {
    const EmbeddedAsset& blob = embeddedAsset(asset);
    std::fprintf(stderr, "invitation: %s (%s): %s\n", blob.name, blob.role, what.c_str());
}

// Writes the blob to a new scratch file and returns its path. When that fails it says why and
// returns an empty path, which opens nothing: the loaders then find no file, as for a missing
// one, and leave their slots empty without a word of their own.
std::string stage(ScratchSpace& scratch, const char* name, int asset, ScratchWriter writer) {
    std::string cause;
    const std::string path = scratch.create(name, &cause);
    if (!path.empty()) {
        const EmbeddedAsset& blob = embeddedAsset(asset);
        errno = 0;
        if (writer(path.c_str(), blob.bytes, blob.size)) return path;
        cause = "cannot write its scratch file " + path + ": " +
                (errno ? std::strerror(errno) : "not every byte was written");
        scratch.remove();
    }
    reportAsset(asset, cause + "; left out");
    return {};
}

// Why the picture loader refused the scratch file, said again of the asset: the loader names
// only the scratch path (and says nothing of a file it cannot read).
std::string whyPictureFailed(const std::string& path) {
    return decodeJpegPath(path).error + "; left out";
}

// The folder of the larger pictures for the show's frame; empty for the embedded ones.
std::string largerPictures(const Show& show, const std::string& searchFirst) {
    const int set = pictureSetFor(show.frame);
    if (set == 1) return {};
    const std::string folder = findPictureSet(set, searchFirst);
    if (folder.empty())
        std::fprintf(stderr, "invitation: the pictures painted at %dx are not installed; the show uses its own\n", set);
    return folder;
}

void loadPictures(Show& show, ScratchSpace& scratch, const StartupOptions& options) {
    const std::string larger = largerPictures(show, options.pictureFolder);
    for (int asset = assetActOneTextureA; asset <= assetFinale2; ++asset) {
        GLuint& slot = *pictureSlot(show.state, asset);
        if (!larger.empty()) {
            const std::string file = larger + "/" + embeddedAsset(asset).name;
            if (loadJpegTextureAtFullSize(file.c_str(), slot)) reportAsset(asset, decodeJpegPath(file).error);
            // The glow only binds its copy, never draws it: the small embedded one does.
            if (asset != assetFinale0) continue;
        }
        const std::string path = stage(scratch, kPictureScratch, asset, options.writeScratch);
        if (larger.empty() && loadJpegTexture(path.c_str(), slot) && !path.empty())
            reportAsset(asset, whyPictureFailed(path));
        // The glow keeps its own copy of the first finale picture, read while the file exists.
        // Its failure is the slot's, reported just above; the glow then keeps an empty name.
        if (asset == assetFinale0) static_cast<void>(show.glow.loadGlow(path.c_str(), show.frame));
        scratch.remove();
    }
}

// A write that failed was reported already; the reader's error locates anything else.
void reportUnloadedObject(int asset, const std::string& path, const std::string& error) {
    if (!path.empty() && !error.empty()) reportAsset(asset, error);
}

void loadObjects(Show& show, ScratchSpace& scratch, ScratchWriter writer) {
    std::string path = stage(scratch, kObjectScratch, assetTubeObject, writer);
    show.tubeEffect.reset(new (std::nothrow) TubeEffect);
    // The show's objects load their clip pictures as JPEG textures (an object has no loader
    // unless given one).
    if (show.tubeEffect) show.tubeEffect->mesh.clipTextureLoader = loadJpegTexture;
    if (show.tubeEffect && show.tubeEffect->loadTubeEffect(path.c_str(), show.state.particleTexture))
        reportUnloadedObject(assetTubeObject, path, show.tubeEffect->mesh.lastError());
    scratch.remove();

    path = stage(scratch, kObjectScratch, assetKnotObject, writer);
    show.knotMesh.clipTextureLoader = loadJpegTexture;
    if (show.knotMesh.load(path.c_str()))
        reportUnloadedObject(assetKnotObject, path, show.knotMesh.lastError());
    show.knotMesh.prepareVertexArray();
    scratch.remove();
}

}  // namespace

std::string loadShow(Show& show, const StartupOptions& options) {
    ScratchSpace scratch(options.scratchParent);
    if (!scratch.error().empty()) return scratch.error();

    buildOutlineFont(show.state);
    loadPictures(show, scratch, options);
    show.state.scrollerTexture = createCaptureTexture(show.frame.block);
    show.particles.scatterParticles(kParticleCount, show.state.particleTexture);
    show.sheet.buildSheetGrid(kSheetAmplitude);
    loadObjects(show, scratch, options.writeScratch);
    return {};
}

void releaseShow(Show& show) {
    show.tubeEffect.reset();
    deleteOutlineFont(show.state);
}
