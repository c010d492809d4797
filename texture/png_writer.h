// PNG output of pictures and frames, for the capture tools, the file tools and for looking at
// what the engine draws. Pixels are 8-bit RGB, rows top-down (the order PNG stores them).
//
// Writing needs no GL (library demo_pictures); reading a frame back does, and lives apart in
// texture/framebuffer_capture.h, so a program that only writes links no GL.
#pragma once

#include <string>
#include <vector>

// Writes top-down RGB rows. Returns an error text, empty on success.
[[nodiscard]] std::string writePng(const std::string& path, int width, int height,
                     const std::vector<unsigned char>& rgbTopDown);
