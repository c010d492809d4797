#include "platform/gl_context.h"

#include <SDL.h>

#include "platform/demo_window.h"

// The show's window asks for DisplaySettings' 16 bits per pixel as both colour and depth bits,
// with one stencil bit, double-buffered. Every other context asks for exactly that too: a
// test, a benchmark or a captured frame that drew with a deeper depth buffer or without the
// stencil bit could pass where the show goes wrong. The show's window fills this through its
// own process-wide GLSetup; the fields come from the same place.
PixelFormat demoPixelFormat() {
    const int bits = DisplaySettings{}.bitsPerPixel;
    GLSetup setup;
    return setup.setPixelFormat(bits, bits);
}

void requestPixelFormat(const PixelFormat& format) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, format.doubleBuffered ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_BUFFER_SIZE, format.colorBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, format.stencilBits);
}

bool asksToClose(const SDL_Event& event) {
    return event.type == SDL_QUIT || (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE);
}

bool asksToEnd(const SDL_Event& event) {
    return asksToClose(event) || (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE);
}

std::unique_ptr<GlContext> GlContext::open(const GlContextOptions& options, std::string* error) {
    auto fail = [&](const char* what) -> std::unique_ptr<GlContext> {
        if (error) *error = std::string(what) + ": " + SDL_GetError();
        return nullptr;
    };
    if (!options.shown) {
        // A hint gives way to the SDL_VIDEODRIVER variable, so a run can still pick its driver.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        // SDL would turn SIGINT and SIGTERM into quit events, and nobody polls a hidden
        // context: Ctrl-C must keep its default, or the program's own, meaning.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return fail("no display");
    std::unique_ptr<GlContext> context(new GlContext);
    requestPixelFormat(demoPixelFormat());
    const Uint32 flags = SDL_WINDOW_OPENGL | (options.shown ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN);
    context->window_ = SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        options.width, options.height, flags);
    if (!context->window_) return fail("cannot open the window");
    context->context_ = SDL_GL_CreateContext(context->window_);
    if (!context->context_) return fail("cannot create an OpenGL context");
    SDL_GL_GetDrawableSize(context->window_, &context->width_, &context->height_);
    context->makeCurrent();
    // Nothing drawn here waits for a display's refresh: lws-play paces its own frames, and
    // everything else runs as fast as it can.
    SDL_GL_SetSwapInterval(0);
    return context;
}

GlContext::~GlContext() {
    if (context_) {
        SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(context_);
    }
    if (window_) SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void GlContext::makeCurrent() const { SDL_GL_MakeCurrent(window_, context_); }

void GlContext::swapBuffers() const { SDL_GL_SwapWindow(window_); }

bool GlContext::quitRequested() const {
    bool quit = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) quit = asksToEnd(event) || quit;
    return quit;
}
