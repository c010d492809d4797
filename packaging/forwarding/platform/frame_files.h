// Installed at the path this header had before the file library moved to a folder of its own,
// so that programs built against an earlier package keep compiling. New code includes
// "files/frame_files.h".
#pragma once

#include "files/frame_files.h"
