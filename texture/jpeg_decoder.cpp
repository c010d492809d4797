#include "texture/jpeg_decoder.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include "files/whole_file.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace {

// Progressive files may hold any number of scans, each a full pass over the coefficients; a
// few hundred is far beyond what encoders write and keeps hostile files from taking minutes.
constexpr int kMaxScans = 500;

// Rows handed to the library per call.
constexpr int kRowBatch = 16;

// Harmless warnings kept for the caller; a file may raise one per marker, so only the first few.
constexpr int kKeptWarnings = 4;

// The library's error manager, extended so that errors (and warnings about damaged data)
// jump back to the decode instead of ending the process. Plain arrays only: it is written
// from inside the library, where nothing may throw.
struct JumpingErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char reason[JMSG_LENGTH_MAX];
    // Set by our own checks, which are not library messages.
    const char* ownReason;
    char warnings[kKeptWarnings][JMSG_LENGTH_MAX];
    int keptWarnings;
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

// The library warns and carries on in two kinds of situation; the codes sort them by whether
// the picture it then delivers is the one the file holds.
//
// Harmless, nothing of the picture is lost:
// - JWRN_EXTRANEOUS_DATA: bytes between two markers (padding after a segment or after the
//   scan, junk an editor left). The library skips them up to the next marker and reads on.
// - JWRN_JFIF_MAJOR: a JFIF revision newer than the library knows; JFIF only adds density and
//   thumbnails, which are not used.
// - JWRN_ADOBE_XFORM: an unknown Adobe transform code; the library then takes the components
//   as transformed (YCbCr, YCCK), which is how Adobe's own software reads such files.
// - JWRN_BOGUS_ICC: a malformed ICC profile; the profile is never used.
//
// Damage, the library fills what it lost with grey or noise and would call it a success:
// premature end of the file or of a scan (JWRN_JPEG_EOF, JWRN_HIT_MARKER), corrupt entropy
// data (JWRN_HUFF_BAD_CODE, JWRN_ARITH_BAD_CODE), a lost restart interval (JWRN_MUST_RESYNC),
// progressive scans that skip or repeat coefficients (JWRN_BOGUS_PROGRESSION), a sequential
// scan whose header contradicts the frame (JWRN_NOT_SEQUENTIAL: the data may not be what it is
// decoded as). Every code not named harmless counts as damage, so a warning a newer library
// adds fails safe.
bool isHarmlessWarning(int code) {
    return code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM ||
           code == JWRN_BOGUS_ICC;
}

void emitMessage(j_common_ptr info, int level) {
    if (level >= 0) return;  // trace messages
    if (!isHarmlessWarning(info->err->msg_code)) jumpOnError(info);
    JumpingErrorManager& manager = managerOf(info);
    ++manager.base.num_warnings;
    if (manager.keptWarnings < kKeptWarnings)
        manager.base.format_message(info, manager.warnings[manager.keptWarnings++]);
}

[[noreturn]] void failWith(jpeg_decompress_struct& decompressor, const char* reason) {
    managerOf(reinterpret_cast<j_common_ptr>(&decompressor)).ownReason = reason;
    jumpOnError(reinterpret_cast<j_common_ptr>(&decompressor));
}

void limitScans(j_common_ptr info) {
    auto* decompressor = reinterpret_cast<j_decompress_ptr>(info);
    if (decompressor->input_scan_number > kMaxScans)
        failWith(*decompressor, "too many scans in a progressive file");
}

JpegColourSpace storedColourSpace(J_COLOR_SPACE space) {
    switch (space) {
    case JCS_GRAYSCALE: return JpegColourSpace::grayscale;
    case JCS_YCbCr: return JpegColourSpace::YCbCr;
    case JCS_RGB: return JpegColourSpace::RGB;
    case JCS_CMYK: return JpegColourSpace::CMYK;
    case JCS_YCCK: return JpegColourSpace::YCCK;
    default: return JpegColourSpace::unknown;
    }
}

// What the library delivers per pixel, and so how a row becomes RGB.
enum class RowLayout { grey, rgb, cmyk, invertedCmyk };

