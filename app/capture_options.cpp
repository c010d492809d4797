#include "app/capture_options.h"

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <system_error>

#include "app/simulated_show.h"
#include "files/frame_files.h"
#include "timeline/demo_clock.h"

namespace {

bool parseWhole(const std::string& text, long& out) {
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, out);
    return error == std::errc() && end == last;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string parseTime(const std::string& flag, const std::string& text, double& out) {
    double seconds = 0.0;
    if (!parseNumber(text, seconds)) return flag + ": " + quoted(text) + " is not a number of seconds";
    if (seconds < 0.0 || seconds > kCaptureLatestTime)
        return flag + ": " + text + " s lies outside the show (0 to 176 s)";
    out = seconds;
    return {};
}

// "60", "60000/1001" or "29.97" (decimals become a ratio over a million), kept reduced so
// ffmpeg is told the rate the way a person would write it.
std::string parseRate(const std::string& text, long& numerator, long& denominator) {
    const std::string bad = "--fps: " + quoted(text) +
                            " is not a frame rate above 0 and at most 1000 (a number, or a ratio such as 60000/1001)";
    long n = 0, d = 1;
    const size_t slash = text.find('/');
    if (slash != std::string::npos) {
        // Bounding the denominator first keeps 1000 * d, and so the check on n, in range.
        if (!parseWhole(text.substr(0, slash), n) || !parseWhole(text.substr(slash + 1), d)) return bad;
        if (d <= 0 || d > 1000000 || n <= 0 || n > 1000 * d) return bad;
    } else {
        double rate = 0.0;
        if (!parseNumber(text, rate) || rate <= 0.0 || rate > kCaptureMaxFps) return bad;
        d = 1000000;
        n = std::lround(rate * static_cast<double>(d));
        if (n <= 0) return bad;
    }
    const long common = std::gcd(n, d);
    numerator = n / common;
    denominator = d / common;
    return {};
}

std::string sizeLimits(const std::string& given, int width, int height) {
    if (withinPixelLimits(width, height)) return {};
    return given + ": frames of " + std::to_string(width) + "x" + std::to_string(height) +
           " are outside 160x120 to 7680x4320";
}

std::string parseSize(const std::string& text, CaptureOptions& options) {
    int width = 0, height = 0;
    if (!parsePixelSize(text, width, height))
        return "--size: " + quoted(text) + " is not a size; write WIDTHxHEIGHT, such as 1920x1080";
    options.sizeFlag = "--size " + text;
    options.width = width;
    options.height = height;
    return sizeLimits(options.sizeFlag, width, height);
}

std::string parseScale(const std::string& text, CaptureOptions& options) {
    double scale = 0.0;
    if (!parseNumber(text, scale) || scale <= 0.0)
        return "--scale: " + quoted(text) + " is not a scale above 0, such as 2 or 1.5";
    options.sizeFlag = "--scale " + text;
    // Far past the limits already; keeps the rounding below inside an int.
    if (scale > 100.0) return options.sizeFlag + ": frames would be larger than 7680x4320";
    const FrameSize frame = FrameSize::atScale(scale);
    options.width = frame.width;
    options.height = frame.height;
    return sizeLimits(options.sizeFlag, frame.width, frame.height);
}

}  // namespace

double CaptureOptions::frameTime(long frame) const {
    return simulatedFrameTime(frame, rateNumerator, rateDenominator);
}

long CaptureOptions::firstFrameAtOrAfter(double seconds) const {
    long frame = static_cast<long>(std::ceil(seconds * rateNumerator / rateDenominator));
    if (frame < 0) frame = 0;
    while (frame > 0 && frameTime(frame - 1) >= seconds) --frame;
    while (frameTime(frame) < seconds) ++frame;
    return frame;
}

long CaptureOptions::lastFrame() const {
    long endOfShow = firstFrameAtOrAfter(kShowLengthSeconds);
    while (!showIsOver(frameTime(endOfShow))) ++endOfShow;
    if (to < 0.0) return endOfShow;
    long last = firstFrameAtOrAfter(to);
    if (frameTime(last) > to) --last;
    return last < endOfShow ? last : endOfShow;
}

bool CaptureOptions::writes(long frame) const {
    const double time = frameTime(frame);
    if (time < from || (to >= 0.0 && time > to)) return false;
    return (frame - firstFrameAtOrAfter(from)) % step == 0;
}

std::string CaptureOptions::framePath(long frame) const { return files::frameFilePath(target, frame); }

