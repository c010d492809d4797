// Start-up's scratch files: in memory where Linux has them, so the temporary folder never sees
// one, with exactly the textures and meshes that files on disk give; and a blob that cannot be
// written or loaded is named on stderr with the cause, not left as a silent blank layer.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "assets/embedded_assets.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/temp_folder.h"
#include "texture/jpeg_texture.h"

namespace {

std::vector<GLuint> pictureSlots(const ShowState& state) {
    std::vector<GLuint> slots = {state.actOneTextureA, state.actOneTextureB, state.actOneTextureC,
                                 state.particleTexture};
    for (GLuint t : state.thumbnailTextures) slots.push_back(t);
    for (GLuint t : state.finaleTextures) slots.push_back(t);
    return slots;
}

// What a start-up produced, to compare one with another.
struct Loaded {
    std::vector<std::vector<unsigned char>> pictures;
    std::vector<float> knotVertices;
    size_t tubePolygons = 0;
};

Loaded loadWith(const StartupOptions& options) {
    Show show;
    EXPECT_EQ(loadShow(show, options), "");
    Loaded loaded;
    for (GLuint slot : pictureSlots(show.state)) loaded.pictures.push_back(testsupport::textureRgb(slot));
    loaded.knotVertices = show.knotMesh.vertexArray;
    if (show.tubeEffect) loaded.tubePolygons = show.tubeEffect->mesh.polygons.size();
    releaseShow(show);
    return loaded;
}

bool isEmptyFolder(const std::string& folder) { return std::filesystem::is_empty(folder); }

// The recording writer: where each blob went, and whether the folder was empty then.
std::vector<std::string> writtenPaths;
std::string watchedFolder;
bool folderStayedEmpty = true;

bool recordingWriter(const char* path, const unsigned char* bytes, size_t size) {
    writtenPaths.push_back(path);
    folderStayedEmpty = folderStayedEmpty && isEmptyFolder(watchedFolder);
    return writeAssetFile(path, bytes, size);
}

// The failing writer: no room for the first finale picture, half the knot object, a cut-off sprite.
bool failingWriter(const char* path, const unsigned char* bytes, size_t size) {
    if (bytes == embeddedAsset(assetFinale0).bytes) {
        errno = ENOSPC;
        return false;
    }
    if (bytes == embeddedAsset(assetKnotObject).bytes) return writeAssetFile(path, bytes, size / 2);
    if (bytes == embeddedAsset(assetParticleTexture).bytes) return writeAssetFile(path, bytes, 300);
    return writeAssetFile(path, bytes, size);
}

std::vector<std::string> linesNaming(const std::string& text, const std::string& name) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        if (line.find(name) != std::string::npos) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

TEST(Startup, InMemoryScratchFilesLeaveNothingBehindAndLoadWhatFilesOnDiskLoad) {
#ifndef __linux__
    GTEST_SKIP() << "in-memory scratch files are a Linux facility";
#endif
    REQUIRE_GL();
    watchedFolder = testsupport::tempPath("tmpdir");
    std::filesystem::create_directories(watchedFolder);
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    setenv("TMPDIR", watchedFolder.c_str(), 1);
    StartupOptions inMemory;
    inMemory.writeScratch = recordingWriter;
    const Loaded fromMemory = loadWith(inMemory);
    if (oldTmp) setenv("TMPDIR", savedTmp.c_str(), 1); else unsetenv("TMPDIR");

    ASSERT_EQ(writtenPaths.size(), size_t(embeddedAssetCount));
    for (const std::string& path : writtenPaths) {
        EXPECT_EQ(path.rfind("/proc/self/fd/", 0), 0u) << path;
        EXPECT_NE(access(path.c_str(), F_OK), 0) << path << " outlived start-up";
    }
    EXPECT_TRUE(folderStayedEmpty) << "a scratch file or directory appeared in $TMPDIR";
    EXPECT_TRUE(isEmptyFolder(watchedFolder));

    StartupOptions onDisk;
    onDisk.scratchParent = testsupport::tempPath("disk");
    std::filesystem::create_directories(onDisk.scratchParent);
    const Loaded fromDisk = loadWith(onDisk);
    ASSERT_EQ(fromMemory.pictures.size(), fromDisk.pictures.size());
    for (size_t i = 0; i < fromDisk.pictures.size(); ++i) {
        EXPECT_FALSE(fromDisk.pictures[i].empty()) << "picture " << i;
        EXPECT_TRUE(fromMemory.pictures[i] == fromDisk.pictures[i]) << "picture " << i;
    }
    EXPECT_FALSE(fromDisk.knotVertices.empty());
    EXPECT_EQ(fromMemory.knotVertices, fromDisk.knotVertices);
    EXPECT_GT(fromDisk.tubePolygons, 0u);
    EXPECT_EQ(fromMemory.tubePolygons, fromDisk.tubePolygons);
    EXPECT_TRUE(isEmptyFolder(onDisk.scratchParent));
}

TEST(Startup, ABlobThatCannotBeWrittenOrLoadedIsNamedWithTheCause) {
    REQUIRE_GL();
    StartupOptions options;
    options.writeScratch = failingWriter;
    testing::internal::CaptureStderr();
    const Loaded loaded = loadWith(options);
    const std::string said = testing::internal::GetCapturedStderr();

    const std::vector<std::string> finale = linesNaming(said, "pic09.jpg (finaleTextures[0])");
    ASSERT_EQ(finale.size(), 1u) << said;
    EXPECT_NE(finale[0].find(std::strerror(ENOSPC)), std::string::npos) << finale[0];
    EXPECT_TRUE(loaded.pictures[assetFinale0].empty()) << "its slot stays empty";
    EXPECT_FALSE(loaded.pictures[assetFinale1].empty()) << "the others still load";

    const std::vector<std::string> sprite = linesNaming(said, "pic04.jpg (particleTexture)");
    ASSERT_EQ(sprite.size(), 1u) << said;
    EXPECT_NE(sprite[0].find("Premature end of JPEG file"), std::string::npos) << sprite[0];
    EXPECT_TRUE(loaded.pictures[assetParticleTexture].empty());
    EXPECT_EQ(linesNaming(said, "knot.lwo (knotMesh)").size(), 1u) << said;
    EXPECT_TRUE(loaded.knotVertices.empty());
}

}  // namespace

