#include "files/file_system.h"

#include <dirent.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace files {

std::string makeUniqueFolder(const std::string& stem, std::string& path) {
    std::string pattern = stem + "XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return std::strerror(errno);
    path = pattern;
    return {};
}

std::string replaceFile(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) return std::strerror(errno);
    return {};
}

std::vector<std::string> folderNames(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* listing = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(listing);
    }
    return names;
}

void removeFile(const std::string& path) { unlink(path.c_str()); }

void removeEmptyFolder(const std::string& path) { rmdir(path.c_str()); }

bool readable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

std::string temporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

std::string programPath() {
    std::error_code error;
    // The link's target, not argv[0]: a program started through PATH or a symbolic link still
    // finds the folder it was installed beside.
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.string();
}

#ifdef MFD_CLOEXEC
int makeMemoryFile(const char* name) { return memfd_create(name, MFD_CLOEXEC); }
#else
int makeMemoryFile(const char*) {
    errno = ENOSYS;
    return -1;
}
#endif

std::string memoryFilePath(int descriptor) { return "/proc/self/fd/" + std::to_string(descriptor); }

void closeMemoryFile(int descriptor) { close(descriptor); }

// The loaders need a path: an in-memory file is only usable where /proc shows it as one.
bool memoryFilesWork() {
    const int file = makeMemoryFile("probe");
    if (file < 0) return false;
    const bool reachable = access(memoryFilePath(file).c_str(), R_OK | W_OK) == 0;
    close(file);
    return reachable;
}

}  // namespace files
