// The thirteen pictures and objects that ship inside the program, in the order start-up loads
// them, and the scratch-file helpers that hand them to the file-based loaders.
//
// The bytes are compiled in (generated from assets/data/ at build time) and live for the whole
// run; nobody frees them. Sizes are in bytes; picture sizes in pixels (0 for objects).
#pragma once

#include <array>
#include <cstddef>

enum class AssetKind { Jpeg, Lwo2 };

struct EmbeddedAsset {
    const char* name;  // the file it was made from, e.g. "pic01.jpg"
    const unsigned char* bytes;
    size_t size;
    AssetKind kind;
    int width;  // pictures only
    int height;
    const char* role;  // where start-up puts it, e.g. "actOneTextureA"
};

// Positions in the table, which is also the loading order.
enum EmbeddedAssetId : int {
    assetActOneTextureA,
    assetActOneTextureB,
    assetActOneTextureC,
    assetParticleTexture,
    assetThumbnail0,
    assetThumbnail1,
    assetThumbnail2,
    assetThumbnail3,
    assetFinale0,  // also the glow effect's own picture
    assetFinale1,
    assetFinale2,
    assetTubeObject,
    assetKnotObject,
    embeddedAssetCount
};

const std::array<EmbeddedAsset, embeddedAssetCount>& embeddedAssets();

// The asset at `index`; an index outside the table gives an empty asset (no bytes, size 0).
const EmbeddedAsset& embeddedAsset(int index);

// Writes the blob to `path`, creating or truncating the file. False when the file cannot be
// opened, or when the bytes do not all reach it (a full disk), so a short file is never
// reported as written.
bool writeAssetFile(const char* path, const unsigned char* bytes, size_t size);

// Removes the file; true when it was removed.
bool deleteAssetFile(const char* path);
