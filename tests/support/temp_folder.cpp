#include "tests/support/temp_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace testsupport {
namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/demo-test-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("cannot make a scratch folder for the test");
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
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
