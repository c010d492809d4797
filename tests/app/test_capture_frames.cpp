// What invitation-capture writes, checked against the show drawn the plain way: every frame from
// 0 s rasterised, at the designed size, here in the test process (the binary has no way to
// draw that reference itself, and needs none).
//
// The frames under test come from the binary, so the choice of the frames it rasterises, the
// size plumbing and the PNG output are those a user gets.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "gl/drawing_surface.h"
#include "files/frame_files.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/temp_folder.h"
#include "timeline/demo_script.h"

namespace {

using Pixels = std::vector<unsigned char>;

constexpr double kRate = 10.0;  // frames per second of every capture here

// How many bytes differ; a count says more in a failure than two dumped buffers.
size_t differingBytes(const Pixels& a, const Pixels& b) {
    if (a.size() != b.size()) return std::max(a.size(), b.size());
    size_t count = 0;
    for (size_t i = 0; i < a.size(); ++i) count += a[i] != b[i];
    return count;
}

Pixels readPng(const std::string& path, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    width = height = 0;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    Pixels rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return rgb;
}

// Each output pixel the mean of a factor x factor block: a box filter.
std::vector<double> reduce(const Pixels& rgb, int width, int height, int factor) {
    const int w = width / factor, h = height / factor;
    std::vector<double> out(static_cast<size_t>(w) * h * 3, 0.0);
    for (int y = 0; y < h * factor; ++y)
        for (int x = 0; x < w * factor; ++x)
            for (int c = 0; c < 3; ++c)
                out[(static_cast<size_t>(y / factor) * w + x / factor) * 3 + c] +=
                    rgb[(static_cast<size_t>(y) * width + x) * 3 + c];
    for (double& v : out) v /= factor * factor;
    return out;
}

double psnr(const std::vector<double>& a, const std::vector<double>& b) {
    double sum = 0.0;
    for (size_t i = 0; i < b.size(); ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    const double mse = sum / static_cast<double>(b.size());
    return mse > 0.0 ? 10.0 * std::log10(255.0 * 255.0 / mse) : INFINITY;
}

bool runCapture(const std::string& arguments, const std::string& capture = DEMO_CAPTURE_PATH) {
    const std::string command = "'" + capture + "' " + arguments + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

class CapturedFrames : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_GL();
        dir = testsupport::tempPath("captured-frames");
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Plays the show from 0 s at kRate with every frame rasterised, as the capture did before
    // it learnt to fast-forward, and keeps the frames in `keep`.
    std::map<long, Pixels> drawnThroughout(const std::vector<long>& keep) {
        Show show;
        StartupOptions startup;
        startup.scratchParent = dir;
        const std::string error = loadShow(show, startup);
        EXPECT_EQ(error, "");
        DrawingSurface surface;
        EXPECT_TRUE(surface.fit(show.frame, 800, 600, nullptr));
        DemoClock clock;
        DemoScript script(clock, show);
        std::map<long, Pixels> frames;
        for (long frame = 0; frame <= keep.back(); ++frame) {
            clock.demoTime = frame / kRate;
            script.renderFrame();
            for (long k : keep)
                if (k == frame) frames[frame] = surface.readRgb();
        }
        releaseShow(show);
        return frames;
    }

    std::string dir;
};

// One test, so the reference, which costs most of the time, is drawn once.
TEST_F(CapturedFrames, MatchTheShowDrawnThroughout) {
    const std::map<long, Pixels> reference =
        drawnThroughout({157, 200, 291, 350, 461, 500, 521, 550, 650, 771, 791, 800, 900, 950, 1071, 1100, 1231, 1250,
                         1383, 1400, 1600, 1691, 1700, 1720, 1750});

    // Fast-forwarded: a long run of frames without pixels before --from (20 s is the step
    // run's first frame), and shorter runs between written frames (--step).
    ASSERT_TRUE(runCapture("--fps 10 --from 20 --to 170 --step 350 --png '" + dir + "/step'"));
    for (const char* from : {"90", "140", "170"})
        ASSERT_TRUE(runCapture(std::string("--fps 10 --from ") + from + " --to " + from + " --png '" + dir + "/from'"));
    for (long frame : {200, 550, 900, 1250, 1600, 1700, 1400}) {
        const bool stepped = frame == 200 || (frame - 200) % 350 == 0;
        int width = 0, height = 0;
        const Pixels captured = readPng(files::frameFilePath(dir + (stepped ? "/step" : "/from"), frame), width, height);
        ASSERT_EQ(width, 800) << frame;
        EXPECT_EQ(differingBytes(captured, reference.at(frame)), 0u) << "frame " << frame;
    }

    // The frame just after each effect starts, each reached from 0 s with its GL calls going
    // nowhere but for the one frame before it: the cloud, the third backdrop, the banner, the
    // strip, the tube and the knot, the tube's spin, the finale, its second backdrop, its first
    // beat, its third backdrop, and the last frame before the end.
    for (long frame : {157, 291, 461, 521, 771, 791, 1071, 1231, 1383, 1691, 1750}) {
        const std::string at = std::to_string(frame / 10) + "." + std::to_string(frame % 10);
        ASSERT_TRUE(runCapture("--fps 10 --from " + at + " --to " + at + " --png '" + dir + "/after'")) << frame;
        int width = 0, height = 0;
        const Pixels captured = readPng(files::frameFilePath(dir + "/after", frame), width, height);
        ASSERT_EQ(width, 800) << frame;
        EXPECT_EQ(differingBytes(captured, reference.at(frame)), 0u) << "frame " << frame;
    }

    // --scale 1 is the designed frame, byte for byte.
    ASSERT_TRUE(runCapture("--fps 10 --from 95 --to 95 --scale 1 --png '" + dir + "/x1'"));
    int width = 0, height = 0;
    EXPECT_EQ(differingBytes(readPng(files::frameFilePath(dir + "/x1", 950), width, height), reference.at(950)), 0u)
        << "--scale 1";

    // --scale 2 reduced by half looks like the designed frame: 20, 35, 50, 65, 80, 95, 110,
    // 140 and 172 s, both acts, the strip, the banner, the tube and knot, the finale with each
    // of its three backdrops. With the designed pictures, so that what differs is the drawing: a
    // copy of the capture away from the build folder finds no pictures painted for 2x (start-up
    // tests see that those are taken where they lie).
    const std::string alone = dir + "/alone/invitation-capture";
    std::filesystem::create_directories(dir + "/alone");
    std::filesystem::copy_file(DEMO_CAPTURE_PATH, alone);
    ASSERT_TRUE(runCapture("--fps 10 --from 20 --to 110 --step 150 --scale 2 --png '" + dir + "/x2'", alone));
    ASSERT_TRUE(runCapture("--fps 10 --from 140 --to 172 --step 320 --scale 2 --png '" + dir + "/x2'", alone));
    for (long frame : {200, 350, 500, 650, 800, 950, 1100, 1400, 1720}) {
        const Pixels sharp = readPng(files::frameFilePath(dir + "/x2", frame), width, height);
        ASSERT_EQ(width, 1600) << frame;
        ASSERT_EQ(height, 1200) << frame;
        // Bounds from what this renderer gives (lowest good frame in brackets) and from
        // frames broken on purpose. Where the banner shows (46 to 100 s) its text is a texture
        // captured at the block's size, so at scale 2 it has twice the detail and its large,
        // magnified letter edges differ from the designed frame's blocky ones [25.0 dB]; a
        // scroller block drawn at the designed size inside the scaled one gives 17 to 20 dB.
        // Elsewhere only edges a pixel wide differ [37.3 dB]; a glow block that does not
        // scale gives 22 to 33 dB, a show drawn at 800x600 in the corner 4 to 30 dB. (A block
        // that does not scale at all is the designed frame's own block: it loses detail, and
        // comes out closer to the designed frame, not further.)
        const double seconds = frame / kRate;
        const double bound = seconds >= 46.0 && seconds <= 100.0 ? 22.0 : 34.0;
        const double decibels = psnr(reduce(sharp, width, height, 2), reduce(reference.at(frame), 800, 600, 1));
        EXPECT_GE(decibels, bound) << "--scale 2, frame at " << seconds << " s";
    }
}

}  // namespace
