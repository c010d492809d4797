// What the script draws with, all in one record: the effect objects that start-up sets up
// once, the texture slots, font and strip offset beside them, and the size of the frame.
//
// `Show` owns the effect objects; each advances its own animation only when the script calls
// it. The program that plays a show owns it and passes it by reference to start-up, the script
// and whatever else fills or reads it; nothing of a show is process-wide, so a second show in
// the same process (made after the first was released) starts exactly as the first did.
#pragma once

#include <memory>

#include "fx/glow.h"
#include "fx/particles.h"
#include "fx/tube_effect.h"
#include "fx/waving_sheet.h"
#include "lwo/lwo_object.h"
#include "fx/show_state.h"
#include "gl/frame_size.h"

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
    // The texture slots, the font, the strip's travel and the display record (fx/show_state.h):
    // kept apart from the effect objects because the effects that read them take them without
    // knowing the whole show.
    ShowState state;
};
