// What the script draws with: the effect objects that start-up sets up once, and the size of
// the frame.
//
// `Show` owns the effect objects; each advances its own animation only when the script calls
// it. The texture slots and the font the script also reads are process-wide, in
// fx/show_state.h.
#pragma once

#include <memory>

#include "fx/glow.h"
#include "fx/particles.h"
#include "fx/tube_effect.h"
#include "fx/waving_sheet.h"
#include "lwo/lwo_object.h"
#include "platform/frame_size.h"
#include "fx/show_state.h"

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
