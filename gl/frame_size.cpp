#include "gl/frame_size.h"

#include <cmath>

namespace {

int scaled(int designed, double scale) { return static_cast<int>(std::lround(designed * scale)); }

}  // namespace

FrameSize FrameSize::atScale(double scale) {
    FrameSize size;
    size.width = scaled(kDesignWidth, scale);
    size.height = scaled(kDesignHeight, scale);
    size.block = scaled(kDesignBlock, scale);
    return size;
}

FrameSize FrameSize::fitting(int outerWidth, int outerHeight) {
    const PixelRect box = letterbox(outerWidth, outerHeight);
    // The box is already the rounded 4:3 size; the block follows its width.
    FrameSize size;
    size.width = box.width;
    size.height = box.height;
    size.block = scaled(kDesignBlock, size.scale());
    return size;
}

PixelRect letterbox(int outerWidth, int outerHeight) {
    PixelRect box;
    if (outerWidth <= 0 || outerHeight <= 0) return box;
    // Compare 4:3 against the outer aspect in integers: width * 3 against height * 4.
    const long long wide = static_cast<long long>(outerWidth) * 3;
    const long long tall = static_cast<long long>(outerHeight) * 4;
    if (wide >= tall) {  // bars left and right
        box.height = outerHeight;
        box.width = static_cast<int>(std::lround(outerHeight * 4.0 / 3.0));
    } else {  // bars above and below
        box.width = outerWidth;
        box.height = static_cast<int>(std::lround(outerWidth * 3.0 / 4.0));
    }
    box.x = (outerWidth - box.width) / 2;
    box.y = (outerHeight - box.height) / 2;
    return box;
}
