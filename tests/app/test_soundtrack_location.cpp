// Where the show finds its soundtrack: the working directory before the data folder.
#include "app/soundtrack_location.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// The working directory moved to `folder` for as long as it lives.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const fs::path& folder) : before_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingDirectory() { fs::current_path(before_); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    fs::path before_;
};

void makeSoundtrack(const fs::path& folder) {
    fs::create_directories(folder);
    std::ofstream(folder / kSoundtrackName) << "music";
}

TEST(SoundtrackLocation, TheWorkingDirectorysCopyComesBeforeTheDataFolders) {
    const fs::path here = testsupport::tempPath("here");
    const fs::path data = testsupport::tempPath("share/invitation");
    makeSoundtrack(data);
    fs::create_directories(here);
    const WorkingDirectory in(here);
    EXPECT_EQ(findSoundtrack(data.string()).path, (data / kSoundtrackName).string()) << "only the data folder's";
    makeSoundtrack(here);
    EXPECT_EQ(findSoundtrack(data.string()).path, kSoundtrackName) << "both: the working directory's";
    fs::remove(here / kSoundtrackName);
    fs::create_directory(here / kSoundtrackName);
    EXPECT_EQ(findSoundtrack(data.string()).path, (data / kSoundtrackName).string()) << "a folder is no soundtrack";
}

}  // namespace
