// bench_texture [rounds]: loads the eleven embedded pictures the way start-up does — scratch
// file written, decoded, uploaded with all mipmap levels, file deleted — and prints the median
// time per picture and for all eleven, split into decoding and mipmap building.
//
// Runs on whatever GL the offscreen context gets (Mesa's software renderer on the build
// machines), so the mipmap figures include the driver's own copy of every level.
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/embedded_assets.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/temp_folder.h"
#include "texture/jpeg_texture.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Timings {
    std::vector<double> decode;  // one entry per round
    std::vector<double> mipmap;
};

// One round over every picture; adds each picture's times to `perPicture`.
bool loadAllOnce(const std::string& scratch, std::vector<Timings>& perPicture) {
    for (int i = 0; i < assetTubeObject; ++i) {
        const EmbeddedAsset& asset = embeddedAsset(i);
        Clock::time_point start = Clock::now();
        writeAssetFile(scratch.c_str(), asset.bytes, asset.size);
        const auto image = decodeJpegFile(scratch.c_str());
        deleteAssetFile(scratch.c_str());
        perPicture[i].decode.push_back(millisecondsSince(start));
        if (!image) return false;
        start = Clock::now();
        GLuint texture = uploadMipmappedTexture(*image);
        glFinish();
        perPicture[i].mipmap.push_back(millisecondsSince(start));
        glDeleteTextures(1, &texture);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    std::string why;
    if (!testsupport::ensureGlContext(&why)) {
        std::fprintf(stderr, "bench_texture: %s\n", why.c_str());
        return 1;
    }
    // A private folder, removed at exit: a fixed name in /tmp could be anyone's file or link.
    const std::string scratch = testsupport::tempPath("pl");
    std::vector<Timings> perPicture(assetTubeObject);
    std::vector<double> totalDecode, totalMipmap;
    for (int round = 0; round < rounds; ++round) {
        if (!loadAllOnce(scratch, perPicture)) {
            std::fprintf(stderr, "bench_texture: a picture failed to decode\n");
            return 1;
        }
        double decode = 0, mipmap = 0;
        for (const Timings& t : perPicture) {
            decode += t.decode.back();
            mipmap += t.mipmap.back();
        }
        totalDecode.push_back(decode);
        totalMipmap.push_back(mipmap);
    }
    std::printf("median of %d rounds, milliseconds (renderer: %s)\n", rounds,
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("%-10s %9s %8s %8s %8s\n", "picture", "size", "decode", "mipmap", "total");
    double sumDecode = 0, sumMipmap = 0;
    for (int i = 0; i < assetTubeObject; ++i) {
        const EmbeddedAsset& asset = embeddedAsset(i);
        const double decode = median(perPicture[i].decode), mipmap = median(perPicture[i].mipmap);
        sumDecode += decode;
        sumMipmap += mipmap;
        std::printf("%-10s %4dx%-4d %8.2f %8.2f %8.2f\n", asset.name, asset.width, asset.height, decode, mipmap,
                    decode + mipmap);
    }
    // On a loaded machine a round of eleven rarely escapes every preemption, so the sum of the
    // per-picture medians is the steadier figure; both are printed.
    std::printf("%-20s %8.2f %8.2f %8.2f\n", "sum of medians", sumDecode, sumMipmap, sumDecode + sumMipmap);
    const double decode = median(totalDecode), mipmap = median(totalMipmap);
    std::printf("%-20s %8.2f %8.2f %8.2f\n", "median of rounds", decode, mipmap, decode + mipmap);
    return 0;
}
