// Reading back what GL drew, as the top-down RGB rows writePng takes (texture/png_writer.h).
// Needs a current GL context: library demo_texture, not the GL-free demo_pictures.
#pragma once

#include <vector>

// Reads the current read buffer of the current GL context (which must exist) as top-down rows.
std::vector<unsigned char> captureFramebufferRgb(int width, int height);
