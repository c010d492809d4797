// JPEG pictures into OpenGL textures: the decode (jpeg_decoder.h, CPU only) followed by the
// upload (DecodedImage -> mipmapped texture; needs a current GL context). Row 0 of a decoded
// image, the picture's top row, becomes texture row t = 0 (no flip).
//
// The two loaders follow the engine's loader convention: they return true on FAILURE and leave
// the caller's texture variable untouched then. Texture names are owned by the caller and live
// until the GL context goes away.
#pragma once

#include <GL/gl.h>

#include "texture/jpeg_decoder.h"

// Makes a new texture name, binds it to GL_TEXTURE_2D (left bound) and builds all mipmap
// levels from the image (rescaled by GLU when a side is not a power of two). Sets no filter.
[[nodiscard]] GLuint uploadMipmappedTexture(const DecodedImage& image);

// The loaders' upload and filters for a picture already decoded (read by the caller, say from a
// confined folder): `mipmapFilter` false filters as loadJpegTexture, true as
// loadJpegTextureMipmapped with its filter on.
[[nodiscard]] GLuint uploadJpegTexture(const DecodedImage& image, bool mipmapFilter);

// Loads a picture as a mipmapped texture filtered GL_LINEAR both ways (the minification uses
// the base level only although the chain exists). True on failure.
[[nodiscard]] bool loadJpegTexture(const char* path, GLuint& texture);

// Loads a picture at its own size, whatever its sides (no rescale to powers of two), with a
// mipmap chain made by GL and filtered GL_LINEAR_MIPMAP_LINEAR / GL_LINEAR: for pictures painted
// for a large frame, which may be drawn smaller than their size. Needs GL 3.0 or
// GL_ARB_framebuffer_object (glGenerateMipmap). True on failure.
[[nodiscard]] bool loadJpegTextureAtFullSize(const char* path, GLuint& texture);

// As loadJpegTexture, but with the low byte of `filter` non-zero the filters are
// GL_LINEAR_MIPMAP_LINEAR / GL_LINEAR; with it zero the GL defaults stay in force
// (GL_NEAREST_MIPMAP_LINEAR / GL_LINEAR). True on failure.
[[nodiscard]] bool loadJpegTextureMipmapped(const char* path, GLuint& texture, int filter);
