// A window of ours with its OpenGL context, made from one description: the show's window
// (platform/demo_window.h) and the hidden contexts that the capture, the tests, the benchmarks
// and the file tools draw into (platform/gl_context.h) are both made and torn down here, so
// what one of them asks of SDL and GL (the pixel format above all) the other asks too.
//
// The only place that starts and stops SDL's video subsystem: once for each window, so one
// window's teardown leaves another's context alone. Single-threaded: every call comes from the
// main thread. Sizes are pixels.
#pragma once

#include <memory>
#include <string>

#include "gl/frame_size.h"
#include "gl/gl_setup.h"

struct SDL_Window;
union SDL_Event;

enum class DisplayMode {
    Desktop,     // full screen at the desktop's own resolution; no display-mode change
    Window,      // a window on the display
    ModeSwitch,  // a width x height full-screen display mode where the display offers one
    Hidden,      // nobody watches: SDL's offscreen driver unless SDL_VIDEODRIVER names another
};

struct WindowDescription {
    // First, so that `WindowDescription{DisplayMode::Desktop}` reads as what it is.
    DisplayMode mode = DisplayMode::Window;
    int windowWidth = 0;  // the window's size in Window mode; 0: the drawing size
    int windowHeight = 0;
    // The swap interval: on the display's refresh (adaptive where the driver can), else at once.
    bool vsync = true;
    // Colour and depth bits of the GL pixel format: the display settings' bitsPerPixel, which
    // the show passes in; the display mode's own depth is `displayBits`.
    int pixelBits = DisplaySettings{}.bitsPerPixel;
    // The drawing size: a hidden context's, a window's unless `windowWidth` is given, and the
    // display mode that ModeSwitch asks for (of `displayBits` per pixel).
    int width = FrameSize::kDesignWidth;
    int height = FrameSize::kDesignHeight;
    int displayBits = 32;
    std::string title = "demo engine";
    bool shownAtOnce = false;  // else hidden until `GlWindow::show`, so loading is not watched
    bool resizable = true;     // Window mode: the person may resize it

    // What is asked of GL: `pixelBits` colour and depth bits, one stencil bit, double-buffered.
    PixelFormat pixelFormat() const;
};

// A description for a context nobody watches: hidden, never waiting for a refresh.
WindowDescription hiddenWindow(int width, int height);

class GlWindow {
public:
    // Starts SDL's video, asks for the pixel format (colour and depth bits from
    // `description.pixelBits`, one stencil bit, double-buffered, compatibility profile), opens
    // the window in `description.mode` and makes its context current with the swap interval
    // chosen; the GL state is the context's default. ModeSwitch falls back to Desktop where the
    // display offers no such mode, with a `note`. A window for a person to watch is refused
    // when SDL would draw it nowhere (no display, and no driver asked for by name). Null, with
    // the reason in *error, when there is no display, window or context; SDL's video is
    // stopped again then.
    static std::unique_ptr<GlWindow> open(const WindowDescription& description, std::string* error);
    // The one teardown: the desktop put back, the context released, the window destroyed and
    // SDL's video stopped.
    ~GlWindow();
    GlWindow(const GlWindow&) = delete;
    GlWindow& operator=(const GlWindow&) = delete;

    void makeCurrent() const;
    void swapBuffers() const;  // nothing once the context is released
    // Leaves the context current nowhere and deletes it; the window stays until teardown.
    void releaseContext();
    bool hasContext() const { return context_ != nullptr; }

    // Shows the window and takes the focus; the cursor is hidden while the window is full screen.
    void show();
    void hide();
    // Between full screen on the desktop's resolution and a window of the last window size.
    void toggleFullScreen();
    // Puts the desktop back: leaves the temporary display mode and shows the cursor. Safe to
    // call more than once.
    void restoreDesktop();

    // Pixels the GL context draws to (what a present scales into).
    void drawableSize(int& width, int& height) const;
    // The display's refresh rate in Hz, 0 when unknown.
    int refreshRate() const;
    bool isFullScreen() const { return fullScreen_; }
    // Why the window is not in the mode asked for; empty when it is.
    const std::string& note() const { return note_; }
    SDL_Window* sdlWindow() const { return window_; }

private:
    GlWindow() = default;
    std::string openWindow(const WindowDescription& description);
    void showCursorUnlessFullScreen() const;

    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
    bool videoStarted_ = false;
    bool fullScreen_ = false;
    std::string note_;
    int windowWidth_ = FrameSize::kDesignWidth;  // the size a window returns to from full screen
    int windowHeight_ = FrameSize::kDesignHeight;
};

// The pixel format every context of ours asks for, the show's window's included.
PixelFormat demoPixelFormat();

// A close asked of the window: by the window manager, Alt+F4, or the last window going.
bool asksToClose(const SDL_Event& event);
// How a person ends anything we show in a window: Escape, or closing it.
bool asksToEnd(const SDL_Event& event);
