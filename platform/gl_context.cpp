#include "platform/gl_context.h"

#include <SDL.h>

std::unique_ptr<GlContext> GlContext::open(const WindowDescription& description, std::string* error) {
    std::unique_ptr<GlWindow> window = GlWindow::open(description, error);
    if (!window) return nullptr;
    return std::unique_ptr<GlContext>(new GlContext(std::move(window)));
}

GlContext::GlContext(std::unique_ptr<GlWindow> window) : window_(std::move(window)) {
    window_->drawableSize(width_, height_);
}

bool GlContext::quitRequested() const {
    bool quit = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) quit = asksToEnd(event) || quit;
    return quit;
}
