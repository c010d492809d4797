#include "assets/embedded_assets.h"

#include <cstdio>

// Defined in the sources generated from assets/data/ (see embed_blob.cmake).
namespace embedded_blobs {
extern const unsigned char pic01[], pic02[], pic03[], pic04[], pic05[], pic06[], pic07[], pic08[],
    pic09[], pic10[], pic11[], tube[], knot[];
extern const size_t pic01Size, pic02Size, pic03Size, pic04Size, pic05Size, pic06Size, pic07Size,
    pic08Size, pic09Size, pic10Size, pic11Size, tubeSize, knotSize;
}  // namespace embedded_blobs

const std::array<EmbeddedAsset, embeddedAssetCount>& embeddedAssets() {
    using namespace embedded_blobs;
    using K = AssetKind;
    static const std::array<EmbeddedAsset, embeddedAssetCount> table{{
        {"pic01.jpg", pic01, pic01Size, K::Jpeg, 800, 600, "actOneTextureA"},
        {"pic02.jpg", pic02, pic02Size, K::Jpeg, 800, 600, "actOneTextureB"},
        {"pic03.jpg", pic03, pic03Size, K::Jpeg, 800, 600, "actOneTextureC"},
        {"pic04.jpg", pic04, pic04Size, K::Jpeg, 128, 128, "particleTexture"},
        {"pic05.jpg", pic05, pic05Size, K::Jpeg, 320, 200, "thumbnailTextures[0]"},
        {"pic06.jpg", pic06, pic06Size, K::Jpeg, 320, 200, "thumbnailTextures[1]"},
        {"pic07.jpg", pic07, pic07Size, K::Jpeg, 320, 200, "thumbnailTextures[2]"},
        {"pic08.jpg", pic08, pic08Size, K::Jpeg, 320, 200, "thumbnailTextures[3]"},
        {"pic09.jpg", pic09, pic09Size, K::Jpeg, 800, 600, "finaleTextures[0]"},
        {"pic10.jpg", pic10, pic10Size, K::Jpeg, 800, 600, "finaleTextures[1]"},
        {"pic11.jpg", pic11, pic11Size, K::Jpeg, 800, 600, "finaleTextures[2]"},
        {"tube.lwo", tube, tubeSize, K::Lwo2, 0, 0, "tubeEffect"},
        {"knot.lwo", knot, knotSize, K::Lwo2, 0, 0, "knotMesh"},
    }};
    return table;
}

const EmbeddedAsset& embeddedAsset(int index) {
    static const EmbeddedAsset none{"", nullptr, 0, AssetKind::Jpeg, 0, 0, ""};
    if (index < 0 || index >= embeddedAssetCount) return none;
    return embeddedAssets()[static_cast<size_t>(index)];
}

bool writeAssetFile(const char* path, const unsigned char* bytes, size_t size) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    const bool written = size == 0 || std::fwrite(bytes, 1, size, file) == size;
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

bool deleteAssetFile(const char* path) { return std::remove(path) == 0; }
