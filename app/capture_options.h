// The command line of demo-capture and the frame arithmetic that follows from it.
//
// Times are seconds of music; frame N is drawn at N * rateDenominator / rateNumerator.
#pragma once

#include <string>

enum class CaptureOutput { None, Png, Video, Null };

struct CaptureOptions {
    long rateNumerator = 60;  // frames per second = rateNumerator / rateDenominator
    long rateDenominator = 1;
    double from = 0.0;
    double to = -1.0;  // negative: up to the end of the show
    long step = 1;
    CaptureOutput output = CaptureOutput::None;
    std::string target;  // the PNG folder or the video file
    std::string music = "inv2.mp3";

    double frameTime(long frame) const;
    long firstFrameAtOrAfter(double seconds) const;
    // The last frame to render: the last one not past --to, or the first past the show's end
    // (the frame that posts the quit).
    long lastFrame() const;
    // Whether `frame` is written: its time lies in [from, to] and it is a K-th one from the
    // first frame in range.
    bool writes(long frame) const;
    std::string framePath(long frame) const;  // DIR/frame_NNNNNN.png
};

// Returns an error text, empty when the arguments were understood.
std::string parseCaptureOptions(int argc, char** argv, CaptureOptions& options);
const char* captureUsage();

// The ffmpeg command that takes raw RGB frames on standard input and writes the video with
// the soundtrack, starting at --from so picture and sound stay in step.
std::string videoCommand(const CaptureOptions& options);
