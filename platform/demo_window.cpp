#include "platform/demo_window.h"

#include "platform/stop_signals.h"

#include <SDL.h>

#include "gl/gl_setup.h"

namespace {

// Registered on first use; the quit message is an SDL user event carrying the exit code.
Uint32 quitEventType() {
    static const Uint32 type = SDL_RegisterEvents(1);
    return type;
}

}  // namespace

void catchStopSignals() { stopsignals::install(); }

void postQuitMessage(int code) {
    SDL_Event event{};
    event.type = quitEventType();
    event.user.code = code;
    SDL_PushEvent(&event);
}

// The window class name ("klasa_okna") is kept for the call's shape: SDL registers no window
// classes, so it names nothing here.
DemoWindow* createDemoWindow(int width, int height, int bitsPerPixel, const char* /*className*/,
                             const char* title, std::string* error, const WindowDescription& description) {
    WindowDescription wanted = description;
    wanted.width = width;
    wanted.height = height;
    wanted.displayBits = bitsPerPixel;
    wanted.title = title;
    std::unique_ptr<GlWindow> window = GlWindow::open(wanted, error);
    if (!window) return nullptr;
    quitEventType();
    initGLState();
    return new DemoWindow(std::move(window));
}

DemoWindow::~DemoWindow() = default;

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
            if (hasContext()) setPerspective(static_cast<float>(message.width & 0xffff),
                                             static_cast<float>(message.height & 0xffff), 45.0f);
            break;
        case MessageKind::Quit:
        case MessageKind::Other:
            break;
    }
}

void DemoWindow::swapBuffers() { window_->swapBuffers(); }

void DemoWindow::show() { window_->show(); }

void DemoWindow::toggleFullScreen() {
    if (!destroyed_) window_->toggleFullScreen();
}

void DemoWindow::drawableSize(int& width, int& height) const { window_->drawableSize(width, height); }

int DemoWindow::refreshRate() const { return window_->refreshRate(); }

void DemoWindow::restoreDesktop() { window_->restoreDesktop(); }

void DemoWindow::destroy(int quitCode) {
    if (destroyed_) return;
    destroyed_ = true;
    window_->restoreDesktop();
    window_->releaseContext();
    window_->hide();
    postQuitMessage(quitCode);
}
