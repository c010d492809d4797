// The pictures painted again at 2 and 4 times their size (tools/make-pictures.cmake), for shows
// rendered larger than 800x600: in folders pictures-2x/ and pictures-4x/ beside the running
// program (a build folder) or in the installed data folder (PREFIX/share/invitation), one file
// per embedded picture under the same name. A show uses the set nearest its frame's scale; at
// the designed size that is always the embedded pictures, uploaded as they always were.
#pragma once

#include <string>

#include "gl/frame_size.h"

// The set nearest the frame's scale, by ratio: 1 (the embedded pictures) below the square root
// of 2, 2 below twice that, else 4.
int pictureSetFor(const FrameSize& frame);

// The folder of set `set` (2 or 4) that holds every picture: in `searchFirst` when that is not
// empty, else beside the running program, else in the installed data folder. Empty when none
// does.
std::string findPictureSet(int set, const std::string& searchFirst);
