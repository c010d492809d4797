#include "tests/support/temp_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "files/file_system.h"

namespace testsupport {
namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        const std::string error = files::makeUniqueFolder(files::temporaryFolder() + "/demo-test-", path_);
        if (!error.empty()) {
            std::fprintf(stderr, "cannot make a scratch folder for the test: %s\n", error.c_str());
            std::abort();
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::u8path(path_), ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

const std::string& tempFolder() {
    // Destroyed at normal exit, after the tests that used it.
    static ScratchFolder folder;
    return folder.path();
}

std::string tempPath(const std::string& name) { return tempFolder() + "/" + name; }

}  // namespace testsupport