int componentsOf(RowLayout layout) {
    switch (layout) {
    case RowLayout::grey: return 1;
    case RowLayout::rgb: return 3;
    default: return 4;
    }
}

// Sets the output colour space for the stored one. YCCK is left to the library to turn into
// CMYK; CMYK into RGB is ours (the library has no such conversion).
RowLayout chooseOutput(jpeg_decompress_struct& decompressor) {
    switch (decompressor.jpeg_color_space) {
    case JCS_GRAYSCALE:
        decompressor.out_color_space = JCS_GRAYSCALE;
        return RowLayout::grey;
    case JCS_YCbCr:
    case JCS_RGB:
        decompressor.out_color_space = JCS_RGB;
        return RowLayout::rgb;
    case JCS_CMYK:
    case JCS_YCCK:
        decompressor.out_color_space = JCS_CMYK;
        return decompressor.saw_Adobe_marker ? RowLayout::invertedCmyk : RowLayout::cmyk;
    default:
        failWith(decompressor, "unsupported colour space (neither grey, colour nor CMYK)");
    }
}

// a * b / 255, rounded: the share of light two factors in 0..255 let through.
unsigned char lightThrough(unsigned a, unsigned b) {
    return static_cast<unsigned char>((a * b + 127) / 255);
}

// Light left after the ink: with inverted samples (255 = no ink) each RGB channel is its
// sample times K's; plain samples (0 = no ink) are inverted first.
void cmykRowToRgb(const JSAMPLE* cmyk, unsigned char* rgb, JDIMENSION width, bool inverted) {
    const unsigned flip = inverted ? 0 : 255;
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const unsigned black = cmyk[3] ^ flip;
        for (int c = 0; c < 3; ++c) rgb[c] = lightThrough(cmyk[c] ^ flip, black);
    }
}

void rowToRgb(RowLayout layout, const JSAMPLE* in, unsigned char* rgb, JDIMENSION width) {
    switch (layout) {
    case RowLayout::grey:
        for (JDIMENSION x = 0; x < width; ++x, rgb += 3) rgb[0] = rgb[1] = rgb[2] = in[x];
        break;
    case RowLayout::rgb:
        std::memcpy(rgb, in, static_cast<size_t>(width) * 3);
        break;
    case RowLayout::cmyk:
    case RowLayout::invertedCmyk:
        cmykRowToRgb(in, rgb, width, layout == RowLayout::invertedCmyk);
        break;
    }
}

// Everything the library touches during one decode. It lives in the frame that calls
// runDecode, not in the frame that calls setjmp, so its contents stay well defined after a jump.
struct DecodeSession {
    jpeg_decompress_struct decompressor;
    JumpingErrorManager manager;
    jpeg_progress_mgr progress;
};

// Creates the decompressor over the bytes and decodes into `image`. False when the library or
// our checks gave up; the reason is in the session's manager. Nothing here needs destroying,
// so a long jump out of the library skips no destructor.
bool runDecode(DecodeSession& session, const unsigned char* bytes, size_t size, DecodedImage& image,
               size_t maxPixels, JpegHeader& header) {
    if (setjmp(session.manager.jump)) return false;
    jpeg_create_decompress(&session.decompressor);
    session.decompressor.progress = &session.progress;
    jpeg_mem_src(&session.decompressor, bytes, static_cast<unsigned long>(size));
    readJpegPixels(session.decompressor, image, maxPixels, &header);
    return true;
}

}  // namespace

const char* colourSpaceName(JpegColourSpace space) {
    switch (space) {
    case JpegColourSpace::grayscale: return "grayscale";
    case JpegColourSpace::YCbCr: return "YCbCr";
    case JpegColourSpace::RGB: return "RGB";
    case JpegColourSpace::CMYK: return "CMYK";
    case JpegColourSpace::YCCK: return "YCCK";
    case JpegColourSpace::unknown: break;
    }
    return "unknown";
}

