#include "app/picture_sets.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <system_error>

#include "app/soundtrack_location.h"
#include "assets/embedded_assets.h"

namespace fs = std::filesystem;

namespace {

bool holdsEveryPicture(const fs::path& folder) {
    for (int asset = assetActOneTextureA; asset <= assetFinale2; ++asset) {
        const fs::path file = folder / embeddedAsset(asset).name;
        std::error_code error;
        if (!fs::is_regular_file(file, error) || access(file.c_str(), R_OK) != 0) return false;
    }
    return true;
}

std::string programFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string();
}

}  // namespace

int pictureSetFor(const FrameSize& frame) {
    const double scale = frame.scale();
    if (scale < std::sqrt(2.0)) return 1;
    return scale < 2.0 * std::sqrt(2.0) ? 2 : 4;
}

std::string findPictureSet(int set, const std::string& searchFirst) {
    const std::string name = "pictures-" + std::to_string(set) + "x";
    for (const std::string& parent : {searchFirst, programFolder(), installedDataFolder()}) {
        if (parent.empty()) continue;
        if (holdsEveryPicture(fs::path(parent) / name)) return (fs::path(parent) / name).string();
        if (!searchFirst.empty()) break;
    }
    return {};
}
