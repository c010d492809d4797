#include "files/frame_files.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace files {

std::string frameFileName(long frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06ld.png", frame);
    return name;
}

std::string frameFilePath(const std::string& folder, long frame) { return folder + "/" + frameFileName(frame); }

std::string StagingFolder::make(const std::string& folder, const std::string& program) {
    remove();
    std::string path = folder + "/." + program + "-XXXXXX";
    if (mkdtemp(path.data()) == nullptr) return std::strerror(errno);
    folder_ = folder;
    path_ = path;
    return {};
}

std::string StagingFolder::stagedPath(const std::string& name) const { return path_ + "/" + name; }

std::string StagingFolder::place(const std::string& name) const {
    if (std::rename(stagedPath(name).c_str(), (folder_ + "/" + name).c_str()) != 0) return std::strerror(errno);
    return {};
}

// Only this program writes into the folder, and only plain files, so one level is all there is.
void StagingFolder::remove() {
    if (path_.empty()) return;
    // Names first, then unlinking: readdir need not follow a folder that changes under it.
    std::vector<std::string> names;
    if (DIR* staged = opendir(path_.c_str())) {
        while (const dirent* entry = readdir(staged)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(staged);
    }
    for (const std::string& name : names) unlink(stagedPath(name).c_str());
    rmdir(path_.c_str());
    path_.clear();
}

}  // namespace files
