#include "texture/framebuffer_capture.h"

#include <GL/gl.h>

#include <cstring>

std::vector<unsigned char> captureFramebufferRgb(int width, int height) {
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<unsigned char> bottomUp(rowBytes * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<unsigned char> topDown(bottomUp.size());
    for (int y = 0; y < height; ++y)
        std::memcpy(&topDown[y * rowBytes], &bottomUp[(height - 1 - y) * rowBytes], rowBytes);
    return topDown;
}
