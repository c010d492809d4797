// libFuzzer target: any bytes through the JPEG decoder. It must return an image or a reason,
// never crash, read out of bounds, leak, or hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "texture/jpeg_decoder.h"

namespace {

// Keeps each input quick: the decoder's cost grows with the picture, not the input size.
constexpr size_t kFuzzMaxPixels = size_t(1) << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const JpegDecoding decoding = decodeJpeg(data, size, kFuzzMaxPixels);
    if (const DecodedImage* image = decoding.image.get()) {
        if (image->pixels.size() != static_cast<size_t>(image->rowBytes) * image->height) __builtin_trap();
        // The picture is the size its header declares, whatever colour space it was stored in.
        if (!decoding.headerRead || image->width != decoding.header.width ||
            image->height != decoding.header.height)
            __builtin_trap();
        // Read every byte so uninitialised or short buffers show up under the sanitizers.
        unsigned sum = 0;
        for (unsigned char byte : image->pixels) sum += byte;
        __asm__ volatile("" : : "r"(sum));  // keeps the loop from being optimised away
    } else if (decoding.error.empty()) {
        __builtin_trap();  // a failure without a reason
    }
    return 0;
}
