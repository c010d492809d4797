// make-icon: turns a frame of the show into the application's icon, so the icon always looks
// like the show it launches.
//
//   make-icon [--square X,Y,SIDE] [--] FRAME.png ICON.png SIZE
//
// A square of the frame (the centred one unless given) is reduced to SIZE x SIZE by an area
// filter: each icon pixel is the mean of exactly the frame area it covers, averaged in linear
// light so that fine bright detail neither darkens nor shimmers. The corners are rounded
// through the alpha channel, as desktop icons usually are. Same input, same bytes.
#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

const ProgramInfo kProgram = {
    "make-icon",
    "usage: make-icon [--square X,Y,SIDE] [--] FRAME.png ICON.png SIZE\n"
    "Reduces a square of a picture (a frame of the show) to a SIZE x SIZE icon with rounded\n"
    "corners, written as an RGBA PNG.\n"
    "  --square X,Y,SIDE  the square to take, its top-left corner at X,Y (default: the largest\n"
    "                     centred square)\n"
    "  SIZE               16 to 1024, at most the square's side\n"
    "  --help             this text\n"
    "  --version          the version\n"
    "Exit status: 0 when the icon was written, 1 when it could not be, 2 for a wrong command line.\n"};

// A frame larger than the largest the capture makes is not one.
constexpr png_uint_32 kMaxFrameWidth = 7680;
constexpr png_uint_32 kMaxFrameHeight = 4320;
constexpr int kMinIconSize = 16;
constexpr int kMaxIconSize = 1024;

struct Square {
    int x = 0, y = 0, side = 0;  // side 0: the centred one
};

struct Options {
    Square square;
    std::string frame, icon;
    int size = 0;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // rows top-down
};

bool parseWhole(const std::string& text, int low, int high, int& out) {
    double value = 0;
    if (!parseNumber(text, value) || value != std::floor(value) || value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

bool parseSquare(const std::string& text, Square& square) {
    const size_t first = text.find(',');
    const size_t second = first == std::string::npos ? first : text.find(',', first + 1);
    if (second == std::string::npos) return false;
    const int limit = static_cast<int>(kMaxFrameWidth);
    return parseWhole(text.substr(0, first), 0, limit, square.x) &&
           parseWhole(text.substr(first + 1, second - first - 1), 0, limit, square.y) &&
           parseWhole(text.substr(second + 1), 1, limit, square.side);
}

// Returns -1 to go on, or the exit code to leave with.
int parseOptions(int argc, char** argv, Options& options) {
    if (const int exitCode = handleHelpAndVersion(kProgram, argc, argv); exitCode >= 0) return exitCode;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--square") {
            if (i + 1 >= argc || !parseSquare(argv[i + 1], options.square))
                return usageError(kProgram, "--square takes X,Y,SIDE (whole numbers, SIDE above 0)");
            ++i;
        } else if (!optionsEnded && looksLikeOption(argv[i])) {
            return usageError(kProgram, "unknown option " + argument);
        } else if (argument.empty()) {
            return usageError(kProgram, "an empty argument where a file name or SIZE belongs");
        } else {
            operands.push_back(argument);
        }
    }
    if (operands.size() != 3) return usageError(kProgram, "expected FRAME.png ICON.png SIZE");
    options.frame = operands[0];
    options.icon = operands[1];
    if (!parseWhole(operands[2], kMinIconSize, kMaxIconSize, options.size))
        return usageError(kProgram, "SIZE must be a whole number from 16 to 1024, not \"" + operands[2] + "\"");
    return -1;
}

std::string readFrame(const std::string& path, Picture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return path + ": " + image.message;
    if (image.width > kMaxFrameWidth || image.height > kMaxFrameHeight) {
        png_image_free(&image);
        return path + ": " + std::to_string(image.width) + "x" + std::to_string(image.height) +
               " is larger than any frame (" + std::to_string(kMaxFrameWidth) + "x" +
               std::to_string(kMaxFrameHeight) + ")";
    }
    image.format = PNG_FORMAT_RGB;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) return path + ": " + image.message;
    return {};
}

std::string chooseSquare(const Picture& frame, Square& square) {
    if (square.side == 0) {
        square.side = std::min(frame.width, frame.height);
        square.x = (frame.width - square.side) / 2;
        square.y = (frame.height - square.side) / 2;
    }
    if (square.x + square.side > frame.width || square.y + square.side > frame.height)
        return "the square " + std::to_string(square.side) + " at " + std::to_string(square.x) + "," +
               std::to_string(square.y) + " does not fit in the " + std::to_string(frame.width) + "x" +
               std::to_string(frame.height) + " frame";
    return {};
}

