// Where the soundtrack is. The show has always played inv2.mp3 from the working directory, so
// that comes first; an installed copy keeps it in its data folder (PREFIX/share/invitation),
// found from the program's own path, so the installed program starts from any folder.
#pragma once

#include <string>

// The soundtrack's file name, as the show plays it.
constexpr const char* kSoundtrackName = "inv2.mp3";

struct SoundtrackLocation {
    std::string path;    // the file to play; empty when neither place holds it
    std::string places;  // both places looked in, for the message when neither holds it
};

// The first readable regular file named kSoundtrackName: in the working directory, then in the
// data folder beside the running executable. A directory or a device of that name is passed
// over, as it cannot be played.
SoundtrackLocation findSoundtrack();
// The same with `dataFolder` as the data folder (empty: unknown).
SoundtrackLocation findSoundtrack(const std::string& dataFolder);

// The installed data folder as seen from the running executable (its folder, then the
// relative way from the program folder to the data folder that the build was configured with),
// or empty when the executable's own path cannot be read.
std::string installedDataFolder();
