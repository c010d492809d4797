// The embedded asset table (order, sizes, formats read from the bytes themselves) and the
// scratch-file helpers start-up hands the blobs through.
#include "assets/embedded_assets.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/gl_test_context.h"
#include "tests/support/temp_folder.h"
#include "texture/jpeg_texture.h"

namespace {

struct Expected {
    const char* name;
    size_t size;
    int width;
    int height;
};

// The table as the program's design fixes it.
const Expected kExpected[embeddedAssetCount] = {
    {"pic01.jpg", 43935, 800, 600}, {"pic02.jpg", 56134, 800, 600}, {"pic03.jpg", 29095, 800, 600},
    {"pic04.jpg", 1055, 128, 128},  {"pic05.jpg", 16821, 320, 200}, {"pic06.jpg", 8355, 320, 200},
    {"pic07.jpg", 13676, 320, 200}, {"pic08.jpg", 15908, 320, 200}, {"pic09.jpg", 50873, 800, 600},
    {"pic10.jpg", 80566, 800, 600}, {"pic11.jpg", 42429, 800, 600}, {"tube.lwo", 34760, 0, 0},
    {"knot.lwo", 59552, 0, 0},
};

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool fileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string scratchPath(const char* name) { return testsupport::tempPath(std::string("assets_") + name); }

// What the markers of a JPEG say, walked without the decoder.
struct JpegFacts {
    bool startsWithSoi = false;
    bool endsWithEoi = false;
    bool jfif = false;
    int frameTypes = 0;  // number of start-of-frame segments
    int frameType = -1;  // 0 = baseline
    int precision = 0;
    int width = 0;
    int height = 0;
    int components = 0;
    std::string problem;
};

JpegFacts walkJpegMarkers(const EmbeddedAsset& asset) {
    JpegFacts facts;
    const unsigned char* b = asset.bytes;
    const size_t n = asset.size;
    facts.startsWithSoi = n >= 2 && b[0] == 0xFF && b[1] == 0xD8;
    facts.endsWithEoi = n >= 2 && b[n - 2] == 0xFF && b[n - 1] == 0xD9;
    size_t at = 2;
    while (at + 4 <= n) {
        if (b[at] != 0xFF) {
            facts.problem = "no marker at " + std::to_string(at);
            break;
        }
        const int marker = b[at + 1];
        const size_t length = static_cast<size_t>(b[at + 2]) << 8 | b[at + 3];
        if (length < 2 || at + 2 + length > n) {
            facts.problem = "segment overruns at " + std::to_string(at);
            break;
        }
        const unsigned char* body = b + at + 4;
        if (marker == 0xE0 && length >= 7 && std::memcmp(body, "JFIF", 5) == 0) facts.jfif = true;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            ++facts.frameTypes;
            facts.frameType = marker - 0xC0;
            facts.precision = body[0];
            facts.height = body[1] << 8 | body[2];
            facts.width = body[3] << 8 | body[4];
            facts.components = body[5];
        }
        if (marker == 0xDA) break;  // entropy-coded data follows
        at += 2 + length;
    }
    return facts;
}

TEST(EmbeddedAssets, TableOrderSizesAndRoles) {
    const auto& table = embeddedAssets();
    for (int i = 0; i < embeddedAssetCount; ++i) {
        SCOPED_TRACE(kExpected[i].name);
        EXPECT_STREQ(table[i].name, kExpected[i].name);
        EXPECT_EQ(table[i].size, kExpected[i].size);
        EXPECT_EQ(table[i].width, kExpected[i].width);
        EXPECT_EQ(table[i].height, kExpected[i].height);
        EXPECT_EQ(table[i].kind, i < assetTubeObject ? AssetKind::Jpeg : AssetKind::Lwo2);
        EXPECT_EQ(&embeddedAsset(i), &table[i]);
    }
    EXPECT_STREQ(embeddedAsset(assetActOneTextureA).role, "actOneTextureA");
    EXPECT_STREQ(embeddedAsset(assetParticleTexture).role, "particleTexture");
    EXPECT_STREQ(embeddedAsset(assetFinale0).role, "finaleTextures[0]");
    EXPECT_STREQ(embeddedAsset(assetKnotObject).role, "knotMesh");
}