// sRGB to linear light, one entry per 8-bit value.
const std::array<double, 256>& linearTable() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> values{};
        for (size_t i = 0; i < values.size(); ++i) {
            const double v = i / 255.0;
            values[i] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        }
        return values;
    }();
    return table;
}

unsigned char toSrgb(double linear) {
    const double v = linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return static_cast<unsigned char>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

// The share each source sample has in each of `size` output samples spanning `side` source
// samples: output o covers [o s, (o + 1) s) with s = side / size, and a sample counts by how
// much of it lies inside.
struct Tap {
    int source;
    double weight;
};
std::vector<std::vector<Tap>> areaTaps(int side, int size) {
    const double step = static_cast<double>(side) / size;
    std::vector<std::vector<Tap>> taps(size);
    for (int o = 0; o < size; ++o) {
        const double begin = o * step, end = (o + 1) * step;
        for (int s = static_cast<int>(begin); s < side && s < end; ++s) {
            const double overlap = std::min(end, s + 1.0) - std::max(begin, static_cast<double>(s));
            if (overlap > 0) taps[o].push_back({s, overlap / step});
        }
    }
    return taps;
}

// The square reduced to size x size, linear RGB. Rows first, then columns: the filter is
// separable, and this way each frame pixel is decoded from sRGB once.
std::vector<double> reduce(const Picture& frame, const Square& square, int size) {
    const std::vector<std::vector<Tap>> taps = areaTaps(square.side, size);
    const std::array<double, 256>& toLinear = linearTable();
    std::vector<double> rows(static_cast<size_t>(square.side) * size * 3, 0.0);
    for (int y = 0; y < square.side; ++y) {
        const unsigned char* line = &frame.rgb[(static_cast<size_t>(square.y + y) * frame.width + square.x) * 3];
        for (int o = 0; o < size; ++o)
            for (const Tap& tap : taps[o])
                for (int c = 0; c < 3; ++c)
                    rows[(static_cast<size_t>(y) * size + o) * 3 + c] += tap.weight * toLinear[line[tap.source * 3 + c]];
    }
    std::vector<double> out(static_cast<size_t>(size) * size * 3, 0.0);
    for (int o = 0; o < size; ++o)
        for (const Tap& tap : taps[o])
            for (size_t i = 0; i < static_cast<size_t>(size) * 3; ++i)
                out[static_cast<size_t>(o) * size * 3 + i] += tap.weight * rows[static_cast<size_t>(tap.source) * size * 3 + i];
    return out;
}

// How much of the pixel at (x, y) lies inside a square of `size` whose corners are rounded by
// `radius`, from a 4 x 4 grid of samples: edges come out smooth at every size.
unsigned char cornerCoverage(int x, int y, int size, double radius) {
    int inside = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
            const double px = x + (sx + 0.5) / 4, py = y + (sy + 0.5) / 4;
            const double dx = std::max(radius - px, px - (size - radius));
            const double dy = std::max(radius - py, py - (size - radius));
            inside += dx <= 0 || dy <= 0 || dx * dx + dy * dy <= radius * radius;
        }
    return static_cast<unsigned char>((inside * 255 + 8) / 16);
}

std::vector<unsigned char> toIcon(const std::vector<double>& linear, int size) {
    const double radius = size / 8.0;
    std::vector<unsigned char> rgba(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const size_t pixel = static_cast<size_t>(y) * size + x;
            for (int c = 0; c < 3; ++c) rgba[pixel * 4 + c] = toSrgb(linear[pixel * 3 + c]);
            rgba[pixel * 4 + 3] = cornerCoverage(x, y, size, radius);
        }
    return rgba;
}

std::string writeIcon(const std::string& path, int size, const std::vector<unsigned char>& rgba) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(size);
    image.height = static_cast<png_uint_32>(size);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr)) {
        std::remove(path.c_str());  // no half-written icon for the build to install
        return path + ": " + image.message;
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int exitCode = parseOptions(argc, argv, options); exitCode >= 0) return exitCode;
    Picture frame;
    std::string error = readFrame(options.frame, frame);
    if (error.empty()) error = chooseSquare(frame, options.square);
    if (error.empty() && options.size > options.square.side)
        error = "an icon of " + std::to_string(options.size) + " would be larger than the square of " +
                std::to_string(options.square.side) + " it is made from";
    if (error.empty()) error = writeIcon(options.icon, options.size, toIcon(reduce(frame, options.square, options.size), options.size));
    if (!error.empty()) {
        std::fprintf(stderr, "make-icon: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
