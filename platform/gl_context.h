// An OpenGL context in a window of our own that nobody watches: what the capture, the tests,
// the benchmarks and the file tools draw into. It is made from a description as the show's
// window is (platform/gl_window.h), so a frame drawn here is drawn into the same kind of buffers
// the show's window has.
//
// Headless: `hiddenWindow` describes a hidden window on SDL's offscreen video driver (EGL on
// Mesa's software renderer) unless SDL_VIDEODRIVER names another; SIGINT and SIGTERM are left
// to the program. lws-play, when it plays rather than writes frames, describes a shown window
// on the display instead, and ends on `quitRequested` (Escape or a close) or on a stop signal,
// which the program catches itself (platform/stop_signals.h): SDL's signal handlers are always
// off. Sizes are pixels.
// Single-threaded: every call comes from the main thread.
#pragma once

#include <memory>
#include <string>

#include "platform/gl_window.h"

class GlContext {
public:
    // Creates the window and the context and makes it current; the GL state is the context's
    // default (the show's starting state is `initGLState`'s to set). Null, with the reason in
    // *error, when there is no display or no context.
    static std::unique_ptr<GlContext> open(const WindowDescription& description, std::string* error);
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    void makeCurrent() const { window_->makeCurrent(); }
    void swapBuffers() const { window_->swapBuffers(); }

    // Takes every pending event without waiting; true when one of them asks to end, by the
    // same rule as the show's window (`asksToEnd`).
    bool quitRequested() const;

    int width() const { return width_; }
    int height() const { return height_; }

private:
    explicit GlContext(std::unique_ptr<GlWindow> window);

    std::unique_ptr<GlWindow> window_;
    int width_ = 0;
    int height_ = 0;
};
