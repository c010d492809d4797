// Stretches in which the script must run but nothing it asks of GL is wanted (a fast-forward):
// the thread's GL calls go nowhere while the switch is off. With no context current, the GL
// library routes every entry point to stubs that return at once, so no vertex is transformed
// and no state changes; the context keeps its state, textures and framebuffers meanwhile and
// takes calls again once it is current. Queries made while off return nothing (their outputs
// are left as they were), so code that runs off must not depend on what GL answers.
// Single-threaded: the thread that made the context current uses it.
#pragma once

struct SDL_Window;

class GlCallSwitch {
public:
    // Takes the context current now; on, as it is.
    GlCallSwitch();
    // Leaves the context current, as it found it.
    ~GlCallSwitch();
    GlCallSwitch(const GlCallSwitch&) = delete;
    GlCallSwitch& operator=(const GlCallSwitch&) = delete;

    void off();
    void on();
    bool isOn() const { return on_; }

private:
    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
    bool on_ = true;
};
