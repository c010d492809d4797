// The show as start-up leaves it, kept so that it can start over (a looping show) without
// loading anything again.
//
// Everything that a frame advances is kept: the particle cloud (and its random sequence), the
// sheet's wave, the tube effect (animation and morph), the knot and the strip's travel, and
// the GL server and client state start-up left behind (on the attribute stacks, one entry
// each, so state that frames carry over to the next starts from the same values). The clock
// and the script are the caller's to make afresh. Of the show's record of slots and font
// (fx/show_state.h) only the strip's travel changes during the show; the texture slots and the
// font are read-only then, and shared, not copied.
#pragma once

#include <memory>

#include "timeline/show.h"

class ShowStartState {
public:
    // Needs a current GL context; call right after start-up, before the first frame.
    explicit ShowStartState(const Show& show);
    ~ShowStartState();
    ShowStartState(const ShowStartState&) = delete;
    ShowStartState& operator=(const ShowStartState&) = delete;

    // Puts `show` and the GL state back as they were when this was made.
    void restore(Show& show) const;

private:
    ParticleSystem particles_;
    WavingSheet sheet_;
    std::unique_ptr<TubeEffect> tubeEffect_;
    LwoObject knotMesh_;
    float stripOffset_ = 0.0f;
};
