// make_objects: writes the two LWO2 objects the show embeds, tube.lwo and knot.lwo, into a
// folder. The output is deterministic; assets/data/ holds the files made by this tool.
//
//   make_objects <output folder>
//
// The show's asset table fixes each object's size in bytes, so the tool refuses to write a
// file whose size differs from it.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/make_objects_lwo.h"
#include "tools/make_objects_shapes.h"

namespace {

constexpr std::size_t kTubeFileSize = 34760;
constexpr std::size_t kKnotFileSize = 59552;

bool writeObject(const std::string& folder, const char* name, const makeobjects::ObjectModel& model,
                 std::size_t expectedSize) {
    std::vector<std::uint8_t> bytes = makeobjects::encodeLwo2(model);
    if (bytes.size() != expectedSize || bytes.size() != makeobjects::lwo2FileSize(model)) {
        std::fprintf(stderr, "make_objects: %s would be %zu bytes (budget %zu), the show needs %zu\n", name,
                     bytes.size(), makeobjects::lwo2FileSize(model), expectedSize);
        return false;
    }
    std::string path = folder + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_objects: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_objects <output folder>\n");
        return 2;
    }
    try {
        bool ok = writeObject(argv[1], "tube.lwo", makeobjects::makeTube(), kTubeFileSize) &&
                  writeObject(argv[1], "knot.lwo", makeobjects::makeKnot(), kKnotFileSize);
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_objects: %s\n", e.what());
        return 1;
    }
}