TEST(EmbeddedAssets, IndexOutsideTheTableGivesAnEmptyAsset) {
    for (int index : {-1, int(embeddedAssetCount), 1000}) {
        EXPECT_EQ(embeddedAsset(index).size, 0u);
        EXPECT_EQ(embeddedAsset(index).bytes, nullptr);
    }
}

TEST(EmbeddedAssets, BlobsAreTheFilesInTheSourceTree) {
    for (const EmbeddedAsset& asset : embeddedAssets()) {
        const std::vector<unsigned char> file = readFile(std::string(DEMO_SOURCE_DIR) + "/assets/data/" + asset.name);
        ASSERT_EQ(file.size(), asset.size) << asset.name;
        EXPECT_EQ(std::memcmp(file.data(), asset.bytes, asset.size), 0) << asset.name;
    }
}

TEST(EmbeddedAssets, PicturesAreBaselineJfifWithTheirTableSize) {
    for (int i = 0; i < assetTubeObject; ++i) {
        const EmbeddedAsset& asset = embeddedAsset(i);
        SCOPED_TRACE(asset.name);
        const JpegFacts facts = walkJpegMarkers(asset);
        EXPECT_EQ(facts.problem, "");
        EXPECT_TRUE(facts.startsWithSoi);
        EXPECT_TRUE(facts.endsWithEoi);
        EXPECT_TRUE(facts.jfif);
        EXPECT_EQ(facts.frameTypes, 1);
        EXPECT_EQ(facts.frameType, 0) << "baseline";
        EXPECT_EQ(facts.precision, 8);
        EXPECT_EQ(facts.components, 3);
        EXPECT_EQ(facts.width, asset.width);
        EXPECT_EQ(facts.height, asset.height);
        std::string error;
        const auto image = decodeJpegMemory(asset.bytes, asset.size, &error);
        ASSERT_TRUE(image) << error;
        EXPECT_EQ(image->width, asset.width);
        EXPECT_EQ(image->height, asset.height);
    }
}

TEST(EmbeddedAssets, SpriteIsBlackAtItsEdges) {
    // Drawn additively, any light in the corners would show the sprite's square outline.
    const EmbeddedAsset& sprite = embeddedAsset(assetParticleTexture);
    const auto image = decodeJpegMemory(sprite.bytes, sprite.size);
    ASSERT_TRUE(image);
    int brightest = 0;
    for (int y = 0; y < image->height; ++y)
        for (int x : {0, image->width - 1})
            for (int c = 0; c < 3; ++c)
                brightest = std::max<int>(brightest, image->pixels[y * image->rowBytes + x * 3 + c]);
    EXPECT_LE(brightest, 6);
    const unsigned char* centre = &image->pixels[64 * image->rowBytes + 64 * 3];
    EXPECT_GE(centre[0], 240);
}

TEST(EmbeddedAssets, ObjectsAreCompleteLwo2Forms) {
    for (int i : {int(assetTubeObject), int(assetKnotObject)}) {
        const EmbeddedAsset& asset = embeddedAsset(i);
        SCOPED_TRACE(asset.name);
        ASSERT_GE(asset.size, 12u);
        EXPECT_EQ(std::memcmp(asset.bytes, "FORM", 4), 0);
        EXPECT_EQ(std::memcmp(asset.bytes + 8, "LWO2", 4), 0);
        const size_t formSize = static_cast<size_t>(asset.bytes[4]) << 24 | asset.bytes[5] << 16 |
                                asset.bytes[6] << 8 | asset.bytes[7];
        EXPECT_EQ(formSize + 8, asset.size);
    }
}

