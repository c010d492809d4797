#include "tools/jpeg_encoder.h"

#include <cstdlib>
#include <stdexcept>

namespace {

int samplesPerPixel(J_COLOR_SPACE space) {
    switch (space) {
    case JCS_GRAYSCALE: return 1;
    case JCS_RGB: return 3;
    case JCS_CMYK: return 4;
    default: throw std::invalid_argument("encodeJpegSamples: input is RGB, grey or CMYK");
    }
}

}  // namespace

std::vector<unsigned char> encodeJpegSamples(int width, int height, J_COLOR_SPACE space,
                                             const std::vector<unsigned char>& samples,
                                             const JpegEncoding& encoding) {
    const int components = samplesPerPixel(space);
    const size_t rowSamples = static_cast<size_t>(width) * components;
    if (width <= 0 || height <= 0 || samples.size() != rowSamples * height)
        throw std::invalid_argument("encodeJpegSamples: samples do not match the size");
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, encoding.quality, TRUE);
    if (encoding.adjust) encoding.adjust(info);
    jpeg_start_compress(&info, TRUE);
    if (!encoding.comment.empty())
        jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>(encoding.comment.data()),
                          static_cast<unsigned>(encoding.comment.size()));
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&samples[info.next_scanline * rowSamples]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<unsigned char> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

std::vector<unsigned char> encodeRgbJpeg(int width, int height, const std::vector<unsigned char>& rgb,
                                         const JpegEncoding& encoding) {
    return encodeJpegSamples(width, height, JCS_RGB, rgb, encoding);
}
