// jpeg-info: what JPEG files hold, as the engine's own decoder sees them.
//
//   jpeg-info [--json] [--png DIR] [--] FILE...
//
// For each file: a short summary for a person, or with --json one JSON object on one line
// (stdout holds nothing else). Every file that is refused also gets one line on standard
// error, "<file>: <reason>", names escaped as in the other tools. With --png DIR the decoded picture is written as DIR/<name>.png
// (DIR is made when missing). Exit status 0 when every file decoded (and was written), 1
// otherwise, 2 for a wrong command line. Needs no GL.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "app/command_line.h"
#include "texture/jpeg_decoder.h"
#include "texture/png_writer.h"
#include "text/json_text.h"

namespace {

// File names and the reasons that quote them are the user's bytes: escaped, they cannot command
// the terminal they are shown on.
using terminal::printable;

const ProgramInfo kProgram = {
    "jpeg-info",
    "usage: jpeg-info [--json] [--png DIR] [--] FILE...\n"
    "Says what JPEG files hold as the engine decodes them, or why they are refused.\n"
    "  --json     one JSON object per file, one line each: file, ok, error, width, height,\n"
    "             components, colourSpace (both as stored), adobeMarker (CMYK stored inverted),\n"
    "             meanRGB (of the decoded pixels), warnings (the harmless ones it was\n"
    "             accepted with), png (the picture written)\n"
    "  --png DIR  also write each decoded picture as DIR/NAME.png (DIR is made if missing)\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "Exit status: 0 when every file decoded, 1 when one did not, 2 for a wrong command line.\n"};

struct Options {
    bool json = false;
    std::string pngDir;
    std::vector<std::string> files;
};

// Returns what is wrong with the command line, or an empty text.
std::string parseOptions(int argc, char** argv, Options& options) {
    for (ArgumentWalk walk(argc, argv); walk.next();) {
        const std::string& arg = walk.text();
        if (!walk.isOption()) {
            options.files.push_back(arg);
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--png") {
            const char* value = walk.value();
            if (!value || looksLikeOption(value) || *value == '\0') return "--png needs a folder";
            if (!options.pngDir.empty()) return "--png given twice";
            options.pngDir = value;
        } else {
            return "unknown option " + arg;
        }
    }
    if (options.files.empty()) return "no file given";
    return "";
}

struct MeanRgb {
    double channel[3] = {0, 0, 0};
};

MeanRgb meanOf(const DecodedImage& image) {
    MeanRgb mean;
    // At most 2^26 pixels of at most 255: the sums stay exact in 64 bits.
    unsigned long long sums[3] = {0, 0, 0};
    for (size_t i = 0; i + 2 < image.pixels.size(); i += 3)
        for (int c = 0; c < 3; ++c) sums[c] += image.pixels[i + c];
    const double pixels = static_cast<double>(image.width) * image.height;
    for (int c = 0; c < 3; ++c) mean.channel[c] = pixels > 0 ? static_cast<double>(sums[c]) / pixels : 0;
    return mean;
}

std::string nullOr(bool present, const std::string& value) { return present ? value : "null"; }

std::string toJson(const std::string& file, const JpegDecoding& decoding, const std::string& pngPath) {
    const JpegHeader& h = decoding.header;
    const bool ok = decoding.image != nullptr;
    std::string mean = "null";
    if (ok) {
        const MeanRgb m = meanOf(*decoding.image);
        mean = "[" + json::number(static_cast<float>(m.channel[0])) + "," +
               json::number(static_cast<float>(m.channel[1])) + "," +
               json::number(static_cast<float>(m.channel[2])) + "]";
    }
    std::vector<json::Member> members = {
        {"file", json::quoted(file)},
        {"ok", json::boolean(ok)},
        {"error", nullOr(!ok, json::quoted(decoding.error))},
        {"width", nullOr(decoding.headerRead, json::number(int64_t{h.width}))},
        {"height", nullOr(decoding.headerRead, json::number(int64_t{h.height}))},
        {"components", nullOr(decoding.headerRead, json::number(int64_t{h.components}))},
        {"colourSpace", nullOr(decoding.headerRead, json::quoted(colourSpaceName(h.colourSpace)))},
        {"adobeMarker", nullOr(decoding.headerRead, json::boolean(h.adobeMarker))},
        {"meanRGB", mean},
        {"warnings", json::array(decoding.warnings, [](const std::string& w) { return json::quoted(w); })}};
    if (!pngPath.empty()) members.push_back({"png", json::quoted(pngPath)});
    return json::object(members);
}

std::string summary(const std::string& file, const JpegDecoding& decoding) {
    if (!decoding.image) return "FAILED: " + printable(decoding.error) + "\n";
    const JpegHeader& h = decoding.header;
    const MeanRgb m = meanOf(*decoding.image);
    char mean[96];
    std::snprintf(mean, sizeof mean, "%.2f %.2f %.2f", m.channel[0], m.channel[1], m.channel[2]);
    const char* components = h.components == 1 ? " component " : " components ";
    std::string out = printable(file) + ": ok, " + std::to_string(h.width) + "x" + std::to_string(h.height) + ", " +
                      std::to_string(h.components) + components + colourSpaceName(h.colourSpace) +
                      (h.adobeMarker ? " (Adobe marker)" : "") + ", mean RGB " + mean + "\n";
    for (const std::string& warning : decoding.warnings) out += "  accepted despite: " + printable(warning) + "\n";
    return out;
}

// DIR/<file name without its extension>.png; a name already written in this run gets -2, -3...
std::string pngPathFor(const std::string& dir, const std::string& file, std::set<std::string>& used) {
    const std::string stem = std::filesystem::path(file).stem().string();
    std::string name = stem.empty() ? "picture" : stem;
    for (int n = 2; used.count(name); ++n) name = stem + "-" + std::to_string(n);
    used.insert(name);
    return (std::filesystem::path(dir) / (name + ".png")).string();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int exitCode = takeCommandLine(kProgram, argc, argv, options, parseOptions); exitCode >= 0) return exitCode;
    if (!options.pngDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(options.pngDir, error);
        if (error || !std::filesystem::is_directory(options.pngDir)) {
            std::fprintf(stderr, "jpeg-info: %s: cannot make the folder: %s\n", printable(options.pngDir).c_str(),
                         error ? error.message().c_str() : "a file of that name is in the way");
            return 1;
        }
    }
    bool allDecoded = true;
    std::set<std::string> pngNames;
    for (const std::string& file : options.files) {
        const JpegDecoding decoding = decodeJpegPath(file);
        std::string pngPath;
        std::string pngError;
        if (decoding.image && !options.pngDir.empty()) {
            pngPath = pngPathFor(options.pngDir, file, pngNames);
            const DecodedImage& image = *decoding.image;
            pngError = writePng(pngPath, image.width, image.height, image.pixels);
        }
        if (!decoding.image) std::fprintf(stderr, "jpeg-info: %s\n", printable(decoding.error).c_str());
        if (!pngError.empty()) std::fprintf(stderr, "jpeg-info: %s\n", printable(pngError).c_str());
        allDecoded = allDecoded && decoding.image && pngError.empty();
        std::cout << (options.json ? toJson(file, decoding, pngError.empty() ? pngPath : "") + "\n"
                                   : summary(file, decoding))
                  << std::flush;
    }
    return allDecoded ? 0 : 1;
}