const ProgramInfo& captureProgram() {
    static const ProgramInfo program = {
        "invitation-capture",
        "usage: invitation-capture [--fps RATE] [--from SECONDS] [--to SECONDS] [--step K]\n"
        "                    [--size WxH | --scale S] (--png DIR | --video FILE | --null)\n"
        "Renders the show offscreen against a simulated clock: frame N at N / RATE seconds of music.\n"
        "  --fps RATE      frames per second, above 0 and at most 1000, or a ratio such as\n"
        "                  60000/1001 (default 60)\n"
        "  --from SECONDS  the first time written, 0 to 176 (default 0)\n"
        "  --to SECONDS    the last time written, 0 to 176 (default: the end of the show)\n"
        "  --step K        write every K-th frame from --from on (default 1)\n"
        "  --size WxH      frames of W x H pixels, 160x120 to 7680x4320 (default 800x600); the show\n"
        "                  is drawn at the largest 4:3 size inside, centred between black bars\n"
        "  --scale S       frames of (800 S) x (600 S) pixels\n"
        "  --png DIR       write DIR/frame_NNNNNN.png, N the frame number; DIR is made if missing\n"
        "  --video FILE    write one H.264 video with the soundtrack; needs ffmpeg, inv2.mp3 in the\n"
        "                  working directory or the installed data folder (PREFIX/share/invitation),\n"
        "                  and an even width and height\n"
        "  --null          only render (for measuring)\n"
        "  --help          this text\n"
        "  --version       the version\n"
        "Ctrl-C (SIGINT), SIGTERM or SIGHUP stops after the current frame; what was written\n"
        "stays, and the video is finished.\n"
        "Exit status: 0 done, 1 failed, 2 wrong command line, 130 stopped by SIGINT, 143 by\n"
        "SIGTERM, 129 by SIGHUP.\n"};
    return program;
}

std::string parseCaptureArguments(std::vector<std::string> arguments, CaptureOptions& options) {
    arguments.insert(arguments.begin(), captureProgram().name);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    return parseCaptureOptions(static_cast<int>(argv.size()), argv.data(), options);
}

std::string parseCaptureOptions(int argc, char** argv, CaptureOptions& options) {
    auto setOutput = [&](CaptureOutput kind, const std::string& target) -> std::string {
        if (options.output != CaptureOutput::None) return "choose one of --png, --video and --null";
        options.output = kind;
        options.target = target;
        return {};
    };
    bool sizeGiven = false;
    bool optionsEnded = false;  // after "--", which only ends the options: there is nothing else to give
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (!optionsEnded && flag == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !looksLikeOption(argv[i])) return "unexpected argument " + quoted(flag);
        const bool takesValue = flag == "--fps" || flag == "--from" || flag == "--to" || flag == "--step" ||
                                flag == "--png" || flag == "--video" || flag == "--size" || flag == "--scale";
        if (takesValue && i + 1 >= argc) return flag + " needs a value";
        const std::string value = takesValue ? argv[++i] : "";
        std::string error;
        if (flag == "--fps") {
            error = parseRate(value, options.rateNumerator, options.rateDenominator);
        } else if (flag == "--from") {
            error = parseTime(flag, value, options.from);
        } else if (flag == "--to") {
            error = parseTime(flag, value, options.to);
        } else if (flag == "--step") {
            if (!parseWhole(value, options.step) || options.step < 1 || options.step > kCaptureMaxStep)
                error = "--step: " + quoted(value) + " is not a whole number from 1 to 1000000";
        } else if (flag == "--size" || flag == "--scale") {
            if (sizeGiven) return "--size and --scale both set the frame size; give one of them";
            sizeGiven = true;
            error = flag == "--size" ? parseSize(value, options) : parseScale(value, options);
        } else if (flag == "--png" || flag == "--video") {
            // A name starting with '-' is a forgotten value, or would read as an option to
            // ffmpeg; ./-name still works.
            if (value.empty() || value[0] == '-')
                return flag + (flag == "--png" ? " needs a folder" : " needs a file name");
            error = setOutput(flag == "--png" ? CaptureOutput::Png : CaptureOutput::Video, value);
        } else if (flag == "--null") {
            error = setOutput(CaptureOutput::Null, "");
        } else {
            return "unknown option " + flag;
        }
        if (!error.empty()) return error;
    }
    if (options.output == CaptureOutput::None) return "choose one of --png, --video and --null";
    if (options.to >= 0.0 && options.to < options.from) return "--to lies before --from";
    // yuv420p stores colour for 2x2 pixel blocks; libx264 refuses odd sizes. Refusing here,
    // rather than rounding, keeps the frames exactly the size asked for.
    if (options.output == CaptureOutput::Video && (options.width % 2 != 0 || options.height % 2 != 0))
        return options.sizeFlag + ": a video needs an even width and height, not " + std::to_string(options.width) +
               "x" + std::to_string(options.height);
    return {};
}

