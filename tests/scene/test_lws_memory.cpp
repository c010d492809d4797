// What reading a scene really costs the process, counted by the allocator rather than by the
// reader: the bound lws_scene.h states (and the README repeats) must hold for the memory the
// process holds at its peak, vectors' spare capacity and the allocator's rounding included.
// A binary of its own, because it replaces the global operator new to count.
#include "scene/lws_scene.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
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

// The most the process grows while `text` is read, the text's own copy included.
int64_t peakGrowth(const std::string& text) {
    const int64_t before = liveBytes.load();
    peakBytes = before;
    {
        LwsScene scene;
        scene.progress = nullptr;
        scene.errors = nullptr;
        scene.loadObjects = false;
        (void)scene.loadFromText(text, "memory.lws");
    }
    return peakBytes.load() - before;
}

TEST(LwsMemory, ReadingAScenePeaksWithinTheStatedBound) {
    struct Case {
        const char* what;
        std::string text;
    };
    // Far-apart keys bake whole channels from a few kilobytes; dense keys make the most
    // records a byte of text can make; a count the file does not keep must cost no more than
    // the text after it could hold.
    const std::string keys = repeated("0 0 0 0 0\n", 1000);
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
    };
    for (const Case& c : cases) {
        const int64_t bound =
            kSceneBytesPerFileByte * static_cast<int64_t>(c.text.size()) + kSceneFixedBytes;
        EXPECT_LE(peakGrowth(c.text), bound) << c.what << ": " << c.text.size() << " bytes";
    }
}

}  // namespace