TEST(AssetFiles, WriteGivesExactlyTheBlobAndOverwritesALongerFile) {
    const std::string path = scratchPath("pl");
    std::ofstream(path, std::ios::binary) << std::string(100000, 'x');
    const EmbeddedAsset& asset = embeddedAsset(assetParticleTexture);
    ASSERT_TRUE(writeAssetFile(path.c_str(), asset.bytes, asset.size));
    const std::vector<unsigned char> written = readFile(path);
    ASSERT_EQ(written.size(), asset.size);
    EXPECT_EQ(std::memcmp(written.data(), asset.bytes, asset.size), 0);
    EXPECT_TRUE(deleteAssetFile(path.c_str()));
    EXPECT_FALSE(fileExists(path));
    EXPECT_FALSE(deleteAssetFile(path.c_str())) << "nothing left to remove";
}

TEST(AssetFiles, EmptyBlobMakesAnEmptyFile) {
    const std::string path = scratchPath("empty");
    const unsigned char none = 0;
    ASSERT_TRUE(writeAssetFile(path.c_str(), &none, 0));
    EXPECT_TRUE(readFile(path).empty());
    EXPECT_TRUE(deleteAssetFile(path.c_str()));
}

TEST(AssetFiles, UnwritablePathIsReported) {
    const EmbeddedAsset& asset = embeddedAsset(assetActOneTextureA);
    EXPECT_FALSE(writeAssetFile("/nonexistent-folder/pl", asset.bytes, asset.size));
    EXPECT_FALSE(writeAssetFile(testsupport::tempFolder().c_str(), asset.bytes, asset.size)) << "a directory";
}

TEST(AssetFiles, FullDiskIsNotReportedAsWritten) {
    if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    const EmbeddedAsset& asset = embeddedAsset(assetFinale1);
    EXPECT_FALSE(writeAssetFile("/dev/full", asset.bytes, asset.size));
}

// Draws one texture upright into a cell of the 800x600 view (pixels, origin bottom-left).
void drawCell(GLuint texture, int x, int y, int size) {
    const float x0 = x / 400.0f - 1, y0 = y / 300.0f - 1;
    const float x1 = (x + size) / 400.0f - 1, y1 = (y + size) / 300.0f - 1;
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);  // the picture's last row at the cell's bottom
    glVertex2f(x0, y0);
    glTexCoord2f(1, 1);
    glVertex2f(x1, y0);
    glTexCoord2f(1, 0);
    glVertex2f(x1, y1);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y1);
    glEnd();
}

TEST(AssetFiles, EveryPictureLoadsThroughTheScratchFileAsAtStartUp) {
    REQUIRE_GL();
    const std::string path = scratchPath("pl");
    glEnable(GL_TEXTURE_2D);
    constexpr int kCell = 190;
    for (int i = 0; i < assetTubeObject; ++i) {
        const EmbeddedAsset& asset = embeddedAsset(i);
        GLuint texture = 0;
        ASSERT_TRUE(writeAssetFile(path.c_str(), asset.bytes, asset.size));
        EXPECT_FALSE(loadJpegTexture(path.c_str(), texture)) << asset.name;
        EXPECT_TRUE(deleteAssetFile(path.c_str()));
        ASSERT_NE(texture, 0u) << asset.name;
        const int x = 10 + (i % 4) * 200, y = 600 - 200 * (i / 4 + 1);
        drawCell(texture, x, y, kCell);
        // Every picture shows something somewhere along its cell's diagonal.
        int brightest = 0;
        for (int step = 0; step < kCell; step += 5) {
            const testsupport::Rgb p = testsupport::readPixel(x + step, y + step);
            brightest = std::max({brightest, p.r, p.g, p.b});
        }
        EXPECT_GT(brightest, 60) << asset.name;
    }
    EXPECT_FALSE(fileExists(path));
    // A contact sheet to look at: pictures 1-4 on the top row, 9-11 at the bottom.
    testsupport::saveForLooking("assets_contact_sheet.png");
}

}  // namespace