std::string CaptureOptions::outputFolder() const {
    if (output != CaptureOutput::Video) return target;
    const std::filesystem::path file(target);
    return file.has_parent_path() ? file.parent_path().string() : ".";
}

std::string CaptureOptions::videoName() const { return std::filesystem::path(target).filename().string(); }

namespace {

// Making the staging folder the capture will write through tells whether it can write there:
// access() says yes to root even on a read-only file system.
std::string tryStaging(const std::string& flag, const std::string& folder) {
    files::StagingFolder staging;
    const std::string error = staging.make(folder, captureProgram().name);
    return error.empty() ? "" : flag + ": cannot write in " + folder + ": " + error;
}

std::string preparePngFolder(const CaptureOptions& options) {
    namespace fs = std::filesystem;
    const std::string flag = "--png " + options.target;
    std::error_code error;
    fs::create_directories(options.target, error);
    if (error) return flag + ": cannot make the folder: " + error.message();
    if (!fs::is_directory(options.target, error)) return flag + ": not a folder";
    return tryStaging(flag, options.target);
}

std::string prepareVideo(CaptureOptions& options) {
    namespace fs = std::filesystem;
    const std::string flag = "--video " + options.target;
    const std::string folder = options.outputFolder();
    std::error_code error;
    if (!fs::is_directory(folder, error)) return flag + ": there is no folder " + folder;
    if (fs::is_directory(options.target, error)) return flag + ": that is a folder";
    if (options.videoName().empty()) return flag + ": names no file";
    const std::string staging = tryStaging(flag, folder);
    if (!staging.empty()) return staging;
    if (options.music.empty()) {
        const SoundtrackLocation soundtrack = findSoundtrack();
        if (soundtrack.path.empty()) return flag + ": " + soundtrack.places;
        options.music = soundtrack.path;
    } else if (access(options.music.c_str(), R_OK) != 0) {
        return flag + ": cannot read the soundtrack " + options.music;
    }
    return {};
}

}  // namespace

std::string prepareCaptureTarget(CaptureOptions& options) {
    if (options.output == CaptureOutput::Png) return preparePngFolder(options);
    if (options.output == CaptureOutput::Video) return prepareVideo(options);
    return {};
}

std::vector<std::string> videoCommand(const CaptureOptions& options, const std::string& file) {
    // Written frames come every `step` frames.
    const long frames = options.rateNumerator;
    const long seconds = options.rateDenominator * options.step;
    const long common = std::gcd(frames, seconds);
    const std::string rate = std::to_string(frames / common) + "/" + std::to_string(seconds / common);
    char offset[32];
    std::snprintf(offset, sizeof offset, "%.6f", options.frameTime(options.firstFrameAtOrAfter(options.from)));
    const std::string size = std::to_string(options.width) + "x" + std::to_string(options.height);
    // The sound goes on as silence past the soundtrack's end (apad), so the frames alone decide
    // the video's length (-shortest): a soundtrack shorter than the range, or one the range
    // starts after, still gives every frame, and a capture stopped early ends with its last
    // frame. "file:" keeps a name with a colon from being read as a protocol.
    return {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
            "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", size, "-framerate", rate, "-i", "pipe:0",
            "-ss", offset, "-i", "file:" + options.music,
            "-map", "0:v", "-map", "1:a", "-af", "apad",
            "-c:v", "libx264", "-preset", "veryfast", "-crf", "20", "-pix_fmt", "yuv420p",
            "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", "-shortest",
            "file:" + file};
}

void placeShowInFrame(const std::vector<unsigned char>& show, const PixelRect& box, int width, int height,
                      std::vector<unsigned char>& frame) {
    const size_t rowBytes = static_cast<size_t>(box.width) * 3;
    const size_t frameRowBytes = static_cast<size_t>(width) * 3;
    // Rows run top-down here, while box.y counts the bar below the show.
    const int top = height - box.y - box.height;
    for (int y = 0; y < box.height; ++y)
        std::memcpy(&frame[(static_cast<size_t>(top + y)) * frameRowBytes + static_cast<size_t>(box.x) * 3],
                    &show[static_cast<size_t>(y) * rowBytes], rowBytes);
}
