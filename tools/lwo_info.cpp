// lwo-info: what an LWO2 file holds, as the engine's reader and mesh model see it.
//
//   lwo-info [--json] [--] FILE.lwo...
//
// For each file: a short summary for a person, or with --json one JSON object on one line.
// The reader's own texts go to standard error so they never split a JSON line. Exit status 0
// when every file loaded, 1 otherwise, 2 for a usage error. Clip pictures are not loaded
// (there is no GL context here).
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "lwo/lwo_object.h"

namespace {

const ProgramInfo kProgram = {
    "lwo-info",
    "usage: lwo-info [--json] [--] FILE.lwo...\n"
    "Says what LWO2 objects hold, or why they fail to load.\n"
    "  --json     one JSON object per file, one line each\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "Exit status: 0 when every file loaded, 1 when one did not, 2 for a wrong command line.\n"};

bool validUtf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int follow = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        if (follow < 0 || i + follow >= text.size() + (follow == 0 ? 1 : 0)) return false;
        for (int k = 1; k <= follow; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
        }
        i += follow + 1;
    }
    return true;
}

// A JSON string; bytes that are not UTF-8 are taken as Latin-1 so every line stays valid.
std::string quoted(const std::string& text) {
    const bool utf8 = validUtf8(text);
    std::string out = "\"";
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || (c >= 0x80 && !utf8)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string number(float value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string boolean(bool value) {
    return value ? "true" : "false";
}

template <typename T, typename F>
std::string list(const std::vector<T>& items, F each) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + each(items[i]);
    return out + "]";
}

std::map<int, int> cornerHistogram(const LwoPolygonSet& set) {
    std::map<int, int> histogram;
    for (int16_t corners : set.cornerCounts) ++histogram[corners];
    return histogram;
}

std::string polygonSetJson(const LwoPolygonSet& set) {
    std::string corners = "{";
    for (const auto& [count, polygons] : cornerHistogram(set)) {
        corners +=
            (corners.size() > 1 ? "," : "") + quoted(std::to_string(count)) + ":" + std::to_string(polygons);
    }
    return "{\"type\":" + quoted(set.type) + ",\"polygons\":" + std::to_string(set.cornerCounts.size()) +
           ",\"corners\":" + corners + "}}";
}

std::string surfaceJson(const LwoSurface& s) {
    return "{\"name\":" + quoted(s.name) + ",\"colour\":[" + number(s.colour[0]) + "," + number(s.colour[1]) +
           "," + number(s.colour[2]) + "],\"hasTransparency\":" + boolean(s.hasTransparency) +
           ",\"hasBlock\":" + boolean(s.hasBlock) + "}";
}

std::string vertexMapJson(const LwoVertexMap& m) {
    return "{\"type\":" + quoted(m.type) + ",\"name\":" + quoted(m.name) +
           ",\"dimension\":" + std::to_string(m.dimension) +
           ",\"entries\":" + std::to_string(m.entries.size()) + "}";
}

std::string toJson(const std::string& file, bool ok, const LwoObject& object) {
    const LwoReader& r = object.reader;
    std::string out = "{\"file\":" + quoted(file) + ",\"ok\":" + boolean(ok);
    if (!ok) out += ",\"error\":" + quoted(object.lastError());
    out += ",\"layers\":" + std::to_string(r.layers.size());
    out += ",\"points\":" +
           list(r.pointSets, [](const LwoPointSet& s) { return std::to_string(s.points.size()); });
    out += ",\"polygonSets\":" + list(r.polygonSets, polygonSetJson);
    out += ",\"tags\":" + list(r.tagList.tags, quoted);
    out += ",\"surfaces\":" + list(r.surfaces, surfaceJson);
    out += ",\"vertexMaps\":" + list(r.vertexMaps, vertexMapJson);
    out += ",\"discVertexMaps\":" + list(r.discVertexMaps, vertexMapJson);
    out += ",\"clips\":" + std::to_string(r.clips.size());
    out += ",\"meshPolygons\":" + std::to_string(object.polygons.size());
    return out + "}";
}

std::string summary(const std::string& file, bool ok, const LwoObject& object) {
    if (!ok) return "FAILED: " + object.lastError() + "\n";
    const LwoReader& r = object.reader;
    std::ostringstream out;
    out << file << ": ok\n";
    out << "  layers: " << r.layers.size();
    for (const LwoLayer& layer : r.layers) {
        out << (&layer == &r.layers.front() ? " (" : ", ") << layer.number << " \"" << layer.name << "\"";
        if (layer.hasParent) out << " under " << layer.parent;
    }
    out << (r.layers.empty() ? "\n" : ")\n");
    out << "  point sets: "
        << list(r.pointSets, [](const LwoPointSet& s) { return std::to_string(s.points.size()); }) << "\n";
    for (const LwoPolygonSet& set : r.polygonSets) {
        out << "  polygons " << set.type << ": " << set.cornerCounts.size();
        for (const auto& [count, polygons] : cornerHistogram(set))
            out << ", " << polygons << " with " << count << " corners";
        out << "\n";
    }
    out << "  tags: " << r.tagList.tags.size() << ", surfaces: " << r.surfaces.size() << "\n";
    for (const LwoSurface& s : r.surfaces) {
        out << "    \"" << s.name << "\" colour (" << s.colour[0] << ", " << s.colour[1] << ", "
            << s.colour[2] << ")" << (s.hasTransparency ? ", transparent" : "")
            << (s.hasBlock ? ", texture block" : "") << "\n";
    }
    for (const LwoVertexMap& m : r.vertexMaps)
        out << "  UV map \"" << m.name << "\": " << m.entries.size() << " entries\n";
    for (const LwoVertexMap& m : r.discVertexMaps) {
        out << "  per-polygon UV map \"" << m.name << "\": " << m.entries.size() << " entries\n";
    }
    out << "  clips: " << r.clips.size() << ", mesh polygons: " << object.polygons.size() << "\n";
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (const int exitCode = handleHelpAndVersion(kProgram, argc, argv); exitCode >= 0) return exitCode;
    bool json = false;
    bool optionsEnded = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (optionsEnded || !looksLikeOption(argv[i])) {
            files.push_back(argv[i]);
        } else if (std::strcmp(argv[i], "--") == 0) {
            optionsEnded = true;
        } else if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else {
            return usageError(kProgram, std::string("unknown option ") + argv[i]);
        }
    }
    if (files.empty()) return usageError(kProgram, "no file given");
    bool allLoaded = true;
    for (const std::string& file : files) {
        LwoObject object;
        object.diagnostics = &std::cerr;
        object.clipTextureLoader = nullptr;
        const bool ok = !object.load(file.c_str());
        std::cerr << std::flush;
        allLoaded = allLoaded && ok;
        std::cout << (json ? toJson(file, ok, object) + "\n" : summary(file, ok, object)) << std::flush;
    }
    return allLoaded ? 0 : 1;
}
