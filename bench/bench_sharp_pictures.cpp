// How much sharper a large frame is with pictures painted for its size: the frame at --at
// seconds (130 unless given; a picture fills the frame then) rendered at the show's 4K size
// (2880x2160, the 4:3 part of 3840x2160) with the larger pictures, with the embedded 800x600-era
// ones, and at 800x600 scaled up bilinearly to 2880x2160. Each is measured by its high-frequency
// energy: the variance of a Laplacian of its luma over the whole show. Also what the larger set
// costs: start-up time of each way and the size of the set's files. A crop of each is written
// as PNG for looking at. Figures, not a test.
//
//   bench_sharp_pictures [--at SECONDS] [--crops DIR]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/picture_sets.h"
#include "app/simulated_show.h"
#include "app/startup.h"
#include "gl/drawing_surface.h"
#include "texture/png_writer.h"

namespace {

using Clock = std::chrono::steady_clock;
using Pixels = std::vector<unsigned char>;

struct Image {
    int width = 0, height = 0;
    Pixels rgb;  // top row first
};

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The frame at `seconds`, reached by the fast-forward, with the pictures looked for in
// `pictureFolder`; *startup gets loadShow's seconds.
Image render(const FrameSize& frame, const std::string& pictureFolder, double seconds, double* startup) {
    Show show;
    show.frame = frame;
    StartupOptions options;
    options.pictureFolder = pictureFolder;
    const Clock::time_point start = Clock::now();
    const std::string error = loadShow(show, options);
    *startup = since(start);
    DrawingSurface surface;
    if (!error.empty() || !surface.create(frame, nullptr)) return {};
    Image image{frame.width, frame.height, {}};
    {
        SimulatedShow simulated(show, surface, 60, 1);
        const long target = std::lround(seconds * 60);
        for (long f = 0; f <= target; ++f) simulated.runFrame(f, frameUseAhead(target - f));
        image.rgb = surface.readRgb();
    }
    releaseShow(show);
    return image;
}

Image bilinearUp(const Image& from, int width, int height) {
    Image to{width, height, Pixels(static_cast<size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        const double sy = std::max(0.0, (y + 0.5) * from.height / height - 0.5);
        const int y0 = std::min(static_cast<int>(sy), from.height - 1), y1 = std::min(y0 + 1, from.height - 1);
        for (int x = 0; x < width; ++x) {
            const double sx = std::max(0.0, (x + 0.5) * from.width / width - 0.5);
            const int x0 = std::min(static_cast<int>(sx), from.width - 1), x1 = std::min(x0 + 1, from.width - 1);
            const double fx = sx - x0, fy = sy - y0;
            for (int c = 0; c < 3; ++c) {
                const auto at = [&](int px, int py) { return from.rgb[(static_cast<size_t>(py) * from.width + px) * 3 + c]; };
                const double top = at(x0, y0) * (1 - fx) + at(x1, y0) * fx;
                const double bottom = at(x0, y1) * (1 - fx) + at(x1, y1) * fx;
                to.rgb[(static_cast<size_t>(y) * width + x) * 3 + c] =
                    static_cast<unsigned char>(std::lround(top * (1 - fy) + bottom * fy));
            }
        }
    }
    return to;
}

// Variance of the 4-neighbour Laplacian of the luma, over every interior pixel.
double laplacianVariance(const Image& image) {
    const auto luma = [&](int x, int y) {
        const unsigned char* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
        return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    };
    double sum = 0.0, squares = 0.0;
    long count = 0;
    for (int y = 1; y + 1 < image.height; ++y)
        for (int x = 1; x + 1 < image.width; ++x) {
            const double l = 4 * luma(x, y) - luma(x - 1, y) - luma(x + 1, y) - luma(x, y - 1) - luma(x, y + 1);
            sum += l;
            squares += l * l;
            ++count;
        }
    const double mean = sum / count;
    return squares / count - mean * mean;
}

void writeCrop(const Image& image, const std::string& path) {
    // A quarter of the width and height, left of centre: detail of the picture and the glow.
    const int width = image.width / 4, height = image.height / 4;
    const int x0 = image.width / 4, y0 = image.height / 3;
    Pixels crop(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        std::memcpy(&crop[static_cast<size_t>(y) * width * 3],
                    &image.rgb[(static_cast<size_t>(y0 + y) * image.width + x0) * 3], static_cast<size_t>(width) * 3);
    const std::string error = writePng(path, width, height, crop);
    if (!error.empty()) std::fprintf(stderr, "bench_sharp_pictures: %s\n", error.c_str());
}

long folderBytes(const std::string& folder) {
    long bytes = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        bytes += static_cast<long>(entry.file_size(error));
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 130.0;
    std::string crops = std::string(DEMO_BUILD_DIR) + "/bench_sharp_pictures";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--at")) seconds = std::atof(argv[i + 1]);
        if (!std::strcmp(argv[i], "--crops")) crops = argv[i + 1];
    }
    std::string error;
    const std::unique_ptr<GlContext> context = openShowContext(800, 600, &error);
    if (!context) {
        std::fprintf(stderr, "bench_sharp_pictures: %s\n", error.c_str());
        return 1;
    }
    const FrameSize large = FrameSize::fitting(3840, 2160);
    double startupLarger = 0, startupEmbedded = 0, startupDesigned = 0;
    const Image larger = render(large, DEMO_BUILD_DIR, seconds, &startupLarger);
    const Image embedded = render(large, DEMO_BUILD_DIR "/no-such-folder", seconds, &startupEmbedded);
    const Image designed = render(FrameSize{}, "", seconds, &startupDesigned);
    if (larger.rgb.empty() || embedded.rgb.empty() || designed.rgb.empty()) {
        std::fprintf(stderr, "bench_sharp_pictures: a frame could not be rendered\n");
        return 1;
    }
    const Image upscaled = bilinearUp(designed, large.width, large.height);
    std::filesystem::create_directories(crops);
    writeCrop(larger, crops + "/4k_larger_pictures.png");
    writeCrop(embedded, crops + "/4k_embedded_pictures.png");
    writeCrop(upscaled, crops + "/800x600_scaled_up.png");

    std::printf("frame at %.1f s, %dx%d, variance of the Laplacian of luma (higher: more fine detail):\n", seconds,
                large.width, large.height);
    std::printf("  4K, pictures painted at 4x       %8.2f   start-up %5.2f s\n", laplacianVariance(larger), startupLarger);
    std::printf("  4K, the embedded pictures        %8.2f   start-up %5.2f s\n", laplacianVariance(embedded),
                startupEmbedded);
    std::printf("  800x600 scaled up bilinearly     %8.2f   start-up %5.2f s (at 800x600)\n", laplacianVariance(upscaled),
                startupDesigned);
    const int set = pictureSetFor(large);
    std::printf("set used: %dx; files: pictures-2x %.1f MB, pictures-4x %.1f MB; crops in %s\n", set,
                folderBytes(std::string(DEMO_BUILD_DIR) + "/pictures-2x") / 1e6,
                folderBytes(std::string(DEMO_BUILD_DIR) + "/pictures-4x") / 1e6, crops.c_str());
    return 0;
}
