#include "app/show_start_state.h"

#include <GL/gl.h>

namespace {

void saveGlState() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
}

void restoreGlState() {
    glPopClientAttrib();
    glPopAttrib();
}

}  // namespace

ShowStartState::ShowStartState(const Show& show)
    : particles_(show.particles),
      sheet_(show.sheet),
      tubeEffect_(show.tubeEffect ? std::make_unique<TubeEffect>(*show.tubeEffect) : nullptr),
      knotMesh_(show.knotMesh),
      stripOffset_(show.state.stripOffset) {
    saveGlState();
}

ShowStartState::~ShowStartState() { restoreGlState(); }

void ShowStartState::restore(Show& show) const {
    show.particles = particles_;
    show.sheet = sheet_;
    show.tubeEffect = tubeEffect_ ? std::make_unique<TubeEffect>(*tubeEffect_) : nullptr;
    show.knotMesh = knotMesh_;
    show.state.stripOffset = stripOffset_;
    // Popping restores; pushing again keeps the saved copy for the next time round.
    restoreGlState();
    saveGlState();
}
