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

#include <jpeglib.h>

#include "texture/png_writer.h"
#include "tools/make_pictures_art.h"

namespace {

constexpr int kCommentOverhead = 4;  // marker and length field of a COM segment
constexpr int kMaxCommentBytes = 65533;

std::vector<unsigned char> encodeJpeg(const Canvas& canvas, const std::vector<unsigned char>& rgb, int quality,
                                      const std::string& comment) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = canvas.width;
    info.image_height = canvas.height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Tables fitted to the picture: still baseline, and the small sprite keeps its quality.
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    if (!comment.empty())
        jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data()),
                          static_cast<unsigned>(comment.size()));
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&rgb[static_cast<size_t>(info.next_scanline) * canvas.width * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<unsigned char> bytes(buffer, buffer + size);
    free(buffer);
    return bytes;
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
