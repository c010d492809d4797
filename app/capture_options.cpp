#include "app/capture_options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "timeline/demo_clock.h"

namespace {

bool parseDouble(const char* text, double& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text, &end);
    return errno == 0 && end != text && *end == '\0' && std::isfinite(out);
}

bool parseLong(const char* text, long& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0';
}

// "60", "60000/1001" or "29.97" (decimals become a ratio over a power of ten).
bool parseRate(const std::string& text, long& numerator, long& denominator) {
    const size_t slash = text.find('/');
    if (slash != std::string::npos) {
        return parseLong(text.substr(0, slash).c_str(), numerator) &&
               parseLong(text.substr(slash + 1).c_str(), denominator) && numerator > 0 &&
               denominator > 0 && numerator <= 1000000 && denominator <= 1000000;
    }
    double rate = 0.0;
    if (!parseDouble(text.c_str(), rate) || rate <= 0.0 || rate > 1000.0) return false;
    denominator = 1000;
    numerator = std::lround(rate * denominator);
    return numerator > 0;
}

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

double CaptureOptions::frameTime(long frame) const {
    return static_cast<double>(frame) * static_cast<double>(rateDenominator) / static_cast<double>(rateNumerator);
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

std::string CaptureOptions::framePath(long frame) const {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06ld.png", frame);
    return target + name;
}

const char* captureUsage() {
    return "usage: demo-capture [--fps RATE] [--from SECONDS] [--to SECONDS] [--step K]\n"
           "                    (--png DIR | --video FILE | --null)\n";
}

std::string parseCaptureOptions(int argc, char** argv, CaptureOptions& options) {
    auto setOutput = [&](CaptureOutput kind, const char* target) -> std::string {
        if (options.output != CaptureOutput::None) return "choose one of --png, --video and --null";
        options.output = kind;
        options.target = target ? target : "";
        return {};
    };
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        const bool takesValue = flag == "--fps" || flag == "--from" || flag == "--to" ||
                                flag == "--step" || flag == "--png" || flag == "--video";
        if (takesValue && i + 1 >= argc) return flag + " needs a value";
        const char* value = takesValue ? argv[++i] : nullptr;
        std::string error;
        if (flag == "--fps") {
            if (!parseRate(value, options.rateNumerator, options.rateDenominator))
                return std::string("--fps: not a frame rate: ") + value;
        } else if (flag == "--from") {
            if (!parseDouble(value, options.from) || options.from < 0.0)
                return std::string("--from: not a time in seconds: ") + value;
        } else if (flag == "--to") {
            if (!parseDouble(value, options.to) || options.to < 0.0)
                return std::string("--to: not a time in seconds: ") + value;
        } else if (flag == "--step") {
            if (!parseLong(value, options.step) || options.step < 1)
                return std::string("--step: not a positive whole number: ") + value;
        } else if (flag == "--png") {
            error = setOutput(CaptureOutput::Png, value);
        } else if (flag == "--video") {
            error = setOutput(CaptureOutput::Video, value);
        } else if (flag == "--null") {
            error = setOutput(CaptureOutput::Null, nullptr);
        } else {
            return "unknown argument: " + flag;
        }
        if (!error.empty()) return error;
    }
    if (options.output == CaptureOutput::None) return "choose one of --png, --video and --null";
    if (options.to >= 0.0 && options.to < options.from) return "--to lies before --from";
    return {};
}

std::string videoCommand(const CaptureOptions& options) {
    const std::string rate = std::to_string(options.rateNumerator) + "/" +
                             std::to_string(options.rateDenominator * options.step);
    char offset[32];
    std::snprintf(offset, sizeof offset, "%.6f", options.frameTime(options.firstFrameAtOrAfter(options.from)));
    return "ffmpeg -hide_banner -loglevel error -y -f rawvideo -pix_fmt rgb24 -s 800x600 -framerate " + rate +
           " -i - -ss " + offset + " -i " + shellQuote(options.music) +
           " -map 0:v -map 1:a -c:v libx264 -preset veryfast -crf 20 -pix_fmt yuv420p -c:a aac -b:a 192k"
           " -shortest " + shellQuote(options.target);
}
