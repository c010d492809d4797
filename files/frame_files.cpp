#include "files/frame_files.h"

#include <cstdio>
#include <vector>

#include "files/file_system.h"

namespace files {

std::string frameFileName(long frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06ld.png", frame);
    return name;
}

std::string frameFilePath(const std::string& folder, long frame) { return folder + "/" + frameFileName(frame); }

std::string StagingFolder::make(const std::string& folder, const std::string& program) {
    remove();
    std::string path;
    const std::string error = makeUniqueFolder(folder + "/." + program + "-", path);
    if (!error.empty()) return error;
    folder_ = folder;
    path_ = path;
    return {};
}

std::string StagingFolder::stagedPath(const std::string& name) const { return path_ + "/" + name; }

std::string StagingFolder::place(const std::string& name) const {
    return replaceFile(stagedPath(name), folder_ + "/" + name);
}

// Only this program writes into the folder, and only plain files, so one level is all there is.
void StagingFolder::remove() {
    if (path_.empty()) return;
    // Names first, then removing: a listing need not follow a folder that changes under it.
    for (const std::string& name : folderNames(path_)) removeFile(stagedPath(name));
    removeEmptyFolder(path_);
    path_.clear();
}

}  // namespace files
