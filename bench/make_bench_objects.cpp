// make_bench_objects: quad grids as LWOB, LWO2 and LWO3 files of about the sizes asked for, to
// time whole programs on objects larger than any real one we have.
//
//   make_bench_objects DIR [MB...]      (sizes default to 1.75 3 12)
//
// Writes DIR/lwo2-<MB>MB.lwo and DIR/lwo3-<MB>MB.lwo (a UV map with a seam, two surfaces) and
// DIR/lwob-<MB>MB.lwo (two surfaces) for each size, and one line per file on standard output:
// its name, grid side and bytes. LWOB's two-byte point numbers cap its grids at about 1.5 MB:
// for a larger size its largest grid is written once, as DIR/lwob-largest.lwo, with a note on
// standard error (LWO2 and LWO3 likewise past about 600 MB). Exit status 1 when a file cannot
// be written, 2 for a wrong command line.
#include "bench/lwo_grids.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kDefaultSizes = {"1.75", "3", "12"};

struct Format {
    const char* name;
    std::vector<uint8_t> (*save)(const LwoGrid&);
    int largestGrid;
};

const LwoGridLook kLook{true, 2};

std::vector<uint8_t> saveLwob(const LwoGrid& g) { return lwobGrid(g, kLook.surfaces); }
std::vector<uint8_t> saveLwo2(const LwoGrid& g) { return lwo2Grid(g, kLook); }
std::vector<uint8_t> saveLwo3(const LwoGrid& g) { return lwo3Grid(g, kLook); }

const Format kFormats[] = {{"lwo2", saveLwo2, kLwo2LargestGrid}, {"lwo3", saveLwo3, kLwo2LargestGrid},
                           {"lwob", saveLwob, kLwobLargestGrid}};

// The size grows with the square of the grid's side, give or take the rows' seams and the
// longer point numbers of large grids: a few rescalings from a small grid land within 1 %.
// One past the format's largest grid when the size is beyond it.
int sideFor(const Format& format, double bytes) {
    int side = 64;
    for (int step = 0; step < 4 && side <= format.largestGrid; ++step) {
        const double made = static_cast<double>(format.save(lwoGrid(side)).size());
        const int next = static_cast<int>(std::lround(side * std::sqrt(bytes / made)));
        if (next == side || std::abs(made - bytes) < bytes / 100) break;
        side = std::clamp(next, 1, format.largestGrid + 1);
    }
    return side;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') {
        std::cerr << "usage: make_bench_objects DIR [MB...]\n";
        return 2;
    }
    const std::string folder = argv[1];
    std::vector<std::string> sizes(argv + 2, argv + argc);
    if (sizes.empty()) sizes = kDefaultSizes;
    std::set<std::string> written;  // a capped format's largest grid goes once
    for (const std::string& size : sizes) {
        char* end = nullptr;
        const double megabytes = std::strtod(size.c_str(), &end);
        if (*end != '\0' || !(megabytes > 0 && megabytes <= 1000)) {
            std::cerr << "make_bench_objects: not a size in MB: " << size << "\n";
            return 2;
        }
        for (const Format& format : kFormats) {
            const int wanted = sideFor(format, megabytes * 1e6);
            const bool capped = wanted > format.largestGrid;
            const std::string path =
                folder + "/" + format.name + "-" + (capped ? std::string("largest") : size + "MB") + ".lwo";
            if (capped) {
                std::cerr << "make_bench_objects: " << format.name << " grids stop at " << format.largestGrid
                          << " x " << format.largestGrid << ", smaller than " << size << " MB\n";
            }
            if (!written.insert(path).second) continue;
            const int side = std::min(wanted, format.largestGrid);
            const std::vector<uint8_t> bytes = format.save(lwoGrid(side));
            if (!writeFile(path, bytes)) {
                std::cerr << "make_bench_objects: cannot write " << path << "\n";
                return 1;
            }
            std::cout << path << " " << side << " x " << side << " quads, " << bytes.size() << " bytes\n";
        }
    }
    return 0;
}
