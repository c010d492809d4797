// The show's own drawing surface: an offscreen framebuffer of the frame's size (colour, depth
// and stencil), so the show draws exactly the frame it was designed for whatever the window or
// video around it is. After a frame the surface is presented into the window, scaled to the
// largest 4:3 rectangle that fits, centred between black bars.
//
// The frame's own GL calls never change: its viewport, its captures from the lower-left block
// and its clears all land in the surface, which is bound before the frame and again after
// every present. A window of exactly the frame's size needs no surface: the show then draws
// straight into the window's back buffer, as it was designed to, and its pixels are those of
// the original to the bit (the renderer rounds a few edge pixels of a framebuffer object one
// level differently from a window's buffer). The same holds where the context offers no
// framebuffer objects.
// GL only, no windowing: needs a current context; sizes are pixels.
#pragma once

#include <GL/gl.h>

#include <string>
#include <vector>

#include "gl/frame_size.h"

class DrawingSurface {
public:
    DrawingSurface() = default;
    ~DrawingSurface();
    DrawingSurface(const DrawingSurface&) = delete;
    DrawingSurface& operator=(const DrawingSurface&) = delete;

    // Makes (or remakes, at a new size) the framebuffer and leaves it bound. False, with the
    // reason in *why, when the context cannot make one: the surface is then the window's own
    // back buffer.
    bool create(const FrameSize& size, std::string* why);

    // How the show reaches a window of windowWidth x windowHeight pixels: straight into the
    // window's back buffer when it is exactly the frame's size, else into a framebuffer of the
    // frame's size that `present` scales (remade only when the size changes). False, with the
    // reason in *why, the first time a framebuffer is needed and cannot be made; the show then
    // draws into the window.
    bool fit(const FrameSize& size, int windowWidth, int windowHeight, std::string* why);

    // False once a framebuffer could not be made: the show can then only be drawn at the
    // window's own size.
    bool canScale() const { return !unavailable_; }

    // Whether the show draws into a framebuffer of its own.
    bool offscreen() const { return framebuffer_ != 0; }
    const FrameSize& size() const { return size_; }

    // Draws and reads go to the surface from here on.
    void bind() const;

    // Scales the frame into the window's back buffer of windowWidth x windowHeight pixels and
    // binds the surface again; the caller swaps. Leaves every other GL state as it found it.
    void present(int windowWidth, int windowHeight) const;

    // The frame's pixels, RGB, top row first. Without a framebuffer of its own, the window's
    // back buffer is read at the surface's size.
    std::vector<unsigned char> readRgb() const;

    // With rasterising off, frames are computed but touch no pixel: everything they draw or
    // clear falls outside an empty scissor box. The script and the effects run unchanged, so
    // their state moves on exactly as when drawn. Copies from the frame still run (the scissor
    // does not bind them); the textures they fill are filled again before any frame shows them.
    void setRasterising(bool on);
    bool rasterising() const { return rasterising_; }

private:
    void release();

    FrameSize size_;
    GLuint framebuffer_ = 0;
    GLuint colour_ = 0;
    GLuint depthStencil_ = 0;
    bool rasterising_ = true;
    bool unavailable_ = false;  // a framebuffer could not be made; not tried again
};
