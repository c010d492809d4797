// Start-up: turns the embedded pictures and objects into textures and meshes, in a fixed
// order, and sets up the effect objects, before the music starts.
//
// The loaders read files by path, so each blob goes through a scratch file: one name for every
// picture, another for both objects, each file removed right after its loader read it. Where
// Linux has them these are anonymous in-memory files, which the loaders open through
// /proc/self/fd/N and which nothing outlives, not even a start-up killed half-way. Elsewhere
// they sit in a private directory made for the run (mode 0700, so nobody else can plant a link
// there), gone when `loadShow` returns, whatever happened.
#pragma once

#include <cstddef>
#include <string>

#include "assets/embedded_assets.h"
#include "timeline/show.h"

// Writes one blob to its scratch path; false, with errno saying why, when not all of it got
// there.
using ScratchWriter = bool (*)(const char* path, const unsigned char* bytes, size_t size);

struct StartupOptions {
    // Empty: the scratch files in memory where the system allows, else in a private directory
    // under $TMPDIR, or /tmp. A folder: always in a private directory there, on disk.
    std::string scratchParent;
    // Tests put a failing writer here.
    ScratchWriter writeScratch = writeAssetFile;
    // Where a show larger than 800x600 looks for its larger pictures (app/picture_sets.h) instead
    // of beside the program and in the data folder; tests name the build folder here.
    std::string pictureFolder;
};

// Needs a current GL context. A show whose frame is larger than 800x600 takes the set of larger
// pictures nearest its size where one is found, each at its own size with mipmaps; without one
// it says so in a line on stderr and uses the embedded pictures. Returns an error text (empty on success) only for failures
// of start-up itself (no scratch directory). A picture or object that cannot be written to
// its scratch file or loaded from it is reported on stderr, one line naming it and the cause,
// and leaves its slot empty, as the show tolerates.
[[nodiscard]] std::string loadShow(Show& show, const StartupOptions& options = {});

// Shutdown order: the tube effect, then the font lists. The texture slots stay until their
// context ends; another show may be loaded afterwards, into a record of its own.
void releaseShow(Show& show);
