// A private scratch folder for one test process, removed with everything in it when the
// process ends. ctest runs test cases in parallel processes, so fixed names in the shared
// temporary folder would be raced over, and files left behind pile up between runs.
#pragma once

#include <string>

namespace testsupport {

// The absolute path of `name` inside this process's scratch folder (made on first use under
// $TMPDIR or /tmp, removed at exit). Names may contain '/': the folders are not made.
std::string tempPath(const std::string& name);

// The scratch folder itself.
const std::string& tempFolder();

}  // namespace testsupport
