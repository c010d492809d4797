// Baseline JPEG encoding of 8-bit RGB pixels in memory, for the picture maker and for tests
// that need JPEG files of their own.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <cstdio>  // jpeglib.h needs FILE
#include <jpeglib.h>

struct JpegEncoding {
    int quality = 95;
    std::string comment;  // written as a COM segment when not empty
    // Last say over the compressor's settings (tables, progression, scan scripts).
    std::function<void(jpeg_compress_struct&)> adjust;
};

// `rgb` holds width x height pixels, top row first.
std::vector<unsigned char> encodeRgbJpeg(int width, int height, const std::vector<unsigned char>& rgb,
                                         const JpegEncoding& encoding);
