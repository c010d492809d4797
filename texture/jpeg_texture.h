// JPEG pictures into OpenGL textures, in two steps: decoding (file or memory bytes ->
// DecodedImage; CPU only, needs no GL context) and upload (DecodedImage -> mipmapped texture;
// needs a current GL context).
//
// Every decoded image is 8-bit RGB, rows top-down: row 0 is the picture's top row, which the
// upload turns into texture row t = 0 (no flip). Greyscale files are widened to RGB; CMYK and
// other colour spaces are refused. Damaged data (corrupt or truncated) is a failure return,
// never the end of the process; nothing is leaked on any road.
//
// The two loaders follow the engine's loader convention: they return true on FAILURE and leave
// the caller's texture variable untouched then. Texture names are owned by the caller and live
// until the GL context goes away.
#pragma once

#include <GL/gl.h>

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

// Decodes a whole JPEG held in memory. Returns null on any failure, with the library's or our
// reason in *error (nothing is printed).
std::unique_ptr<DecodedImage> decodeJpegMemory(const unsigned char* bytes, size_t size,
                                               std::string* error = nullptr,
                                               size_t maxPixels = kMaxJpegPixels);

// Decodes a JPEG file. Returns null when it cannot be opened (silently: a missing picture is
// an ordinary event for the loaders' callers) or cannot be decoded (then one line
// "<path>: <reason>" goes to stderr). *error, when given, receives the same text.
std::unique_ptr<DecodedImage> decodeJpegFile(const char* path, std::string* error = nullptr);

// Runs a created, sourced decompressor over the whole picture and fills `image`. Must be called
// under the decoder's error manager (decodeJpegMemory / decodeJpegFile set one up): library
// errors leave it by a long jump, so it holds nothing that needs destroying.
void readJpegPixels(jpeg_decompress_struct& decompressor, DecodedImage& image,
                    size_t maxPixels = kMaxJpegPixels);

// Makes a new texture name, binds it to GL_TEXTURE_2D (left bound) and builds all mipmap
// levels from the image (rescaled by GLU when a side is not a power of two). Sets no filter.
GLuint uploadMipmappedTexture(const DecodedImage& image);

// Loads a picture as a mipmapped texture filtered GL_LINEAR both ways (the minification uses
// the base level only although the chain exists). True on failure.
bool loadJpegTexture(const char* path, GLuint& texture);

// As loadJpegTexture, but with the low byte of `filter` non-zero the filters are
// GL_LINEAR_MIPMAP_LINEAR / GL_LINEAR; with it zero the GL defaults stay in force
// (GL_NEAREST_MIPMAP_LINEAR / GL_LINEAR). True on failure.
bool loadJpegTextureMipmapped(const char* path, GLuint& texture, int filter);
