// The names of the numbered pictures invitation-capture and lws-play write into a folder, one file
// per frame: frame_000000.png, frame_000001.png, ... The number has six digits or more, so up
// to a million frames (over four hours at 60 fps) list in frame order.
#pragma once

#include <string>

namespace files {

// `folder`/frame_NNNNNN.png; `frame` counts from 0.
std::string frameFilePath(const std::string& folder, long frame);

}  // namespace files
