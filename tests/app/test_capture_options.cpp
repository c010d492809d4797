#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/capture_options.h"
#include "tests/support/temp_folder.h"

namespace {

std::string parse(const std::vector<const char*>& args, CaptureOptions& options) {
    return parseCaptureArguments({args.begin(), args.end()}, options);
}

TEST(CaptureOptions, FrameNIsDrawnAtNOverTheRate) {
    CaptureOptions options;
    ASSERT_EQ(parse({"--fps", "60000/1001", "--null"}, options), "");
    EXPECT_EQ(options.frameTime(0), 0.0);
    EXPECT_DOUBLE_EQ(options.frameTime(60000), 1001.0);
    EXPECT_EQ(options.firstFrameAtOrAfter(1001.0), 60000);
    ASSERT_EQ(parse({"--fps", "29.97", "--null"}, options = CaptureOptions{}), "");
    EXPECT_EQ(options.rateNumerator, 2997);
    EXPECT_EQ(options.rateDenominator, 100) << "decimals are exact, not rounded to a thousandth";
}

TEST(CaptureOptions, RangeAndStepChooseTheWrittenFrames) {
    CaptureOptions options;
    ASSERT_EQ(parse({"--from", "1", "--to", "2", "--step", "15", "--png", "out"}, options), "");
    std::vector<long> written;
    for (long f = 0; f <= options.lastFrame(); ++f)
        if (options.writes(f)) written.push_back(f);
    EXPECT_EQ(written, (std::vector<long>{60, 75, 90, 105, 120}));
    EXPECT_EQ(options.lastFrame(), 120);
    EXPECT_EQ(options.framePath(75), "out/frame_000075.png");
}

TEST(CaptureOptions, WithoutAnEndTheShowRunsToTheFrameThatPostsTheQuit) {
    CaptureOptions options;
    ASSERT_EQ(parse({"--null"}, options), "");
    EXPECT_EQ(options.lastFrame(), 10531) << "175.5 s is frame 10530 and posts nothing";
    ASSERT_EQ(parse({"--to", "176", "--null"}, options = CaptureOptions{}), "");
    EXPECT_EQ(options.lastFrame(), 10531) << "a --to past the end stops at the same frame";
}

// Every refusal is one line that names the flag at fault, so a user sees what to fix.
TEST(CaptureOptions, OutOfRangeAndMalformedValuesAreRefusedNamingTheFlag) {
    const std::vector<std::pair<const char*, std::vector<const char*>>> cases = {
        {"--fps", {"0", "-30", "1000.5", "nan", "inf", "60/0", "0/1", "1001/1", "60/-1", "60/", "1e-9",
                   "99999999999999999999/1"}},
        {"--from", {"-1", "nan", "1x", "1e300", "176.001", " 5", ""}},
        {"--to", {"1e300", "-0.5", "inf"}},
        {"--step", {"0", "-2", "1.5", "1000001", "99999999999999999999"}},
        {"--size", {"19x20x", "x100", "100", "-5x4", "1920X1080", "159x120", "160x119", "7681x4320", "7680x4321",
                    "4294967296x100"}},
        {"--scale", {"0", "-2", "0.1", "9.7", "1e300", "nan"}},
    };
    for (const auto& [flag, values] : cases)
        for (const char* value : values) {
            CaptureOptions options;
            const std::string error = parse({flag, value, "--null"}, options);
            EXPECT_EQ(error.rfind(flag, 0), 0u) << flag << " \"" << value << "\" -> \"" << error << "\"";
            EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        }

    const std::vector<std::pair<const char*, std::vector<const char*>>> lines = {
        {"--scale", {"--size", "800x600", "--scale", "2", "--null"}},
        {"--size", {"--scale", "2", "--size", "800x600", "--null"}},
        {"--size 801x600", {"--video", "v.mp4", "--size", "801x600"}},
        {"--scale 1.00125", {"--video", "v.mp4", "--scale", "1.00125"}},
        {"--to", {"--from", "5", "--to", "4", "--null"}},
        {"--to", {"--null", "--to"}},
        {"--png", {"--png"}},
        {"--png", {"--png", "--null"}},
        {"--png", {"--png", "a", "--null"}},
        {"--video", {"--video", "-"}},
        {"--null", {"--from", "1"}},
        {"--loud", {"--loud", "--null"}},
        {"stray", {"--null", "stray"}},
        {"--help", {"--null", "--", "--help"}},
    };
    for (const auto& [named, line] : lines) {
        CaptureOptions options;
        const std::string error = parse(line, options);
        EXPECT_NE(error.find(named), std::string::npos) << named << " -> \"" << error << "\"";
    }
}

TEST(CaptureOptions, TheEdgesOfEveryRangeAreAccepted) {
    const std::vector<std::vector<const char*>> accepted = {
        {"--fps", "1000", "--from", "0", "--to", "176"},
        {"--fps", "1000000/1000", "--from", "176"},
        {"--fps", "0.5", "--step", "1000000"},
        {"--size", "160x120"},
        {"--size", "7680x4320"},
        {"--scale", "0.2"},
        {"--scale", "7.2"},
        {"--null", "--"},
    };
    for (std::vector<const char*> line : accepted) {
        if (std::string(line[0]) != "--null") line.push_back("--null");
        CaptureOptions options;
        EXPECT_EQ(parse(line, options), "") << line[0] << " " << line[1];
    }
    CaptureOptions options;
    ASSERT_EQ(parse({"--scale", "2", "--null"}, options), "");
    EXPECT_EQ(options.width, 1600);
    EXPECT_EQ(options.height, 1200);
}

// The show keeps 4:3 at the largest size that fits and sits centred; the written frame is
// exactly the size asked for.
TEST(CaptureOptions, SizeLetterboxesTheShow) {
    struct Case {
        const char* size;
        int showWidth, showHeight, x, y;
    };
    for (const Case& c : {Case{"1920x1080", 1440, 1080, 240, 0}, Case{"3840x2160", 2880, 2160, 480, 0},
                          Case{"1024x768", 1024, 768, 0, 0}, Case{"1000x1000", 1000, 750, 0, 125},
                          Case{"800x600", 800, 600, 0, 0}}) {
        CaptureOptions options;
        ASSERT_EQ(parse({"--size", c.size, "--null"}, options), "");
        const FrameSize frame = options.showFrame();
        const PixelRect box = options.showRect();
        EXPECT_EQ(frame.width, c.showWidth) << c.size;
        EXPECT_EQ(frame.height, c.showHeight) << c.size;
        EXPECT_EQ(frame.block, std::lround(128.0 * c.showWidth / 800)) << c.size;
        EXPECT_EQ(box.width, frame.width) << c.size;
        EXPECT_EQ(box.height, frame.height) << c.size;
        EXPECT_EQ(box.x, c.x) << c.size;
        EXPECT_EQ(box.y, c.y) << c.size;
    }
}

TEST(CaptureOptions, TheShowIsCopiedBetweenBlackBars) {
    // A 4x3 show, every pixel (row, column, 7), in a 6x5 frame: one bar row above and below,
    // one bar column each side.
    const PixelRect box{1, 1, 4, 3};
    std::vector<unsigned char> show;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) show.insert(show.end(), {static_cast<unsigned char>(y + 1),
                                                             static_cast<unsigned char>(x + 1), 7});
    std::vector<unsigned char> frame(6 * 5 * 3, 0);
    placeShowInFrame(show, box, 6, 5, frame);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const unsigned char* p = &frame[(y * 6 + x) * 3];
            const bool inside = y >= 1 && y <= 3 && x >= 1 && x <= 4;
            EXPECT_EQ(p[0], inside ? y : 0) << x << "," << y;
            EXPECT_EQ(p[1], inside ? x : 0) << x << "," << y;
            EXPECT_EQ(p[2], inside ? 7 : 0) << x << "," << y;
        }
}

