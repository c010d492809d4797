#include "app/picture_sets.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include "app/soundtrack_location.h"
#include "assets/embedded_assets.h"
#include "files/file_system.h"

namespace fs = std::filesystem;

namespace {

bool holdsEveryPicture(const fs::path& folder) {
    for (int asset = assetActOneTextureA; asset <= assetFinale2; ++asset) {
        const fs::path file = folder / embeddedAsset(asset).name;
        std::error_code error;
        if (!fs::is_regular_file(file, error) || !files::readable(file.u8string())) return false;
    }
    return true;
}

std::string programFolder() {
    const std::string self = files::programPath();
    return self.empty() ? std::string() : fs::u8path(self).parent_path().u8string();
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
        if (holdsEveryPicture(fs::u8path(parent) / name)) return (fs::u8path(parent) / name).u8string();
        if (!searchFirst.empty()) break;
    }
    return {};
}
