#include "platform/demo_window.h"

#include "platform/stop_signals.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/gl_context.h"
#include "platform/gl_setup.h"

namespace {

GLSetup glSetup;

// Registered on first use; the quit message is an SDL user event carrying the exit code.
Uint32 quitEventType() {
    static const Uint32 type = SDL_RegisterEvents(1);
    return type;
}

// SDL falls back to a driver that draws nowhere when there is no display. That is right
// for capture and tests, which ask for it by name, and wrong for someone who wants to watch.
bool drawsNowhereUnasked() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0)) return false;
    const char* requested = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return !requested || !std::strstr(requested, driver);
}

bool displayOffersMode(int width, int height) {
    const int modes = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < modes; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) == 0 && mode.w == width && mode.h == height) return true;
    }
    return false;
}

// Adaptive vsync where the driver has it (a late frame is shown at once instead of waiting a
// whole refresh), plain vsync otherwise.
void chooseSwapInterval(bool vsync) {
    if (!vsync) {
        SDL_GL_SetSwapInterval(0);
        return;
    }
    if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);
}

Uint32 windowFlags(DisplayMode mode) {
    const Uint32 common = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    switch (mode) {
        case DisplayMode::Window: return common | SDL_WINDOW_RESIZABLE;
        case DisplayMode::ModeSwitch: return common | SDL_WINDOW_FULLSCREEN;
        case DisplayMode::Desktop: break;
    }
    return common | SDL_WINDOW_FULLSCREEN_DESKTOP;
}

// Full screen on the desktop's resolution is a window state that the window manager carries
// out; on a bare X server (a kiosk, a virtual screen) nobody does, so the window is also given
// the display's whole area itself, while it is still an ordinary window (SDL ignores a new
// size for a full-screen one).
SDL_Rect displayArea(SDL_Window* window) {
    SDL_Rect bounds{0, 0, 800, 600};
    const int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
    SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds);
    return bounds;
}

void coverDisplay(SDL_Window* window) {
    const SDL_Rect bounds = displayArea(window);
    SDL_SetWindowPosition(window, bounds.x, bounds.y);
    SDL_SetWindowSize(window, bounds.w, bounds.h);
}


}  // namespace

void catchStopSignals() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    stopsignals::install();
}

void postQuitMessage(int code) {
    SDL_Event event{};
    event.type = quitEventType();
    event.user.code = code;
    SDL_PushEvent(&event);
}

DemoWindow* createDemoWindow(int width, int height, int bitsPerPixel, const char* /*className*/,
                             const char* title, std::string* error, const WindowOptions& options) {
    auto fail = [&](const char* what) -> DemoWindow* {
        const char* reason = *SDL_GetError() ? SDL_GetError() : "DISPLAY is not set; run it inside xvfb-run to play headless";
        if (error) *error = std::string(what) + ": " + reason;
        return nullptr;
    };
    const bool noDisplay = !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
                           !SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (noDisplay || SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return fail("no display");
    if (drawsNowhereUnasked()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        const char* display = std::getenv("DISPLAY");
        if (error)
            *error = display ? std::string("no display: cannot open display ") + display
                             : "no display (DISPLAY is not set); run it inside xvfb-run to play headless";
        return nullptr;
    }
    quitEventType();

    DisplayMode mode = options.mode;
    std::string note;
    if (mode == DisplayMode::ModeSwitch && !displayOffersMode(width, height)) {
        // A window in the corner of a larger desktop would be worse than scaling the show up.
        note = "the display offers no " + std::to_string(width) + "x" + std::to_string(height) +
               " mode; playing full screen at its own resolution";
        mode = DisplayMode::Desktop;
    }
    const int windowWidth = options.windowWidth > 0 ? options.windowWidth : width;
    const int windowHeight = options.windowHeight > 0 ? options.windowHeight : height;
    requestPixelFormat(glSetup.setPixelFormat(options.pixelBits, options.pixelBits));

    const bool windowed = mode == DisplayMode::Window;
    SDL_Rect area{0, 0, width, height};
    if (windowed) area = {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, windowWidth, windowHeight};
    if (mode == DisplayMode::Desktop) area = displayArea(nullptr);
    SDL_Window* window = SDL_CreateWindow(title, area.x, area.y, area.w, area.h, windowFlags(mode));
    if (!window) return fail("cannot open the window");
    if (mode == DisplayMode::ModeSwitch) {
        SDL_DisplayMode displayMode{};
        displayMode.w = width;
        displayMode.h = height;
        displayMode.format = bitsPerPixel == 32 ? SDL_PIXELFORMAT_RGB888 : 0;
        SDL_SetWindowDisplayMode(window, &displayMode);
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        const char* reason = SDL_GetError();
        SDL_DestroyWindow(window);
        if (error) *error = std::string("cannot create an OpenGL context: ") + reason;
        return nullptr;
    }
    SDL_GL_MakeCurrent(window, context);
    chooseSwapInterval(options.vsync);

    auto* demoWindow = new DemoWindow;
    demoWindow->window_ = window;
    demoWindow->context_ = context;
    demoWindow->fullScreen_ = !windowed;
    demoWindow->note_ = note;
    demoWindow->windowWidth_ = windowWidth;
    demoWindow->windowHeight_ = windowHeight;
    glSetup.initGLState();
    return demoWindow;
}

DemoWindow::~DemoWindow() {
    restoreDesktop();
    if (context_) {
        SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(context_);
    }
    if (window_) SDL_DestroyWindow(window_);
}

namespace {

// SDL ends each poll cycle with a sentinel and then reports an empty queue once, although
// messages may still wait; the loop must not draw a frame before they are all taken.
bool pollEvent(SDL_Event& event) {
    if (SDL_PollEvent(&event)) return true;
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0 &&
           SDL_PollEvent(&event);
}

}  // namespace

bool DemoWindow::peekMessage(Message& out) {
    if (const int signal = stopsignals::take()) {
        out = Message{};
        out.kind = MessageKind::Stop;
        out.code = stopsignals::exitCodeFor(signal);
        return true;
    }
    SDL_Event event;
    if (!pollEvent(event)) return false;
    out = Message{};
    if (event.type == quitEventType()) {
        out.kind = MessageKind::Quit;
        out.code = event.user.code;
    } else if (event.type == SDL_KEYDOWN) {
        out.kind = MessageKind::KeyDown;
        out.key = event.key.keysym.sym;
        out.keyModifiers = event.key.keysym.mod;
    } else if (asksToClose(event)) {
        out.kind = MessageKind::Close;
    } else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        out.kind = MessageKind::Resize;
        out.width = event.window.data1;
        out.height = event.window.data2;
    }
    return true;
}