TEST(CaptureOptions, VideoCommandHasTheFrameSizeAndStartsTheSoundAtTheFirstFrame) {
    CaptureOptions options;
    ASSERT_EQ(parse({"--from", "10", "--step", "2", "--size", "1920x1080", "--video", "v.mp4"}, options), "");
    const std::vector<std::string> command = videoCommand(options, "it's: a.mp4");
    auto after = [&](const std::string& flag) {
        for (size_t i = 0; i + 1 < command.size(); ++i)
            if (command[i] == flag) return command[i + 1];
        return std::string("(missing)");
    };
    EXPECT_EQ(command.front(), "ffmpeg");
    EXPECT_EQ(after("-s"), "1920x1080");
    EXPECT_EQ(after("-framerate"), "30/1") << "every second frame of 60 fps";
    EXPECT_EQ(after("-ss"), "10.000000");
    EXPECT_EQ(after("-c:v"), "libx264");
    EXPECT_EQ(after("-c:a"), "aac");
    EXPECT_EQ(after("-movflags"), "+faststart");
    EXPECT_EQ(command.back(), "file:it's: a.mp4") << "passed as it is, never read as a protocol";
}

class CaptureTarget : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testsupport::tempPath("capture-target");
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string prepare(std::vector<const char*> args) {
        CaptureOptions options;
        const std::string parsed = parse(args, options);
        if (!parsed.empty()) return "parse: " + parsed;
        options.music = dir + "/music.mp3";
        return prepareCaptureTarget(options);
    }

    std::string dir;
};

