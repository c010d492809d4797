// Start-up: turns the embedded pictures and objects into textures and meshes, in a fixed
// order, and sets up the effect objects, before the music starts.
//
// The loaders read files by path, so each blob goes through a scratch file in a private
// directory made for the run (mode 0700, so nobody else can plant a link there): one name for
// every picture, another for both objects, each file removed right after its loader read it.
// The directory is gone when `loadShow` returns, whatever happened.
#pragma once

#include <string>

#include "timeline/show.h"

struct StartupOptions {
    // Parent of the private scratch directory; empty means $TMPDIR, or /tmp.
    std::string scratchParent;
};

// Needs a current GL context. Returns an error text (empty on success) only for failures
// of start-up itself (no scratch directory); a picture or object that fails to load is
// reported by its loader and leaves its slot empty, as the show tolerates.
std::string loadShow(Show& show, const StartupOptions& options = {});

// Shutdown order: the tube effect, then the font lists.
void releaseShow(Show& show);
