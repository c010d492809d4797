#include "app/startup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "assets/embedded_assets.h"
#include "fx/outline_font.h"
#include "texture/jpeg_texture.h"

namespace {

constexpr int kParticleCount = 1920;
constexpr float kSheetAmplitude = 4.0f;

// A directory only this user can enter, with the two fixed scratch names inside; removed,
// with whatever is left in it, when it goes out of scope.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& parent) {
        std::string base = parent;
        if (base.empty()) {
            const char* tmp = std::getenv("TMPDIR");
            base = tmp && *tmp ? tmp : "/tmp";
        }
        std::string pattern = base + "/demo-startup-XXXXXX";
        if (mkdtemp(pattern.data())) {
            path_ = pattern;
        } else {
            error_ = "cannot make a scratch directory in " + base + ": " + std::strerror(errno);
        }
    }
    ~ScratchDirectory() {
        if (path_.empty()) return;
        std::remove(picturePath().c_str());
        std::remove(objectPath().c_str());
        rmdir(path_.c_str());
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& error() const { return error_; }
    std::string picturePath() const { return path_ + "/pl"; }
    std::string objectPath() const { return path_ + "/tryb"; }

private:
    std::string path_;
    std::string error_;
};

GLuint* pictureSlot(int asset) {
    switch (asset) {
        case assetActOneTextureA: return &actOneTextureA;
        case assetActOneTextureB: return &actOneTextureB;
        case assetActOneTextureC: return &actOneTextureC;
        case assetParticleTexture: return &particleTexture;
        case assetThumbnail0:
        case assetThumbnail1:
        case assetThumbnail2:
        case assetThumbnail3: return &thumbnailTextures[asset - assetThumbnail0];
        case assetFinale0:
        case assetFinale1:
        case assetFinale2: return &finaleTextures[asset - assetFinale0];
        default: return nullptr;
    }
}

bool writeScratch(const std::string& path, int asset) {
    const EmbeddedAsset& blob = embeddedAsset(asset);
    return writeAssetFile(path.c_str(), blob.bytes, blob.size);
}

void loadPictures(Show& show, const std::string& path) {
    for (int asset = assetActOneTextureA; asset <= assetFinale2; ++asset) {
        writeScratch(path, asset);
        loadJpegTexture(path.c_str(), *pictureSlot(asset));
        // The glow keeps its own copy of the first finale picture, read while the file exists.
        if (asset == assetFinale0) show.glow.loadGlow(path.c_str(), show.frame);
        deleteAssetFile(path.c_str());
    }
}

void reportObjectError(const char* what, const std::string& error) {
    if (!error.empty()) std::fprintf(stderr, "demo: %s: %s\n", what, error.c_str());
}

void loadObjects(Show& show, const std::string& path) {
    writeScratch(path, assetTubeObject);
    show.tubeEffect.reset(new (std::nothrow) TubeEffect);
    if (show.tubeEffect && show.tubeEffect->loadTubeEffect(path.c_str(), particleTexture))
        reportObjectError("tube object", show.tubeEffect->mesh.lastError());
    deleteAssetFile(path.c_str());

    writeScratch(path, assetKnotObject);
    if (show.knotMesh.load(path.c_str())) reportObjectError("knot object", show.knotMesh.lastError());
    show.knotMesh.prepareVertexArray();
    deleteAssetFile(path.c_str());
}

}  // namespace

std::string loadShow(Show& show, const StartupOptions& options) {
    ScratchDirectory scratch(options.scratchParent);
    if (!scratch.error().empty()) return scratch.error();

    buildOutlineFont();
    loadPictures(show, scratch.picturePath());
    scrollerTexture = createCaptureTexture(show.frame.block);
    show.particles.scatterParticles(kParticleCount, particleTexture);
    show.sheet.buildSheetGrid(kSheetAmplitude);
    loadObjects(show, scratch.objectPath());
    return {};
}

void releaseShow(Show& show) {
    show.tubeEffect.reset();
    deleteOutlineFont();
}
