// picture-size PICTURE.jpg OUT.png: decodes a JPEG with the installed decoder, writes the pixels
// as PNG and prints "WIDTHxHEIGHT"; links libjpeg and libpng through the readers' package.
#include <iostream>
#include <string>

#include "texture/jpeg_decoder.h"
#include "texture/png_writer.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: picture-size PICTURE.jpg OUT.png\n";
        return 2;
    }
    const JpegDecoding decoding = decodeJpegPath(argv[1]);
    if (!decoding.image) {
        std::cerr << "picture-size: " << decoding.error << "\n";
        return 1;
    }
    const DecodedImage& image = *decoding.image;
    const std::string error = writePng(argv[2], image.width, image.height, image.pixels);
    if (!error.empty()) {
        std::cerr << "picture-size: " << error << "\n";
        return 1;
    }
    std::cout << image.width << "x" << image.height << "\n";
    return 0;
}
