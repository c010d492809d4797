#include "platform/gl_window.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/display.h"

namespace {

bool watched(DisplayMode mode) { return mode != DisplayMode::Hidden; }

bool fullScreen(DisplayMode mode) { return mode == DisplayMode::Desktop || mode == DisplayMode::ModeSwitch; }

// SDL falls back to a driver that draws nowhere when there is no display. That is right
// for the hidden contexts, which ask for it by name, and wrong for someone who wants to watch.
bool drawsNowhereUnasked() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0)) return false;
    const char* requested = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return !requested || !std::strstr(requested, driver);
}

std::string drawsNowhereReason() {
    const char* display = std::getenv("DISPLAY");
    return display ? std::string("no display: cannot open display ") + display
                   : "no display (DISPLAY is not set); run it inside xvfb-run to play headless";
}

// `what` and SDL's reason; SDL has none when there was no display to ask.
std::string failure(const char* what) {
    const char* reason = *SDL_GetError() ? SDL_GetError() : "DISPLAY is not set; run it inside xvfb-run to play headless";
    return std::string(what) + ": " + reason;
}

bool displayOffersMode(int width, int height) {
    const int modes = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < modes; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) == 0 && mode.w == width && mode.h == height) return true;
    }
    return false;
}

void requestPixelFormat(const PixelFormat& format) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, format.doubleBuffered ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_BUFFER_SIZE, format.colorBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, format.stencilBits);
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

Uint32 windowFlags(DisplayMode mode, const WindowDescription& description) {
    const Uint32 common = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI |
                          (description.shownAtOnce ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN);
    switch (mode) {
        case DisplayMode::Window: return common | (description.resizable ? SDL_WINDOW_RESIZABLE : 0);
        case DisplayMode::ModeSwitch: return common | SDL_WINDOW_FULLSCREEN;
        case DisplayMode::Desktop: return common | SDL_WINDOW_FULLSCREEN_DESKTOP;
        case DisplayMode::Hidden: break;
    }
    return common;
}

// Full screen on the desktop's resolution is a window state that the window manager carries
// out; on a bare X server (a kiosk, a virtual screen) nobody does, so the window is also given
// the display's whole area itself, while it is still an ordinary window (SDL ignores a new
// size for a full-screen one).
SDL_Rect displayArea(SDL_Window* window) {
    SDL_Rect bounds{0, 0, FrameSize::kDesignWidth, FrameSize::kDesignHeight};
    const int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
    SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds);
    return bounds;
}

void coverDisplay(SDL_Window* window) {
    const SDL_Rect bounds = displayArea(window);
    SDL_SetWindowPosition(window, bounds.x, bounds.y);
    SDL_SetWindowSize(window, bounds.w, bounds.h);
}

SDL_Rect windowArea(DisplayMode mode, int width, int height, int windowWidth, int windowHeight) {
    switch (mode) {
        case DisplayMode::ModeSwitch: return {0, 0, width, height};
        case DisplayMode::Desktop: return displayArea(nullptr);
        case DisplayMode::Window:
        case DisplayMode::Hidden: break;
    }
    return {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, windowWidth, windowHeight};
}

// A hidden context asks for the system's driver that draws nowhere (display::hiddenDriver), a
// hint that gives way to the SDL_VIDEODRIVER variable, so a run can still pick its driver. The hint is the whole process's and is read
// only when video starts: it is taken back at once, or a window to be watched, opened later,
// would start on the offscreen driver as if asked to, pass every check and draw nowhere.
bool startVideo(DisplayMode mode) {
    if (watched(mode) || !display::hiddenDriver()) return SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, display::hiddenDriver());
    const bool started = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
    SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    return started;
}

void switchDisplayMode(SDL_Window* window, const WindowDescription& description) {
    SDL_DisplayMode displayMode{};
    displayMode.w = description.width;
    displayMode.h = description.height;
    displayMode.format = description.displayBits == 32 ? SDL_PIXELFORMAT_RGB888 : 0;
    SDL_SetWindowDisplayMode(window, &displayMode);
}

}  // namespace

