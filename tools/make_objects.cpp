// make_objects: writes the two LWO2 objects the show embeds, tube.lwo and knot.lwo, into a
// folder. The output is deterministic; assets/data/ holds the files made by this tool.
//
//   make_objects [--] DIR
//
// The show's asset table fixes each object's size in bytes, so the tool refuses to write a
// file whose size differs from it.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "tools/make_objects_lwo.h"
#include "tools/make_objects_shapes.h"

namespace {

const ProgramInfo kProgram = {
    "make_objects",
    "usage: make_objects [--] DIR\n"
    "Models the demo's two LWO2 objects and writes tube.lwo and knot.lwo to the folder DIR;\n"
    "refuses to write one whose size differs from the asset table's.\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "Exit status: 0 when both objects were written, 1 when one was not, 2 for a wrong command line.\n"};

constexpr std::size_t kTubeFileSize = 34760;
constexpr std::size_t kKnotFileSize = 59552;

bool writeObject(const std::string& folder, const char* name, const makeobjects::ObjectModel& model,
                 std::size_t expectedSize) {
    std::vector<std::uint8_t> bytes = makeobjects::encodeLwo2(model);
    if (bytes.size() != expectedSize || bytes.size() != makeobjects::lwo2FileSize(model)) {
        std::fprintf(stderr, "%s: %s would be %zu bytes (budget %zu), the show needs %zu\n", kProgram.name, name,
                     bytes.size(), makeobjects::lwo2FileSize(model), expectedSize);
        return false;
    }
    std::string path = folder + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", kProgram.name, path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> folder;
    if (const int exitCode = takeOperands(kProgram, argc, argv, {"the output folder"}, 1, folder); exitCode >= 0)
        return exitCode;
    try {
        bool ok = writeObject(folder[0], "tube.lwo", makeobjects::makeTube(), kTubeFileSize) &&
                  writeObject(folder[0], "knot.lwo", makeobjects::makeKnot(), kKnotFileSize);
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", kProgram.name, e.what());
        return 1;
    }
}
