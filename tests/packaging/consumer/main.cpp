// lwo-counts FILE.lwo: what a program outside the project sees of an LWO2 object through the
// installed reader: its layers, points, polygons and surfaces, one "what: count" line each.
#include <cstddef>
#include <iostream>
#include <sstream>

#include "lwo/lwo_mesh.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: lwo-counts FILE.lwo\n";
        return 2;
    }
    std::ostringstream readerTexts;  // the reader's own progress texts are not this program's output
    LwoMesh object;
    object.diagnostics = &readerTexts;
    if (object.load(argv[1])) {  // true on failure
        std::cerr << "lwo-counts: " << object.lastError() << "\n";
        return 1;
    }
    std::size_t points = 0;
    for (const LwoPointSet& set : object.reader.pointSets) points += set.points.size();
    std::size_t polygons = 0;
    for (const LwoPolygonSet& set : object.reader.polygonSets) polygons += set.cornerCounts.size();
    std::cout << "layers: " << object.reader.layers.size() << "\n"
              << "points: " << points << "\n"
              << "polygons: " << polygons << "\n"
              << "surfaces: " << object.reader.surfaces.size() << "\n";
    return 0;
}
