// What reading a scene really costs the process, counted by the allocator rather than by the
// reader: the bound lws_scene.h states (and docs/formats.md repeats) must hold for the memory the
// process holds at its peak, vectors' spare capacity and the allocator's rounding included.
// A binary of its own, because it replaces the global operator new to count.
#include "lwo/lwo_writer.h"
#include "scene/lws_scene.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

namespace {

std::atomic<int64_t> liveBytes{0};
std::atomic<int64_t> peakBytes{0};

void counted(void* block) {
    const int64_t live = liveBytes += static_cast<int64_t>(malloc_usable_size(block));
    int64_t peak = peakBytes.load();
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
}

}  // namespace

void* operator new(size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    counted(block);
    return block;
}

// These replace the library's own, so a block from operator new is rightly freed with free.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* block) noexcept {
    if (!block) return;
    liveBytes -= static_cast<int64_t>(malloc_usable_size(block));
    std::free(block);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

void operator delete(void* block, size_t) noexcept { operator delete(block); }

namespace {

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

// An object of nine channels whose two keys lie `seconds` apart: a line of text that bakes
// nine full channels when the keys are far apart.
std::string farKeysObject(double seconds) {
    std::string line = "LoadObjectLayer 1 a.lwo NumChannels 9";
    for (int c = 0; c < 9; ++c) {
        line += " Channel " + std::to_string(c) + " { Envelope 2 Key 0 0 0 0 0 0 0 0 0 Key 1 " +
                std::to_string(seconds) + " 0 0 0 0 0 0 0 }";
    }
    return line + "\n";
}

// Nine channels without keys, as versions 4 and 5 write them.
std::string emptyChannels() {
    std::string text;
    for (int c = 0; c < 9; ++c) text += " Channel " + std::to_string(c) + " { Envelope 0 }";
    return text;
}

// The most the process grows while `text` is read, the text's own copy included, and the
// values the reader says it baked.
struct Growth {
    int64_t peak = 0;
    int64_t bakedValues = 0;
};

Growth peakGrowth(const std::string& text) {
    const int64_t before = liveBytes.load();
    peakBytes = before;
    Growth growth;
    {
        LwsScene scene;
        scene.progress = nullptr;
        scene.errors = nullptr;
        scene.loadObjects = false;
        (void)scene.loadFromText(text, "memory.lws");
        growth.bakedValues = scene.loadCost().bakedValues;
    }
    growth.peak = peakBytes.load() - before;
    return growth;
}

TEST(LwsMemory, ReadingAScenePeaksWithinTheStatedBound) {
    struct Case {
        const char* what;
        std::string text;
        // For many items that bake next to nothing, the part of the fixed bytes they must fit
        // besides what they bake (the baked half's room would otherwise hide a part left out
        // of the items' half); 0: the whole of it.
        int64_t itemsPart = 0;
    };
    const int64_t records = kMaxSceneItems * kSceneItemRecordBytes;
    const int64_t items = kMaxSceneItems * kSceneItemBytes;
    // Far-apart keys bake whole channels from a few kilobytes; dense keys make the most
    // records a byte of text can make; a count the file does not keep must cost no more than
    // the text after it could hold. 511 lights and then 513 objects hold both arrays at their
    // fullest: 1024 items with room for 2048 while the objects move.
    const std::string keys = repeated("0 0 0 0 0\n", 1000);
    const std::string noKeysV2 = " m 9 0 0 0 0 0 0 0 0 0\n";
    const std::string itemsV2 = repeated("AddLight LightMotion" + noKeysV2, 511) +
                                repeated("LoadObject a ObjectMotion" + noKeysV2, 513);
    const std::string itemsV5 =
        repeated("AddLight 20000000 ParentItem 2" + emptyChannels() + "\n", 511) +
        repeated("AddNullObject 10000000 a ParentItem 2" + emptyChannels() + "\n", 513);
    // Counts far past the keys, each followed by the rest of the text: kept, the room each
    // takes would add up channel by channel.
    const std::string falseCounts =
        repeated("AddNullObject 1 a" +
                     repeated(" Channel 0 { Envelope 999999999 }", 9) + "\n",
                 64) +
        "{ " + repeated("Unknown 0 ", 10000) + "}\n";
    const Case cases[] = {
        {"seven objects of far-apart keys", "LWSC 3\n" + repeated(farKeysObject(3000), 7)},
        {"eight of them, refused at the bound", "LWSC 3\n" + repeated(farKeysObject(3000), 8)},
        {"eight version 1 motions of far-apart frames, refused at the bound",
         "LWSC 1\n" + repeated("LoadObject o.lwo ObjectMotion m 9 2 0 0 0 0 0 0 1 1 1 0 0 0 0 0 "
                               "1 0 0 0 0 0 1 1 1 99999 0 0 0 0\n",
                               8)},
        // Just past a power of two, where an array that doubles would hold three times its keys.
        {"a million version 1 keys without values",
         "LWSC 1\nCameraMotion m 0 1048577\n" + repeated("0 0 0 0 0\n", 1048577)},
        {"a million version 1 keys of one value",
         "LWSC 1\nCameraMotion m 1 1048577\n" + repeated("0 0 0 0 0 0\n", 1048577)},
        {"a version 1 key of a million values",
         "LWSC 1\nCameraMotion m 1048577 1\n" + repeated("0 ", 1048577) + "0 0 0 0 0\n"},
        {"a motion counting more keys than follow",
         "LWSC 1\nCameraMotion m 0 1000\n" + keys + "CameraMotion n 0 2000000000\n" + keys},
        {"version 3 keys",
         "LWSC 3\nLoadObjectLayer 1 a.lwo NumChannels 1 Channel 0 { Envelope 300001\n" +
             repeated("Key 0 0 0 0 0 0 0 0 0\n", 300001)},
        {"1024 lights with long names",
         "LWSC 3\n" + repeated("AddLight LightName " + std::string(5000, 'n') + " LightType 0\n",
                               1024)},
        {"1024 version 2 items", "LWSC\n2\n" + repeated("AddLight\n", 511) +
                                      repeated("LoadObject a\n", 513), records},
        {"1024 version 2 items of nine channels without keys", "LWSC\n2\n" + itemsV2, items},
        {"the same over 455 frames, just under the baked bound",
         "LWSC\n2\nLastFrame 454\n" + itemsV2},
        {"a million version 2 keys",
         "LWSC\n2\nLoadObject a ObjectMotion m 1 1048577\n" +
             repeated("0 0 2 0 0 0\n", 1048577)},
        {"1024 version 5 items of nine channels without keys, parented",
         "LWSC\n5\n" + itemsV5, items},
        {"the same over 455 frames", "LWSC\n5\nLastFrame 454\n" + itemsV5},
        {"a million version 4 keys after a count of one",
         "LWSC\n4\nAddNullObject 1 a Channel 0 { Envelope 1\n" +
             repeated("Key 0 0 0 0 0 0 0 0 0\n", 1048577) + "}\n"},
        {"version 5 key counts far past their keys", "LWSC\n5\n" + falseCounts},
    };
    for (const Case& c : cases) {
        const int64_t textPart = kSceneBytesPerFileByte * static_cast<int64_t>(c.text.size());
        const Growth growth = peakGrowth(c.text);
        const int64_t fixedPart = c.itemsPart ? c.itemsPart + sceneBakedBytes(growth.bakedValues)
                                              : kSceneFixedBytes;
        EXPECT_LE(growth.peak, textPart + fixedPart) << c.what << ": " << c.text.size() << " bytes";
    }
}

}  // namespace