void readJpegPixels(jpeg_decompress_struct& decompressor, DecodedImage& image, size_t maxPixels,
                    JpegHeader* header) {
    jpeg_read_header(&decompressor, TRUE);
    const JDIMENSION width = decompressor.image_width;
    const JDIMENSION height = decompressor.image_height;
    if (header) {
        // Both sides are at most 65500 (the library refuses more), so they fit.
        header->width = static_cast<int32_t>(width);
        header->height = static_cast<int32_t>(height);
        header->components = decompressor.num_components;
        header->colourSpace = storedColourSpace(decompressor.jpeg_color_space);
        header->adobeMarker = decompressor.saw_Adobe_marker;
    }
    // The product of two sides of at most 65500 fits in 64 bits.
    if (width == 0 || height == 0 || static_cast<size_t>(width) * height > maxPixels)
        failWith(decompressor, "picture too large");
    const RowLayout layout = chooseOutput(decompressor);

    jpeg_start_decompress(&decompressor);
    if (decompressor.output_width != width || decompressor.output_height != height ||
        decompressor.output_components != componentsOf(layout))
        failWith(decompressor, "unexpected output format");

    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    image.rowBytes = image.width * 3;
    image.pixels.resize(static_cast<size_t>(image.rowBytes) * height);
    // From the library's pool, so it goes with the decompressor on every road.
    const JSAMPARRAY rows = (*decompressor.mem->alloc_sarray)(
        reinterpret_cast<j_common_ptr>(&decompressor), JPOOL_IMAGE,
        width * static_cast<JDIMENSION>(componentsOf(layout)), kRowBatch);

    while (decompressor.output_scanline < decompressor.output_height) {
        const JDIMENSION first = decompressor.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(kRowBatch, decompressor.output_height - first);
        const JDIMENSION read = jpeg_read_scanlines(&decompressor, rows, count);
        if (read == 0) failWith(decompressor, "decoder delivered no rows");
        for (JDIMENSION i = 0; i < read; ++i)
            rowToRgb(layout, rows[i], &image.pixels[(first + i) * static_cast<size_t>(image.rowBytes)], width);
    }
    jpeg_finish_decompress(&decompressor);
}

JpegDecoding decodeJpeg(const unsigned char* bytes, size_t size, size_t maxPixels) {
    JpegDecoding result;
    if (size == 0 || size > ULONG_MAX) {
        result.error = "empty JPEG data";
        return result;
    }
    auto image = std::make_unique<DecodedImage>();
    DecodeSession session{};
    session.decompressor.err = jpeg_std_error(&session.manager.base);
    session.manager.base.error_exit = jumpOnError;
    session.manager.base.emit_message = emitMessage;
    session.progress.progress_monitor = limitScans;
    bool decoded = false;
    try {
        decoded = runDecode(session, bytes, size, *image, maxPixels, result.header);
    } catch (const std::bad_alloc&) {
        session.manager.ownReason = "out of memory";
    }
    jpeg_destroy_decompress(&session.decompressor);
    result.headerRead = result.header.components > 0;
    for (int i = 0; i < session.manager.keptWarnings; ++i) result.warnings.emplace_back(session.manager.warnings[i]);
    if (decoded)
        result.image = std::move(image);
    else
        result.error = session.manager.ownReason ? session.manager.ownReason : session.manager.reason;
    return result;
}

JpegDecoding decodeJpegPath(const std::string& path, bool* fileRead) {
    std::vector<uint8_t> bytes;
    const std::string unreadable = files::readWholeFile(path, kMaxJpegFileBytes, bytes);
    if (fileRead) *fileRead = unreadable.empty();
    JpegDecoding result;
    if (unreadable.empty()) result = decodeJpeg(bytes.data(), bytes.size());
    if (!result.image) result.error = path + ": " + (unreadable.empty() ? result.error : unreadable);
    return result;
}

std::unique_ptr<DecodedImage> decodeJpegMemory(const unsigned char* bytes, size_t size, std::string* error,
                                               size_t maxPixels) {
    JpegDecoding result = decodeJpeg(bytes, size, maxPixels);
    if (!result.image && error) *error = result.error;
    return std::move(result.image);
}

std::unique_ptr<DecodedImage> decodeJpegFile(const char* path, std::string* error) {
    bool fileRead = false;
    JpegDecoding result = decodeJpegPath(path, &fileRead);
    if (!result.image) {
        if (fileRead) std::fprintf(stderr, "%s\n", result.error.c_str());
        if (error) *error = result.error;
    }
    return std::move(result.image);
}