TEST_F(CaptureTarget, APngFolderIsMadeWithItsParentsOrRefusedNamingTheFlag) {
    const std::string nested = dir + "/a/b/c";
    EXPECT_EQ(prepare({"--png", nested.c_str()}), "");
    EXPECT_TRUE(std::filesystem::is_directory(nested));
    EXPECT_TRUE(std::filesystem::is_empty(nested)) << "the writability probe is gone";
    std::ofstream(dir + "/file") << "x";
    const std::string underFile = dir + "/file/frames";
    EXPECT_EQ(prepare({"--png", underFile.c_str()}).rfind("--png ", 0), 0u);
    const std::string file = dir + "/file";
    EXPECT_EQ(prepare({"--png", file.c_str()}).rfind("--png ", 0), 0u);
}

TEST_F(CaptureTarget, AVideoNeedsAnExistingFolderAndTheSoundtrack) {
    const std::string video = dir + "/v.mp4";
    EXPECT_EQ(prepare({"--video", video.c_str()}).rfind("--video ", 0), 0u) << "no soundtrack yet";
    std::ofstream(dir + "/music.mp3") << "x";
    EXPECT_EQ(prepare({"--video", video.c_str()}), "");
    EXPECT_FALSE(std::filesystem::exists(video)) << "the check leaves no empty video behind";
    const std::string link = dir + "/link.mp4";
    std::filesystem::create_symlink(dir + "/elsewhere.mp4", link);
    EXPECT_EQ(prepare({"--video", link.c_str()}), "");
    EXPECT_FALSE(std::filesystem::exists(dir + "/elsewhere.mp4")) << "the check wrote through the link";
    const std::string missing = dir + "/none/v.mp4";
    EXPECT_EQ(prepare({"--video", missing.c_str()}).rfind("--video ", 0), 0u);
    EXPECT_EQ(prepare({"--video", dir.c_str()}).rfind("--video ", 0), 0u) << "a folder is no video";
    if (geteuid() != 0) {  // root writes anywhere
        chmod(dir.c_str(), 0500);
        EXPECT_EQ(prepare({"--video", video.c_str()}).rfind("--video ", 0), 0u);
        chmod(dir.c_str(), 0700);
    }
}

}  // namespace
