// The command line of invitation-capture and the frame arithmetic that follows from it.
//
// Times are seconds of music; frame N is drawn at N * rateDenominator / rateNumerator. Sizes
// are pixels. Everything here is checked before the capture opens a window, so a typo costs
// nothing; only `prepareCaptureTarget` touches the file system.
#pragma once

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/soundtrack_location.h"
#include "gl/frame_size.h"

enum class CaptureOutput { None, Png, Video, Null };

// What the command line accepts. Times stop a little past the show's end (175.5 s), so "to
// the end" can be written as a number; 1000 fps is already far finer than any video.
constexpr double kCaptureLatestTime = 176.0;
constexpr double kCaptureMaxFps = 1000.0;
constexpr long kCaptureMaxStep = 1000000;

struct CaptureOptions {
    long rateNumerator = 60;  // frames per second = rateNumerator / rateDenominator
    long rateDenominator = 1;
    double from = 0.0;
    double to = -1.0;  // negative: up to the end of the show
    long step = 1;
    CaptureOutput output = CaptureOutput::None;
    std::string target;  // the PNG folder or the video file
    std::string music;  // the soundtrack --video muxes; empty: prepareCaptureTarget finds it
    // The written frame. The show is drawn at the largest 4:3 size inside it, centred; the
    // rest is black.
    int width = FrameSize::kDesignWidth;
    int height = FrameSize::kDesignHeight;
    std::string sizeFlag;  // "--size WxH" or "--scale S" as given, for messages; empty by default

    double frameTime(long frame) const;
    long firstFrameAtOrAfter(double seconds) const;
    // The last frame to render: the last one not past --to, or the first past the show's end
    // (the frame that posts the quit).
    long lastFrame() const;
    // Whether `frame` is written: its time lies in [from, to] and it is a K-th one from the
    // first frame in range. Only these frames need their pixels.
    bool writes(long frame) const;
    std::string framePath(long frame) const;  // DIR/frame_NNNNNN.png
    // The folder written into: the --png folder, or the folder of the --video file.
    std::string outputFolder() const;
    // The --video file's own name, without its folder.
    std::string videoName() const;

    FrameSize showFrame() const { return FrameSize::fitting(width, height); }
    // Where the show lies in the written frame; x and y count from the lower-left, as GL does.
    PixelRect showRect() const { return letterbox(width, height); }
};

// Name and usage, for --help and for errors.
const ProgramInfo& captureProgram();

// Returns an error text naming the flag, empty when the arguments were understood. Checks
// values and how they combine; --help and --version are the caller's.
std::string parseCaptureOptions(int argc, char** argv, CaptureOptions& options);
// The same for arguments made by a program (no program name first): the benchmarks and tests
// that render what a capture with these arguments would.
std::string parseCaptureArguments(std::vector<std::string> arguments, CaptureOptions& options);

// Makes sure the frames can be written before any rendering: creates the --png folder (and
// its parents) when missing; for --video, checks the file's folder, which must exist, and finds
// the soundtrack it muxes: `music` when given, else found in the working directory or the
// installed data folder (and `music` set to it). Either way it makes and removes the staging
// folder the capture will write through (files::StagingFolder), so a folder we cannot write in
// is refused here. Nothing outside the given folder or file is touched. Returns an error text
// naming the flag, or an empty one.
std::string prepareCaptureTarget(CaptureOptions& options);

// The ffmpeg command line (program first) that takes raw RGB frames of the written size on
// standard input and writes an H.264 video with the AAC soundtrack to `file`, starting the sound
// at the first written frame so picture and sound stay in step, and as long as its frames.
std::vector<std::string> videoCommand(const CaptureOptions& options, const std::string& file);

// Copies the show's pixels (top-down RGB rows of `box`'s size) into `frame`, a top-down RGB
// buffer of width x height whose bars are already black and stay so.
void placeShowInFrame(const std::vector<unsigned char>& show, const PixelRect& box, int width, int height,
                      std::vector<unsigned char>& frame);
