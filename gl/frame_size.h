// The size of the show's drawing surface, and the pixel sizes that follow from it.
//
// The show was designed for an 800x600 frame with 128x128 capture blocks in its lower-left
// corner. At scale s the frame is (800 s) x (600 s) and a block (128 s) square, each rounded to
// whole pixels, so every picture keeps its place and proportions and only gains detail. At
// scale 1 the sizes are exactly the designed ones. Plain arithmetic: no GL, no windowing.
#pragma once

struct FrameSize {
    static constexpr int kDesignWidth = 800;
    static constexpr int kDesignHeight = 600;
    static constexpr int kDesignBlock = 128;

    int width = kDesignWidth;
    int height = kDesignHeight;
    int block = kDesignBlock;  // edge of the capture blocks, pixels

    // The frame at scale `scale` (> 0).
    static FrameSize atScale(double scale);
    // The largest frame that fits into outerWidth x outerHeight (see `letterbox`).
    static FrameSize fitting(int outerWidth, int outerHeight);

    double scale() const { return static_cast<double>(width) / kDesignWidth; }
    bool operator==(const FrameSize& other) const {
        return width == other.width && height == other.height && block == other.block;
    }
    bool operator!=(const FrameSize& other) const { return !(*this == other); }
};

// A rectangle of pixels; x and y are its lower-left corner, as GL counts.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The largest 4:3 rectangle inside outerWidth x outerHeight, centred; what is left on either
// side (or above and below) is the black bar. Empty for an empty outer size.
PixelRect letterbox(int outerWidth, int outerHeight);
