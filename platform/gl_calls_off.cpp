#include "platform/gl_calls_off.h"

#include <SDL.h>

GlCallSwitch::GlCallSwitch() : window_(SDL_GL_GetCurrentWindow()), context_(SDL_GL_GetCurrentContext()) {}

GlCallSwitch::~GlCallSwitch() { on(); }

void GlCallSwitch::off() {
    if (!on_ || !context_) return;
    // Keeps the window (the surface stays bound to it); only the thread lets go of the context.
    SDL_GL_MakeCurrent(window_, nullptr);
    on_ = false;
}

void GlCallSwitch::on() {
    if (on_) return;
    SDL_GL_MakeCurrent(window_, context_);
    on_ = true;
}
