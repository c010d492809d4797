// The window, display mode, GL context and message queue, on SDL2.
//
// Shaped after the program's original windowing: one full-screen 800x600 window with a
// double-buffered RGBA GL context, a queue from which the main loop takes at most one message
// per pass without waiting, a quit message carrying the exit code, and a destroy path that
// puts the desktop back (display mode, cursor) and posts quit code 0.
//
// Single-threaded: every call comes from the main thread. This is the only place, with audio/
// and app/, that talks to SDL.
#pragma once

#include <cstdint>
#include <string>

struct SDL_Window;

// Heap record made before start-up; only `bitsPerPixel` is read, for the pixel format.
struct DisplaySettings {
    int32_t width = 640;
    int32_t height = 480;
    int32_t bitsPerPixel = 16;
    int32_t flags = 1;
};

// What the main loop takes from the queue.
enum class MessageKind {
    Quit,     // posted quit: `code` is the exit code
    KeyDown,  // `key` is the SDL key code
    Close,    // the window is asked to close (window manager, Alt+F4)
    Resize,   // `width` x `height`
    Other,
};

struct Message {
    MessageKind kind = MessageKind::Other;
    int code = 0;
    int32_t key = 0;
    int width = 0;
    int height = 0;
};

class DemoWindow {
public:
    ~DemoWindow();

    // Takes at most one pending message; false when none is waiting. Never blocks.
    bool peekMessage(Message& out);

    // The window procedure: Escape and a close run the destroy path; a resize resets the
    // 45-degree projection; every other key is swallowed.
    void dispatchMessage(const Message& message);

    void swapBuffers();

    // Shows the window, takes the focus and hides the cursor (end of start-up).
    void show();

    // Puts the desktop back: leaves the temporary display mode and shows the cursor. Safe to
    // call more than once; every exit path of the program calls it.
    void restoreDesktop();

    // WM_DESTROY: restore the desktop, release the GL context, post quit code 0.
    void destroy();

    bool isFullScreen() const { return fullScreen_; }
    bool hasContext() const { return context_ != nullptr; }
    SDL_Window* sdlWindow() const { return window_; }

private:
    friend DemoWindow* createDemoWindow(int, int, int, const char*, const char*, std::string*);

    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
    bool fullScreen_ = false;
    bool destroyed_ = false;
};

extern DisplaySettings* displaySettings;

// Posts the quit message with `code`; the main loop ends when it takes it.
void postQuitMessage(int code);

// Switches the display to width x height (full screen) where the display offers that mode,
// otherwise opens a borderless width x height window at the top-left corner, so the drawing
// surface is always width x height. The window stays hidden until `show`. The GL context
// (colour and depth bits from `displaySettings->bitsPerPixel`, one stencil bit, compatibility
// profile) is current when this returns, with the initial GL state set.
// Returns null, with the reason in *error, when there is no display or no GL context.
DemoWindow* createDemoWindow(int width, int height, int bitsPerPixel, const char* className,
                             const char* title, std::string* error);