void DemoWindow::dispatchMessage(const Message& message) {
    switch (message.kind) {
        case MessageKind::KeyDown:
            if (message.key == SDLK_ESCAPE) destroy();
            if (message.key == SDLK_F11 || (message.key == SDLK_RETURN && (message.keyModifiers & KMOD_ALT)))
                toggleFullScreen();
            break;
        case MessageKind::Close:
            destroy();
            break;
        case MessageKind::Stop:
            destroy(message.code);
            break;
        case MessageKind::Resize:
            if (context_) glSetup.setPerspective(static_cast<float>(message.width & 0xffff),
                                                 static_cast<float>(message.height & 0xffff), 45.0f);
            break;
        case MessageKind::Quit:
        case MessageKind::Other:
            break;
    }
}

void DemoWindow::swapBuffers() {
    if (context_) SDL_GL_SwapWindow(window_);
}

void DemoWindow::show() {
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    showCursorUnlessFullScreen();
}

void DemoWindow::showCursorUnlessFullScreen() const { SDL_ShowCursor(fullScreen_ ? SDL_DISABLE : SDL_ENABLE); }

void DemoWindow::toggleFullScreen() {
    if (!window_ || destroyed_) return;
    if (fullScreen_) {
        SDL_SetWindowFullscreen(window_, 0);
        SDL_SetWindowSize(window_, windowWidth_, windowHeight_);
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        SDL_SetWindowResizable(window_, SDL_TRUE);
    } else {
        SDL_GetWindowSize(window_, &windowWidth_, &windowHeight_);
        SDL_SetWindowResizable(window_, SDL_FALSE);
        coverDisplay(window_);
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    fullScreen_ = !fullScreen_;
    showCursorUnlessFullScreen();
}

void DemoWindow::drawableSize(int& width, int& height) const {
    width = height = 0;
    if (window_) SDL_GL_GetDrawableSize(window_, &width, &height);
}

int DemoWindow::refreshRate() const {
    SDL_DisplayMode mode{};
    const int display = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
    return SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) == 0 ? mode.refresh_rate : 0;
}

void DemoWindow::restoreDesktop() {
    // Leaving full screen is what puts the desktop's own display mode back.
    if (window_ && fullScreen_) SDL_SetWindowFullscreen(window_, 0);
    fullScreen_ = false;
    SDL_ShowCursor(SDL_ENABLE);
}

void DemoWindow::destroy(int quitCode) {
    if (destroyed_) return;
    destroyed_ = true;
    restoreDesktop();
    if (context_) {
        SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(context_);
        context_ = nullptr;
    }
    SDL_HideWindow(window_);
    postQuitMessage(quitCode);
}