WindowDescription hiddenWindow(int width, int height) {
    WindowDescription description;
    description.mode = DisplayMode::Hidden;
    description.width = width;
    description.height = height;
    // Nothing drawn without a watcher waits for a display's refresh.
    description.vsync = false;
    return description;
}

PixelFormat WindowDescription::pixelFormat() const { return GLSetup{}.setPixelFormat(pixelBits, pixelBits); }

PixelFormat demoPixelFormat() { return WindowDescription{}.pixelFormat(); }

bool asksToClose(const SDL_Event& event) {
    return event.type == SDL_QUIT || (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE);
}

bool asksToEnd(const SDL_Event& event) {
    return asksToClose(event) || (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE);
}

std::unique_ptr<GlWindow> GlWindow::open(const WindowDescription& description, std::string* error) {
    std::unique_ptr<GlWindow> window(new GlWindow);
    const std::string why = window->openWindow(description);
    if (why.empty()) return window;
    if (error) *error = why;
    return nullptr;  // the teardown undoes what was done
}

// The set-up, step by step; the reason of the step that failed, empty when none did.
std::string GlWindow::openWindow(const WindowDescription& description) {
    // SDL would turn SIGINT and SIGTERM into quit events, which nobody polls in a hidden
    // context: the signals keep their default meaning, or the program's own (stop_signals.h).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    const bool noDisplay =
        watched(description.mode) && display::serverMissing() && !SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (noDisplay || !startVideo(description.mode)) return failure("no display");
    videoStarted_ = true;
    if (watched(description.mode) && drawsNowhereUnasked()) return drawsNowhereReason();

    DisplayMode mode = description.mode;
    if (mode == DisplayMode::ModeSwitch && !displayOffersMode(description.width, description.height)) {
        // A window in the corner of a larger desktop would be worse than scaling the show up.
        note_ = "the display offers no " + std::to_string(description.width) + "x" +
                std::to_string(description.height) + " mode; playing full screen at its own resolution";
        mode = DisplayMode::Desktop;
    }
    windowWidth_ = description.windowWidth > 0 ? description.windowWidth : description.width;
    windowHeight_ = description.windowHeight > 0 ? description.windowHeight : description.height;
    requestPixelFormat(description.pixelFormat());

    const SDL_Rect area = windowArea(mode, description.width, description.height, windowWidth_, windowHeight_);
    window_ = SDL_CreateWindow(description.title.c_str(), area.x, area.y, area.w, area.h,
                               windowFlags(mode, description));
    if (!window_) return failure("cannot open the window");
    fullScreen_ = fullScreen(mode);
    if (mode == DisplayMode::ModeSwitch) switchDisplayMode(window_, description);
    context_ = SDL_GL_CreateContext(window_);
    if (!context_) return std::string("cannot create an OpenGL context: ") + SDL_GetError();
    makeCurrent();
    chooseSwapInterval(description.vsync);
    return "";
}

GlWindow::~GlWindow() {
    if (window_) restoreDesktop();
    releaseContext();
    if (window_) SDL_DestroyWindow(window_);
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

void GlWindow::makeCurrent() const { SDL_GL_MakeCurrent(window_, context_); }

void GlWindow::swapBuffers() const {
    if (context_) SDL_GL_SwapWindow(window_);
}

void GlWindow::releaseContext() {
    if (!context_) return;
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
    context_ = nullptr;
}

void GlWindow::show() {
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    showCursorUnlessFullScreen();
}

void GlWindow::hide() { SDL_HideWindow(window_); }

void GlWindow::showCursorUnlessFullScreen() const { SDL_ShowCursor(fullScreen_ ? SDL_DISABLE : SDL_ENABLE); }

void GlWindow::toggleFullScreen() {
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

void GlWindow::restoreDesktop() {
    // Leaving full screen is what puts the desktop's own display mode back.
    if (fullScreen_) SDL_SetWindowFullscreen(window_, 0);
    fullScreen_ = false;
    SDL_ShowCursor(SDL_ENABLE);
}

void GlWindow::drawableSize(int& width, int& height) const {
    width = height = 0;
    SDL_GL_GetDrawableSize(window_, &width, &height);
}

int GlWindow::refreshRate() const {
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(window_);
    return SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) == 0 ? mode.refresh_rate : 0;
}