// ---- the objects a scene names ----

namespace {

// The densest object a byte of file makes: nothing but triangles of 2-byte indices, 8 bytes
// each, over a few points.
std::vector<uint8_t> denseObject(int triangles) {
    std::vector<Vec3> points;
    for (int i = 0; i < 64; ++i) points.push_back({float(i), float(i % 7), float(i % 5)});
    std::vector<std::vector<uint32_t>> faces;
    for (int t = 0; t < triangles; ++t) {
        const auto a = static_cast<uint32_t>(t % 62);
        faces.push_back({a, a + 1, a + 2});
    }
    return LwoWriter().tags({"s"}).layer(1, "").points(points).polygons("FACE", faces)
        .surface("s", LwoBytes()).file();
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct ObjectsGrowth {
    int64_t held = 0;  // after the load, with the scene alive
    int64_t peak = 0;
    std::vector<std::string> reasons;
    bool fileKept = false;  // a loaded object still holds its file's bytes
};

ObjectsGrowth objectsGrowth(const std::string& text, int64_t maxObjectBytes = kMaxSceneObjectBytes) {
    const int64_t before = liveBytes.load();
    peakBytes = before;
    ObjectsGrowth growth;
    LwsScene scene("", testsupport::tempFolder());
    scene.progress = nullptr;
    scene.errors = nullptr;
    scene.loadTextures = false;
    scene.maxObjectBytes = maxObjectBytes;
    (void)scene.loadFromText(text, "objects.lws");
    growth.held = liveBytes.load() - before;
    growth.peak = peakBytes.load() - before;
    growth.reasons = scene.reasons();
    for (const SceneItem& item : scene.objects)
        growth.fileKept = growth.fileKept || (item.mesh && item.mesh->reader.bytes.capacity() > 0);
    return growth;
}

}  // namespace

// Twenty items naming one dense object hold it once, and what it holds is within the stated
// bytes a byte of its file; past the scene's total the next object is refused at its line.
TEST(LwsMemory, ObjectsOfOneSceneAreSharedAndBoundedAsAWhole) {
    const std::vector<uint8_t> dense = denseObject(100000);
    writeFile(testsupport::tempPath("dense.lwo"), dense);
    writeFile(testsupport::tempPath("other.lwo"), dense);
    const auto file = static_cast<int64_t>(dense.size());
    const std::string scene = "LWSC 3\n" + repeated("LoadObjectLayer 1 dense.lwo NumChannels 0\n", 20);

    const ObjectsGrowth twenty = objectsGrowth(scene);
    EXPECT_TRUE(twenty.reasons.empty()) << twenty.reasons.front();
    const int64_t oneObject = kObjectBytesPerFileByte * file + kObjectFixedBytes;
    EXPECT_LE(twenty.peak, oneObject + 20 * kSceneItemBytes) << "peak of one object named 20 times";
    // Asked of the object itself: the peak cannot tell, as the polygons built after the file is
    // let go can be the largest moment of the load.
    EXPECT_FALSE(twenty.fileKept) << "the file is let go once read";

    // Room for one file and a half: the second distinct file is refused, the first shared on.
    const ObjectsGrowth overBudget =
        objectsGrowth(scene + "LoadObjectLayer 1 other.lwo NumChannels 0\n"
                              "LoadObjectLayer 1 dense.lwo NumChannels 0\n",
                      file * 3 / 2);
    ASSERT_EQ(overBudget.reasons.size(), 1u);
    EXPECT_NE(overBudget.reasons[0].find("objects.lws: line 22: object other.lwo not loaded: "),
              std::string::npos) << overBudget.reasons[0];
    EXPECT_NE(overBudget.reasons[0].find("would pass the"), std::string::npos)
        << overBudget.reasons[0];
}
