// PNG output of frames, for the capture tools and for looking at what the engine draws.
//
// Pixels are 8-bit RGB. `captureFramebufferRgb` reads the current read buffer of the
// current GL context and returns rows top-down, the order PNG stores them.
#pragma once

#include <string>
#include <vector>

std::vector<unsigned char> captureFramebufferRgb(int width, int height);

// Writes top-down RGB rows. Returns an error text, empty on success.
std::string writePng(const std::string& path, int width, int height,
                     const std::vector<unsigned char>& rgbTopDown);
