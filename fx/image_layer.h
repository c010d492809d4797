// Full-view picture layers and the sliding row of four thumbnails.
//
// Both draw with the front-facing quad turned 180 degrees about x, so texture row 0 (the top
// row of a loaded picture) lands at the top of the screen and the viewer sees the quad's back:
// culling must be off while they draw. Texture names are borrowed from the start-up slots.
#pragma once

#include <GL/gl.h>

struct ShowState;

// Draws `texture` over the whole 60-degree, 4:3 view half a unit in front of the eye. Colour,
// blending, depth and texture enabling are the caller's; binds `texture`, sets the front face
// counter-clockwise and leaves the modelview matrix as it found it.
void drawImageLayer(GLuint texture);

// Loads the identity modelview, turns blending off and the colour to opaque white, draws the
// strip of `state.thumbnailTextures` (fx/show_state.h) at the show's current offset and then
// advances `state.stripOffset` by `step` (a per-frame amount; the caller scales it by the
// frame rate). Leaves the modelview translated to the last thumbnail and the last thumbnail's
// texture bound.
void drawThumbnailStrip(ShowState& state, float step);
