// An OpenGL context in a window of our own that nobody watches: what the capture, the tests,
// the benchmarks and the file tools draw into. The show opens its window through
// platform/demo_window.h; both ask SDL for the same pixel format through `requestPixelFormat`,
// so a frame drawn here is drawn at the precision the show's window has.
//
// Headless: the window is hidden and SDL's offscreen video driver (EGL on Mesa's software
// renderer) is used unless SDL_VIDEODRIVER names another; SIGINT and SIGTERM are left to the
// program. lws-play, when it plays rather than writes frames, asks for a shown window on the
// display instead, and ends on `quitRequested` (Ctrl-C included). Sizes are pixels.
// Single-threaded: every call comes from the main thread.
#pragma once

#include <memory>
#include <string>

#include "platform/gl_setup.h"

struct SDL_Window;
union SDL_Event;

struct GlContextOptions {
    int width = 800;  // the drawable
    int height = 600;
    std::string title = "demo engine";
    bool shown = false;  // a window on the display, for a person to watch
};

class GlContext {
public:
    // Creates the window and the context and makes it current; the GL state is the context's
    // default (the show's starting state is `initGLState`'s to set). Null, with the reason in
    // *error, when there is no display or no context.
    static std::unique_ptr<GlContext> open(const GlContextOptions& options, std::string* error);
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    void makeCurrent() const;
    void swapBuffers() const;

    // Takes every pending event without waiting; true when one of them asks to end, by the
    // same rule as the show's window (`asksToEnd`).
    bool quitRequested() const;

    int width() const { return width_; }
    int height() const { return height_; }
    SDL_Window* sdlWindow() const { return window_; }

private:
    GlContext() = default;

    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// The pixel format every context of ours asks for, the show's window's included.
PixelFormat demoPixelFormat();

// Asks SDL for `format` (compatibility profile); call before the window is made.
void requestPixelFormat(const PixelFormat& format);

// A close asked of the window: by the window manager, Alt+F4, or the last window going.
bool asksToClose(const SDL_Event& event);
// How a person ends anything we show in a window: Escape, or closing it.
bool asksToEnd(const SDL_Event& event);
