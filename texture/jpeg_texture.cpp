#include "texture/jpeg_texture.h"

#include <GL/glu.h>

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace {

// Progressive files may hold any number of scans, each a full pass over the coefficients; a
// few hundred is far beyond what encoders write and keeps hostile files from taking minutes.
constexpr int kMaxScans = 500;

// Rows handed to the library per call; a fixed array so that nothing on the stack of
// readJpegPixels needs destroying when an error jumps out of it.
constexpr int kRowBatch = 16;

// The library's error manager, extended so that errors (and warnings about damaged data)
// jump back to the decode instead of ending the process.
struct JumpingErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char reason[JMSG_LENGTH_MAX];
    // Set by our own checks, which are not library messages.
    const char* ownReason;
};

JumpingErrorManager& managerOf(j_common_ptr info) {
    // `base` is the first member, so the library's pointer is the manager's address.
    return *reinterpret_cast<JumpingErrorManager*>(info->err);
}

[[noreturn]] void jumpOnError(j_common_ptr info) {
    JumpingErrorManager& manager = managerOf(info);
    if (!manager.ownReason) manager.base.format_message(info, manager.reason);
    std::longjmp(manager.jump, 1);
}

// Warnings mean damaged data (a premature end, a bad Huffman code, stray bytes) except for the
// few that only describe unusual but harmless markers; the damaged ones are failures, since
// the library would otherwise fill the rest of the picture with grey and call it a success.
bool isHarmlessWarning(int code) {
    return code == JWRN_ADOBE_XFORM || code == JWRN_JFIF_MAJOR || code == JWRN_BOGUS_ICC;
}

void emitMessage(j_common_ptr info, int level) {
    if (level < 0 && !isHarmlessWarning(info->err->msg_code)) jumpOnError(info);
}

void failWith(jpeg_decompress_struct& decompressor, const char* reason) {
    managerOf(reinterpret_cast<j_common_ptr>(&decompressor)).ownReason = reason;
    jumpOnError(reinterpret_cast<j_common_ptr>(&decompressor));
}

void limitScans(j_common_ptr info) {
    auto* decompressor = reinterpret_cast<j_decompress_ptr>(info);
    if (decompressor->input_scan_number > kMaxScans)
        failWith(*decompressor, "too many scans in a progressive file");
}

// Widens one row of grey bytes, stored in the last third of its RGB row, to R=G=B in place.
// Working forwards is safe: pixel x is read (at 2w + x) before anything is written there.
void widenGreyRow(unsigned char* row, int width) {
    const unsigned char* grey = row + 2 * static_cast<size_t>(width);
    for (int x = 0; x < width; ++x) {
        const unsigned char value = grey[x];
        row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = value;
    }
}

// Everything the library touches during one decode. It lives in the frame that calls
// runDecode, not in the frame that calls setjmp, so its contents stay well defined after a jump.
struct DecodeSession {
    jpeg_decompress_struct decompressor;
    JumpingErrorManager manager;
    jpeg_progress_mgr progress;
};

// Creates the decompressor, lets `attachSource` give it its data and decodes into `image`.
// False when the library or our checks gave up; the reason is in the session's manager.
// Nothing here needs destroying, so a long jump out of the library skips no destructor.
template <typename AttachSource>
bool runDecode(DecodeSession& session, const AttachSource& attachSource, DecodedImage& image,
               size_t maxPixels) {
    if (setjmp(session.manager.jump)) return false;
    jpeg_create_decompress(&session.decompressor);
    session.decompressor.progress = &session.progress;
    attachSource(session.decompressor);
    readJpegPixels(session.decompressor, image, maxPixels);
    return true;
}

// Decodes with the jumping error manager; the decompressor is destroyed on every road and the
// caller keeps owning the data source.
template <typename AttachSource>
std::unique_ptr<DecodedImage> decodeWith(const AttachSource& attachSource, size_t maxPixels,
                                         std::string* error) {
    auto image = std::make_unique<DecodedImage>();
    DecodeSession session{};
    session.decompressor.err = jpeg_std_error(&session.manager.base);
    session.manager.base.error_exit = jumpOnError;
    session.manager.base.emit_message = emitMessage;
    session.progress.progress_monitor = limitScans;
    bool decoded = false;
    try {
        decoded = runDecode(session, attachSource, *image, maxPixels);
    } catch (const std::bad_alloc&) {
        session.manager.ownReason = "out of memory";
    }
    jpeg_destroy_decompress(&session.decompressor);
    if (decoded) return image;
    if (error) *error = session.manager.ownReason ? session.manager.ownReason : session.manager.reason;
    return nullptr;
}

// The size GLU's mipmap builder scales a side to.
int largestPowerOfTwoAtMost(int size) {
    int power = 1;
    while (power <= size / 2) power *= 2;
    return power;
}

