#include "app/soundtrack_location.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#ifndef DEMO_DATA_FROM_BINDIR
#error "DEMO_DATA_FROM_BINDIR comes from the install layout in CMake"
#endif

namespace fs = std::filesystem;

namespace {

bool playable(const fs::path& file) {
    std::error_code error;
    return fs::is_regular_file(file, error) && access(file.c_str(), R_OK) == 0;
}

}  // namespace

std::string installedDataFolder() {
    std::error_code error;
    // The link's target, not argv[0]: a program started through PATH or a symbolic link still
    // finds the folder it was installed beside.
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error || self.empty()) return {};
    return (self.parent_path() / DEMO_DATA_FROM_BINDIR).lexically_normal().string();
}

SoundtrackLocation findSoundtrack() { return findSoundtrack(installedDataFolder()); }

SoundtrackLocation findSoundtrack(const std::string& data) {
    std::error_code error;
    const fs::path here = fs::current_path(error);
    SoundtrackLocation found;
    found.places = std::string(kSoundtrackName) + " is neither in the working directory" +
                   (error ? std::string() : " (" + here.string() + ")") + " nor in the data folder" +
                   (data.empty() ? std::string(" (the program's own path is unreadable)") : " " + data);
    if (playable(kSoundtrackName))
        found.path = kSoundtrackName;
    else if (!data.empty() && playable(fs::path(data) / kSoundtrackName))
        found.path = (fs::path(data) / kSoundtrackName).string();
    return found;
}
