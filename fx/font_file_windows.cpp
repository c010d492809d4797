#include "fx/font_file.h"

#include <shlobj.h>
#include <windows.h>

#include <cwctype>
#include <filesystem>
#include <system_error>

#include "files/file_system.h"
#include "files/wide_text_windows.h"

namespace fs = std::filesystem;

namespace {

// The shipped stand-in: metric-compatible with Arial, so the banner keeps its width and
// spacing. The zip carries it beside the programs with its licence.
constexpr const char* kStandInFile = "LiberationSans-Regular.ttf";

std::wstring fontsFolder() {
    PWSTR folder = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Fonts, 0, nullptr, &folder))) path = folder;
    CoTaskMemFree(folder);
    return path;
}

// Windows names its font files after the family ("Arial" is arial.ttf); weights other than
// regular live in files of their own, which the show's thin weight has no use for.
std::wstring familyFile(const char* family) {
    std::wstring name = files::widen(family);
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
    return name + L".ttf";
}

bool isFile(const fs::path& file) {
    std::error_code error;
    return fs::is_regular_file(file, error);
}

}  // namespace

FaceLocation locateFace(const char* family, int) {
    const std::wstring folder = fontsFolder();
    if (!folder.empty() && isFile(fs::path(folder) / familyFile(family)))
        return {files::narrow((fs::path(folder) / familyFile(family)).wstring()), 0};
    const fs::path self(files::widen(files::programPath()));
    const fs::path standIn = self.parent_path() / kStandInFile;
    if (!self.empty() && isFile(standIn)) return {files::narrow(standIn.wstring()), 0};
    return {};
}

const char* faceSearchFailure() {
    return "neither in Windows' fonts folder nor LiberationSans-Regular.ttf beside the program";
}
