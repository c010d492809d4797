#include "files/file_system.h"

#include <windows.h>

#include <cerrno>
#include <random>

#include "files/wide_text_windows.h"

namespace files {
namespace {

std::string lastError() { return systemMessage(GetLastError()); }

}  // namespace

// The folder inherits the user's own profile permissions (the temporary folder is the user's);
// the suffix is random, and CreateDirectory refuses a name that already exists.
std::string makeUniqueFolder(const std::string& stem, std::string& path) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = stem;
        for (int i = 0; i < 6; ++i) candidate += kLetters[pick(random)];
        if (CreateDirectoryW(widen(candidate).c_str(), nullptr)) {
            path = candidate;
            return {};
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) return lastError();
    }
    return "no unused name after 100 tries";
}

std::string replaceFile(const std::string& from, const std::string& to) {
    if (!MoveFileExW(widen(from).c_str(), widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return lastError();
    return {};
}

std::vector<std::string> folderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry;
    HANDLE listing = FindFirstFileW(widen(folder + "\\*").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = narrow(entry.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(listing, &entry));
    FindClose(listing);
    return names;
}

void removeFile(const std::string& path) { DeleteFileW(widen(path).c_str()); }

void removeEmptyFolder(const std::string& path) { RemoveDirectoryW(widen(path).c_str()); }

bool readable(const std::string& path) {
    HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

std::string temporaryFolder() {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return ".";
    std::string path = narrow(std::wstring(folder, length));
    // The callers add their own separator.
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

std::string programPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return narrow(path.substr(0, length));
        path.resize(path.size() * 2);
    }
}

// Windows has no file that lives in memory and opens by name; start-up keeps its scratch files
// in a private folder in the temporary folder instead.
bool memoryFilesWork() { return false; }

int makeMemoryFile(const char*) {
    errno = ENOSYS;
    return -1;
}

std::string memoryFilePath(int) { return {}; }

void closeMemoryFile(int) {}

}  // namespace files
