// make-pictures: paints the demo's eleven pictures and writes them as baseline JFIF files,
// each exactly the size the embedded asset table states.
//
//   make-pictures <output folder> [<png folder>]
//
// The size is met by choosing the highest JPEG quality whose file still fits and filling the
// rest with a comment segment, so a run always reproduces the same bytes. With a PNG folder the
// painted pixels are also written losslessly, for looking at.
#include <cstdio>
#include <string>
#include <vector>

#include "texture/png_writer.h"
#include "tools/jpeg_encoder.h"
#include "tools/make_pictures_art.h"

namespace {

constexpr int kCommentOverhead = 4;  // marker and length field of a COM segment
constexpr int kMaxCommentBytes = 65533;

std::vector<unsigned char> encodeJpeg(const Canvas& canvas, const std::vector<unsigned char>& rgb, int quality,
                                      const std::string& comment) {
    JpegEncoding encoding;
    encoding.quality = quality;
    encoding.comment = comment;
    // Tables fitted to the picture: still baseline, and the small sprite keeps its quality.
    encoding.adjust = [](jpeg_compress_struct& info) { info.optimize_coding = TRUE; };
    return encodeRgbJpeg(canvas.width, canvas.height, rgb, encoding);
}

std::string fillerComment(const PictureRecipe& recipe, size_t length) {
    std::string text = std::string("invitation demo picture ") + recipe.name;
    text.resize(length, ' ');
    return text;
}

// Returns an empty vector when no quality fits the size with a comment of allowed length.
std::vector<unsigned char> encodeToSize(const PictureRecipe& recipe, const Canvas& canvas, int* qualityUsed) {
    const std::vector<unsigned char> rgb = canvas.toRgb8();
    for (int quality = 100; quality >= 5; --quality) {
        const long plain = static_cast<long>(encodeJpeg(canvas, rgb, quality, "").size());
        const long filler = recipe.fileBytes - plain - kCommentOverhead;
        if (filler < 0) continue;
        if (filler > kMaxCommentBytes) return {};
        *qualityUsed = quality;
        // A zero-length comment would not be written; one byte of filler is the least.
        if (filler == 0) continue;
        return encodeJpeg(canvas, rgb, quality, fillerComment(recipe, static_cast<size_t>(filler)));
    }
    return {};
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make-pictures <output folder> [<png folder>]\n");
        return 2;
    }
    const std::string outDir = argv[1];
    for (const PictureRecipe& recipe : pictureRecipes()) {
        const Canvas canvas = recipe.paint();
        int quality = 0;
        const std::vector<unsigned char> jpeg = encodeToSize(recipe, canvas, &quality);
        if (jpeg.size() != static_cast<size_t>(recipe.fileBytes)) {
            std::fprintf(stderr, "%s: cannot meet %d bytes (content too rich or too plain)\n", recipe.name,
                         recipe.fileBytes);
            return 1;
        }
        const std::string path = outDir + "/" + recipe.name + ".jpg";
        if (!writeFile(path, jpeg)) {
            std::fprintf(stderr, "%s: cannot write\n", path.c_str());
            return 1;
        }
        std::printf("%s: %dx%d, %d bytes, quality %d\n", path.c_str(), recipe.width, recipe.height, recipe.fileBytes,
                    quality);
        if (argc == 3) {
            const std::string error =
                writePng(std::string(argv[2]) + "/" + recipe.name + ".png", canvas.width, canvas.height, canvas.toRgb8());
            if (!error.empty()) std::fprintf(stderr, "%s\n", error.c_str());
        }
    }
    return 0;
}
