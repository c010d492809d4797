#define GL_GLEXT_PROTOTYPES 1
#include "texture/jpeg_texture.h"

#include <GL/glext.h>
#include <GL/glu.h>

#include <vector>

namespace {

// The size GLU's mipmap builder scales a side to.
int largestPowerOfTwoAtMost(int size) {
    int power = 1;
    while (power <= size / 2) power *= 2;
    return power;
}

// Pixel rows are packed tightly while it lives (both directions, as the rescaler reads and
// writes client memory); the caller's alignments come back afterwards. With the default 4-byte
// alignment a row whose length is not a multiple of 4 bytes would be read skewed.
class TightPixelRows {
public:
    TightPixelRows() {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack_);
        glGetIntegerv(GL_PACK_ALIGNMENT, &pack_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
    }
    ~TightPixelRows() {
        glPixelStorei(GL_UNPACK_ALIGNMENT, unpack_);
        glPixelStorei(GL_PACK_ALIGNMENT, pack_);
    }
    TightPixelRows(const TightPixelRows&) = delete;
    TightPixelRows& operator=(const TightPixelRows&) = delete;

private:
    GLint unpack_ = 4;
    GLint pack_ = 4;
};

}  // namespace

GLuint uploadMipmappedTexture(const DecodedImage& image) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const TightPixelRows tight;
    const int width = largestPowerOfTwoAtMost(image.width);
    const int height = largestPowerOfTwoAtMost(image.height);
    if (width == image.width && height == image.height) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
        return name;
    }
    // The mipmap builder would rescale to these very sizes itself, but when only one side
    // changes it leaves the last row of the base level black; its plain rescaler does not.
    std::vector<unsigned char> scaled(static_cast<size_t>(width) * height * 3);
    gluScaleImage(GL_RGB, image.width, image.height, GL_UNSIGNED_BYTE, image.pixels.data(), width, height,
                  GL_UNSIGNED_BYTE, scaled.data());
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, scaled.data());
    return name;
}

namespace {

void filterMipmapped() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

}  // namespace

GLuint uploadJpegTexture(const DecodedImage& image, bool mipmapFilter) {
    const GLuint name = uploadMipmappedTexture(image);
    if (mipmapFilter) {
        filterMipmapped();
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    return name;
}

bool loadJpegTexture(const char* path, GLuint& texture) {
    const std::unique_ptr<DecodedImage> image = decodeJpegFile(path);
    if (!image) return true;
    texture = uploadJpegTexture(*image, false);
    return false;
}

bool loadJpegTextureAtFullSize(const char* path, GLuint& texture) {
    const std::unique_ptr<DecodedImage> image = decodeJpegFile(path);
    if (!image) return true;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const TightPixelRows tight;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 image->pixels.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return false;
}

bool loadJpegTextureMipmapped(const char* path, GLuint& texture, int filter) {
    const std::unique_ptr<DecodedImage> image = decodeJpegFile(path);
    if (!image) return true;
    texture = uploadMipmappedTexture(*image);
    // The switch was a single byte once; only its low byte still counts.
    if (static_cast<unsigned char>(filter) != 0) filterMipmapped();
    return false;
}
