// make-pictures: paints the demo's eleven pictures and writes them as baseline JFIF files,
// each exactly the size the embedded asset table states; or, with --scale 2 or 4, the same
// pictures painted at two or four times their size, for shows rendered larger than 800x600.
//
//   make-pictures [--scale S] [--] DIR [PNGDIR]
//
// The size is met by choosing the highest JPEG quality whose file still fits and filling the
// rest with a comment segment, so a run always reproduces the same bytes. The larger sets have
// no size to meet: they are encoded at one fixed quality. With a PNG folder the painted pixels
// are also written losslessly, for looking at.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "texture/png_writer.h"
#include "tools/jpeg_encoder.h"
#include "tools/make_pictures_art.h"

namespace {

const ProgramInfo kProgram = {
    "make-pictures",
    "usage: make-pictures [--scale S] [--] DIR [PNGDIR]\n"
    "Paints the demo's eleven pictures and writes pic01.jpg ... pic11.jpg to the folder DIR as\n"
    "baseline JFIF files, each exactly the size the asset table gives.\n"
    "  --scale S  paint them at S (2 or 4) times their size instead, at a fixed quality\n"
    "  PNGDIR     also write the painted pixels there as PNG, for looking at\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "Exit status: 0 when every picture was written, 1 when one was not, 2 for a wrong command line.\n"};

constexpr int kLargerSetQuality = 90;
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

// Takes "--scale S" off the front of the command line: S, 1 without it, 0 when S is not 2 or 4.
int takeScale(int& argc, char**& argv) {
    if (argc < 3 || std::strcmp(argv[1], "--scale") != 0) return 1;
    const int scale = std::strcmp(argv[2], "2") == 0 ? 2 : std::strcmp(argv[2], "4") == 0 ? 4 : 0;
    argv[2] = argv[0];
    argc -= 2;
    argv += 2;
    return scale;
}

}  // namespace

int main(int argc, char** argv) {
    const int scale = takeScale(argc, argv);
    if (scale == 0) return usageError(kProgram, "--scale takes 2 or 4");
    std::vector<std::string> folders;
    const int exitCode = takeOperands(kProgram, argc, argv, {"the output folder", "the PNG folder"}, 1, folders);
    if (exitCode >= 0) return exitCode;
    const std::string& outDir = folders[0];
    for (const PictureRecipe& recipe : pictureRecipes()) {
        const Canvas canvas = recipe.paint(static_cast<float>(scale));
        int quality = kLargerSetQuality;
        const std::vector<unsigned char> jpeg = scale == 1 ? encodeToSize(recipe, canvas, &quality)
                                                           : encodeJpeg(canvas, canvas.toRgb8(), quality, "");
        if (scale == 1 && jpeg.size() != static_cast<size_t>(recipe.fileBytes)) {
            std::fprintf(stderr, "%s: %s: cannot meet %d bytes (content too rich or too plain)\n", kProgram.name,
                         recipe.name, recipe.fileBytes);
            return 1;
        }
        const std::string path = outDir + "/" + recipe.name + ".jpg";
        if (!writeFile(path, jpeg)) {
            std::fprintf(stderr, "%s: %s: cannot write\n", kProgram.name, path.c_str());
            return 1;
        }
        std::printf("%s: %dx%d, %zu bytes, quality %d\n", path.c_str(), canvas.width, canvas.height, jpeg.size(),
                    quality);
        if (folders.size() == 2) {
            const std::string error =
                writePng(folders[1] + "/" + recipe.name + ".png", canvas.width, canvas.height, canvas.toRgb8());
            if (!error.empty()) std::fprintf(stderr, "%s: %s\n", kProgram.name, error.c_str());
        }
    }
    return 0;
}
