// Baseline JPEG encoding of 8-bit RGB (or grey, or CMYK) pixels in memory, for the picture maker and for tests
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

// `samples` holds width x height pixels in `space` (JCS_RGB, JCS_GRAYSCALE or JCS_CMYK: 3, 1
// or 4 samples each), top row first. The file gets the library's default colour space for that
// input (CMYK: CMYK with an Adobe marker) unless `encoding.adjust` sets another.
std::vector<unsigned char> encodeJpegSamples(int width, int height, J_COLOR_SPACE space,
                                             const std::vector<unsigned char>& samples,
                                             const JpegEncoding& encoding);