// Pixel rows are packed tightly while it lives (both directions, as the rescaler reads and
// writes client memory); the caller's alignments come back afterwards. With the default 4-byte
// alignment a row whose length is not a multiple of 4 bytes would be read skewed.
class TightPixelRows {
public:
    TightPixelRows() {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack_);
        glGetIntegerv(GL_PACK_ALIGNMENT, &pack_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
    }
    ~TightPixelRows() {
        glPixelStorei(GL_UNPACK_ALIGNMENT, unpack_);
        glPixelStorei(GL_PACK_ALIGNMENT, pack_);
    }
    TightPixelRows(const TightPixelRows&) = delete;
    TightPixelRows& operator=(const TightPixelRows&) = delete;

private:
    GLint unpack_ = 4;
    GLint pack_ = 4;
};

}  // namespace

void readJpegPixels(jpeg_decompress_struct& decompressor, DecodedImage& image, size_t maxPixels) {
    jpeg_read_header(&decompressor, TRUE);
    const JDIMENSION width = decompressor.image_width;
    const JDIMENSION height = decompressor.image_height;
    // Both sides are at most 65500 (the library refuses more), so the product fits in 64 bits.
    if (width == 0 || height == 0 || static_cast<size_t>(width) * height > maxPixels)
        failWith(decompressor, "picture too large");
    const J_COLOR_SPACE space = decompressor.out_color_space;
    if (space != JCS_RGB && space != JCS_GRAYSCALE)
        failWith(decompressor, "unsupported colour space (only colour and greyscale pictures)");

    jpeg_start_decompress(&decompressor);
    const bool grey = decompressor.output_components == 1;
    if (decompressor.output_width != width || decompressor.output_height != height ||
        decompressor.output_components != (grey ? 1 : 3))
        failWith(decompressor, "unexpected output format");

    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    image.rowBytes = image.width * 3;
    image.pixels.resize(static_cast<size_t>(image.rowBytes) * height);
    // A grey row lands in the last third of its RGB row and is widened there.
    const size_t greyOffset = grey ? 2 * static_cast<size_t>(width) : 0;

    while (decompressor.output_scanline < decompressor.output_height) {
        const JDIMENSION first = decompressor.output_scanline;
        const JDIMENSION count =
            std::min<JDIMENSION>(kRowBatch, decompressor.output_height - first);
        JSAMPROW rows[kRowBatch];
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = &image.pixels[(first + i) * static_cast<size_t>(image.rowBytes) + greyOffset];
        const JDIMENSION read = jpeg_read_scanlines(&decompressor, rows, count);
        if (read == 0) failWith(decompressor, "decoder delivered no rows");
        if (grey)
            for (JDIMENSION i = 0; i < read; ++i) widenGreyRow(rows[i] - greyOffset, image.width);
    }
    jpeg_finish_decompress(&decompressor);
}

std::unique_ptr<DecodedImage> decodeJpegMemory(const unsigned char* bytes, size_t size,
                                               std::string* error, size_t maxPixels) {
    if (size == 0 || size > ULONG_MAX) {
        if (error) *error = "empty JPEG data";
        return nullptr;
    }
    return decodeWith(
        [bytes, size](jpeg_decompress_struct& decompressor) {
            jpeg_mem_src(&decompressor, bytes, static_cast<unsigned long>(size));
        },
        maxPixels, error);
}

std::unique_ptr<DecodedImage> decodeJpegFile(const char* path, std::string* error) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        if (error) *error = std::string(path) + ": cannot open";
        return nullptr;
    }
    std::string reason;
    std::unique_ptr<DecodedImage> image = decodeWith(
        [file](jpeg_decompress_struct& decompressor) { jpeg_stdio_src(&decompressor, file); },
        kMaxJpegPixels, &reason);
    std::fclose(file);
    if (!image) {
        const std::string line = std::string(path) + ": " + reason;
        std::fprintf(stderr, "%s\n", line.c_str());
        if (error) *error = line;
    }
    return image;
}

GLuint uploadMipmappedTexture(const DecodedImage& image) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const TightPixelRows tight;
    const int width = largestPowerOfTwoAtMost(image.width);
    const int height = largestPowerOfTwoAtMost(image.height);
    if (width == image.width && height == image.height) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
        return name;
    }
    // The mipmap builder would rescale to these very sizes itself, but when only one side
    // changes it leaves the last row of the base level black; its plain rescaler does not.
    std::vector<unsigned char> scaled(static_cast<size_t>(width) * height * 3);
    gluScaleImage(GL_RGB, image.width, image.height, GL_UNSIGNED_BYTE, image.pixels.data(), width, height,
                  GL_UNSIGNED_BYTE, scaled.data());
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, scaled.data());
    return name;
}

bool loadJpegTexture(const char* path, GLuint& texture) {
    const std::unique_ptr<DecodedImage> image = decodeJpegFile(path);
    if (!image) return true;
    texture = uploadMipmappedTexture(*image);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return false;
}

bool loadJpegTextureMipmapped(const char* path, GLuint& texture, int filter) {
    const std::unique_ptr<DecodedImage> image = decodeJpegFile(path);
    if (!image) return true;
    texture = uploadMipmappedTexture(*image);
    // The switch was a single byte once; only its low byte still counts.
    if (static_cast<unsigned char>(filter) != 0) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    return false;
}
