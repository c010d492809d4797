#include "platform/frame_files.h"

#include <cstdio>

namespace files {

std::string frameFilePath(const std::string& folder, long frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06ld.png", frame);
    return folder + name;
}

}  // namespace files