namespace {

// At 800x600 every slot holds exactly what its embedded blob gives through the upload the show
// always had, even with the larger sets lying ready; a 4K show takes the 4x set, each picture
// at its own size, and where the set is missing says so and falls back to the embedded ones.
TEST(Startup, TheDesignedSizeUploadsTheEmbeddedPicturesAndALargeShowItsOwnSet) {
    REQUIRE_GL();
    StartupOptions options;
    options.pictureFolder = DEMO_BUILD_DIR;
    const Loaded designed = loadWith(options);
    ASSERT_EQ(designed.pictures.size(), static_cast<size_t>(assetFinale2 + 1));
    for (int asset = assetActOneTextureA; asset <= assetFinale2; ++asset) {
        const EmbeddedAsset& blob = embeddedAsset(asset);
        std::string error;
        const std::unique_ptr<DecodedImage> image = decodeJpegMemory(blob.bytes, blob.size, &error);
        ASSERT_TRUE(image) << blob.name << ": " << error;
        GLuint texture = uploadMipmappedTexture(*image);
        EXPECT_TRUE(designed.pictures[asset] == testsupport::textureRgb(texture)) << blob.name;
        glDeleteTextures(1, &texture);
    }

    const auto finaleWidth = [](const std::string& folder, std::string* said) {
        Show show;
        show.frame = FrameSize::fitting(3840, 2160);
        StartupOptions large;
        large.pictureFolder = folder;
        testing::internal::CaptureStderr();
        EXPECT_EQ(loadShow(show, large), "");
        *said = testing::internal::GetCapturedStderr();
        int width = 0;
        static_cast<void>(testsupport::textureRgb(show.state.finaleTextures[1], &width));
        releaseShow(show);
        return width;
    };
    std::string said;
    EXPECT_EQ(finaleWidth(DEMO_BUILD_DIR, &said), 4 * embeddedAsset(assetFinale1).width);
    EXPECT_EQ(said, "");
    EXPECT_EQ(finaleWidth(DEMO_BUILD_DIR "/no-such-folder", &said), 512) << "the embedded picture's upload";
    EXPECT_EQ(said, "invitation: the pictures painted at 4x are not installed; the show uses its own\n");
}

}  // namespace
