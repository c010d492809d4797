// JPEG decoding: file or memory bytes -> DecodedImage. CPU only: no GL, so the file tools can
// decode exactly as the show does without a context (the upload lives in jpeg_texture.h).
//
// Every decoded image is 8-bit RGB, rows top-down: row 0 is the picture's top row. Greyscale
// is widened to R=G=B; CMYK and YCCK are turned into RGB (see below). Pictures the library
// decodes to the end are accepted even when it warned about something harmless (stray bytes
// between markers, an unknown JFIF revision); damaged data (corrupt or truncated) is a failure
// return with the library's message, never the end of the process. Nothing is leaked on any road.
//
// CMYK: the plain convention is 0 = no ink. Files carrying Adobe's APP14 marker hold every
// CMYK (and, after the library's YCCK -> CMYK step, every YCCK) sample inverted, 255 = no ink:
// Adobe's software writes them so and the other software that writes the marker follows it.
// So the marker alone decides, whatever its transform code says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct jpeg_decompress_struct;

struct DecodedImage {
    int32_t rowBytes = 0;  // width * 3: always RGB
    int32_t width = 0;
    int32_t height = 0;
    std::vector<unsigned char> pixels;  // rowBytes * height bytes, R G B, top row first
};

// Pictures with more pixels than this are refused before anything is allocated for them
// (the demo's largest is 800x600).
constexpr size_t kMaxJpegPixels = size_t(8192) * 8192;

// Files longer than this are refused unread; a picture within the pixel cap is far smaller.
constexpr size_t kMaxJpegFileBytes = size_t(256) << 20;

// The colour model the samples are stored in, as the file's markers declare it.
enum class JpegColourSpace { unknown, grayscale, YCbCr, RGB, CMYK, YCCK };

// "grayscale", "YCbCr", "RGB", "CMYK", "YCCK" or "unknown".
const char* colourSpaceName(JpegColourSpace space);

// What the header says about the stored picture.
struct JpegHeader {
    int32_t width = 0;
    int32_t height = 0;
    int32_t components = 0;
    JpegColourSpace colourSpace = JpegColourSpace::unknown;
    bool adobeMarker = false;  // APP14 "Adobe": CMYK samples stored inverted
};

// One decode, with everything a caller may want to report about it.
struct JpegDecoding {
    bool headerRead = false;  // `header` holds the file's values (also when the data then failed)
    JpegHeader header;
    std::unique_ptr<DecodedImage> image;  // null on failure
    std::string error;                    // why `image` is null
    std::vector<std::string> warnings;    // the harmless warnings it was accepted with (the first few)
};

// Decodes a whole JPEG held in memory. The error is the library's message or ours, unlocated.
[[nodiscard]] JpegDecoding decodeJpeg(const unsigned char* bytes, size_t size, size_t maxPixels = kMaxJpegPixels);

// Reads a file whole (regular files only, at most kMaxJpegFileBytes) and decodes it. Every error
// is located: "<path>: <reason>". `fileRead` tells a file that could not be read from one that
// could not be decoded. Prints nothing.
[[nodiscard]] JpegDecoding decodeJpegPath(const std::string& path, bool* fileRead = nullptr);

// decodeJpeg without the details: null on any failure, with the reason in *error.
[[nodiscard]] std::unique_ptr<DecodedImage> decodeJpegMemory(const unsigned char* bytes, size_t size,
                                               std::string* error = nullptr,
                                               size_t maxPixels = kMaxJpegPixels);

// The loaders' decode: null when the file cannot be read (silently: a missing picture is an
// ordinary event for their callers) or cannot be decoded (then the located reason goes to
// stderr as one line). *error, when given, receives the located reason in both cases.
[[nodiscard]] std::unique_ptr<DecodedImage> decodeJpegFile(const char* path, std::string* error = nullptr);

// Runs a created, sourced decompressor over the whole picture and fills `image` (and `header`,
// when given, as soon as the header is read). Must be called under the decoder's error manager
// (decodeJpeg sets one up): library errors leave it by a long jump, so it holds nothing that
// needs destroying.
void readJpegPixels(jpeg_decompress_struct& decompressor, DecodedImage& image,
                    size_t maxPixels = kMaxJpegPixels, JpegHeader* header = nullptr);
