// What the script draws with: the texture slots and effect objects that start-up fills once.
//
// Texture names are GL names, 0 until loaded (a layer with texture 0 draws untextured). The
// slots are process-wide; start-up writes them, the script only reads them. `Show` owns the
// effect objects; each advances its own animation only when the script calls it.
#pragma once

#include <GL/gl.h>

#include <memory>

#include "fx/glow.h"
#include "fx/image_layer.h"  // thumbnailTextures[4]
#include "fx/particles.h"
#include "fx/tube_effect.h"
#include "fx/waving_sheet.h"
#include "lwo/lwo_object.h"
#include "platform/frame_size.h"

extern GLuint actOneTextureA;    // third backdrop layer; the knot's texture
extern GLuint actOneTextureB;    // second backdrop layer
extern GLuint actOneTextureC;    // first, pulsing backdrop layer
extern GLuint particleTexture;   // the sprite of the particle cloud and the tube effect
extern GLuint finaleTextures[3]; // finale backdrops, changed after 123 s and 169 s
extern GLuint scrollerTexture;   // the capture target of the invitation text

struct Show {
    // The one place that knows the size of the frame the show draws: the script and the glow
    // ask it for the viewport and the capture blocks. The designed 800x600 unless the program
    // renders sharper.
    FrameSize frame;
    ParticleSystem particles;
    WavingSheet sheet;
    GlowEffect glow;
    std::unique_ptr<TubeEffect> tubeEffect;  // null when it could not be made
    LwoObject knotMesh;
};
