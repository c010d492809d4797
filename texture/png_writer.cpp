#include "texture/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string writePng(const std::string& path, int width, int height,
                     const std::vector<unsigned char>& rgbTopDown) {
    if (width <= 0 || height <= 0 || rgbTopDown.size() != static_cast<size_t>(width) * height * 3)
        return path + ": pixel buffer does not match " + std::to_string(width) + "x" + std::to_string(height);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return path + ": " + std::strerror(errno);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return path + ": PNG encoding failed";
    }
    png_init_io(png, file);
    // Fast settings: the capture tool writes thousands of frames.
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(&rgbTopDown[static_cast<size_t>(y) * width * 3]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) return path + ": " + std::strerror(errno);
    return {};
}
