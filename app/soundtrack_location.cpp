#include "app/soundtrack_location.h"

#include <filesystem>
#include <system_error>

#include "files/file_system.h"

#ifndef DEMO_DATA_FROM_BINDIR
#error "DEMO_DATA_FROM_BINDIR comes from the install layout in CMake"
#endif

namespace fs = std::filesystem;

namespace {

bool playable(const fs::path& file) {
    std::error_code error;
    return fs::is_regular_file(file, error) && files::readable(file.u8string());
}

}  // namespace

std::string installedDataFolder() {
    const fs::path self = fs::u8path(files::programPath());
    if (self.empty()) return {};
    return (self.parent_path() / DEMO_DATA_FROM_BINDIR).lexically_normal().u8string();
}

SoundtrackLocation findSoundtrack() { return findSoundtrack(installedDataFolder()); }

SoundtrackLocation findSoundtrack(const std::string& data) {
    std::error_code error;
    const fs::path here = fs::current_path(error);
    SoundtrackLocation found;
    found.places = std::string(kSoundtrackName) + " is neither in the working directory" +
                   (error ? std::string() : " (" + here.u8string() + ")") + " nor in the data folder" +
                   (data.empty() ? std::string(" (the program's own path is unreadable)") : " " + data);
    if (playable(kSoundtrackName))
        found.path = kSoundtrackName;
    else if (!data.empty() && playable(fs::u8path(data) / kSoundtrackName))
        found.path = (fs::u8path(data) / kSoundtrackName).u8string();
    return found;
}
