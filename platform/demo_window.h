// The window, display mode, GL context and message queue, on SDL2.
//
// What the show needs of its window: one window with a double-buffered RGBA GL context; a
// queue from which the main loop takes at most one message per pass without waiting, so a
// frame is drawn whenever none is waiting; a quit message carrying the exit code; and a destroy
// path that puts the desktop back (display mode, cursor) and posts quit code 0. The show draws
// into a surface of its own and is scaled into whatever the window has (see
// gl/drawing_surface.h), so the window can be full screen at the desktop's own
// resolution, a resizable window, or an 800x600 display mode (the show's designed size).
// The window and its context are made and torn down as every other window of ours is
// (platform/gl_window.h); what is the show's own here is the queue and the window procedure.
//
// Single-threaded: every call comes from the main thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/gl_window.h"

// What the main loop takes from the queue.
enum class MessageKind {
    Quit,     // posted quit: `code` is the exit code
    KeyDown,  // `key` is the SDL key code
    Close,    // the window is asked to close (window manager, Alt+F4)
    Stop,     // a stop signal was caught: `code` is the exit code it asks for (128 + signal)
    Resize,   // `width` x `height`
    Other,
};

struct Message {
    MessageKind kind = MessageKind::Other;
    int code = 0;
    int32_t key = 0;
    uint16_t keyModifiers = 0;  // SDL's KMOD_ bits
    int width = 0;
    int height = 0;
};

class DemoWindow {
public:
    ~DemoWindow();

    // Takes at most one pending message; false when none is waiting. Never blocks.
    bool peekMessage(Message& out);

    // The window procedure: Escape and a close run the destroy path, and so does a stop signal,
    // with its own quit code; a resize resets the 45-degree projection; F11 and Alt+Enter switch
    // between full screen and a window; every other key is swallowed.
    void dispatchMessage(const Message& message);

    void swapBuffers();

    // Shows the window and takes the focus (end of start-up); the cursor is hidden while the
    // window is full screen.
    void show();

    // Between full screen on the desktop's resolution and a window of the last window size.
    void toggleFullScreen();

    // Pixels the GL context draws to in the window (what a present scales into).
    void drawableSize(int& width, int& height) const;

    // The display's refresh rate in Hz, 0 when unknown.
    int refreshRate() const;

    // Puts the desktop back: leaves the temporary display mode and shows the cursor. Safe to
    // call more than once; every exit path of the program calls it.
    void restoreDesktop();

    // WM_DESTROY: restore the desktop, release the GL context, post `quitCode` (0 for Escape
    // and a close).
    void destroy(int quitCode = 0);

    bool isFullScreen() const { return window_->isFullScreen(); }
    // Why the window is not in the mode asked for; empty when it is.
    const std::string& note() const { return window_->note(); }
    bool hasContext() const { return window_->hasContext(); }
    SDL_Window* sdlWindow() const { return window_->sdlWindow(); }

private:
    explicit DemoWindow(std::unique_ptr<GlWindow> window) : window_(std::move(window)) {}
    friend DemoWindow* createDemoWindow(int, int, int, const char*, const char*, std::string*,
                                        const WindowDescription&);

    std::unique_ptr<GlWindow> window_;
    bool destroyed_ = false;
};

// Posts the quit message with `code`; the main loop ends when it takes it.
void postQuitMessage(int code);

// SIGINT, SIGTERM and SIGHUP end the program like a close, desktop restored, but with the exit
// code 128 + the signal, so a caller can tell them from Escape (platform/stop_signals.h).
// Call before createDemoWindow, so a signal that comes during the start-up is recorded too
// (SDL's own handlers stay out whenever it is called: every window turns them off).
// peekMessage hands a recorded signal over as a Stop message, once; the stretches that take no
// messages (start-up, a fast-forward) look at stopsignals::caught() to give up early.
void catchStopSignals();

// Opens the window that `description` describes, at width x height (the display mode
// ModeSwitch asks for, and a window's size unless the description gives one), titled `title`,
// with a display mode of `bitsPerPixel` where the display is switched: full screen on the
// desktop's resolution, a resizable window, or the display switched to width x height where it
// offers that mode (else full screen on the desktop's resolution, with a `note`). The window
// stays hidden until `show`. The GL context (colour and depth bits from
// `description.pixelBits`, one stencil bit, compatibility profile) is current when this
// returns, with the initial GL state set and the swap interval chosen.
// Returns null, with the reason in *error, when there is no display or no GL context.
DemoWindow* createDemoWindow(int width, int height, int bitsPerPixel, const char* className,
                             const char* title, std::string* error,
                             const WindowDescription& description = WindowDescription{});
