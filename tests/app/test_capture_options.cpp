#include <gtest/gtest.h>

#include <vector>

#include "app/capture_options.h"

namespace {

std::string parse(std::vector<const char*> args, CaptureOptions& options) {
    args.insert(args.begin(), "demo-capture");
    return parseCaptureOptions(static_cast<int>(args.size()), const_cast<char**>(args.data()), options);
}

TEST(CaptureOptions, FrameNIsDrawnAtNOverTheRate) {
    CaptureOptions options;
    ASSERT_EQ(parse({"--fps", "60000/1001", "--null"}, options), "");
    EXPECT_EQ(options.frameTime(0), 0.0);
    EXPECT_DOUBLE_EQ(options.frameTime(60000), 1001.0);
    EXPECT_EQ(options.firstFrameAtOrAfter(1001.0), 60000);
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
    ASSERT_EQ(parse({"--to", "500"}, options = CaptureOptions{}), "choose one of --png, --video and --null");
}

TEST(CaptureOptions, BadArgumentsAreNamed) {
    CaptureOptions options;
    EXPECT_NE(parse({"--fps", "0", "--null"}, options), "");
    EXPECT_NE(parse({"--step", "0", "--null"}, options = CaptureOptions{}), "");
    EXPECT_NE(parse({"--from", "x", "--null"}, options = CaptureOptions{}), "");
    EXPECT_NE(parse({"--png"}, options = CaptureOptions{}), "");
    EXPECT_NE(parse({"--png", "a", "--null"}, options = CaptureOptions{}), "");
    EXPECT_NE(parse({"--from", "5", "--to", "4", "--null"}, options = CaptureOptions{}), "");
    EXPECT_NE(parse({"--loud", "--null"}, options = CaptureOptions{}), "");
}

TEST(CaptureOptions, VideoCommandQuotesPathsAndStartsTheSoundAtTheFirstFrame) {
    CaptureOptions options;
    ASSERT_EQ(parse({"--from", "10", "--video", "it's.mp4"}, options), "");
    const std::string command = videoCommand(options);
    EXPECT_NE(command.find("-ss 10.000000"), std::string::npos) << command;
    EXPECT_NE(command.find("'it'\\''s.mp4'"), std::string::npos) << command;
}

}  // namespace
