// lwo-info: what a LightWave object file (LWO2, LWO3 or LWOB) holds, as the engine's reader and
// mesh model see it.
//
//   lwo-info [--json] [--] FILE.lwo...
//
// For each file: a short summary for a person, or with --json one JSON object on one line (and
// nothing else on standard output). Every refused file also gets one line on standard error,
// "lwo-info: <file>: <where and why>". The reader's fixed show texts are kept off both. Exit
// status 0 when every file loaded, 1 otherwise, 2 for a usage error. Clip pictures are not
// loaded: the reader and mesh model here have no GL.
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "lwo/lwo_mesh.h"
#include "text/json_text.h"

namespace {

const ProgramInfo kProgram = {
    "lwo-info",
    "usage: lwo-info [--json] [--] FILE.lwo...\n"
    "Says what LightWave objects (LWOB, LWO2, LWO3) hold, or why they fail to load.\n"
    "  --json     one JSON object per file, one line each\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "Exit status: 0 when every file loaded, 1 when one did not, 2 for a wrong command line.\n"};

using json::quoted;
using terminal::printable;  // names from the file, in the listing and on stderr

std::string count(size_t n) { return json::number(static_cast<int64_t>(n)); }

std::map<int, int> cornerHistogram(const LwoPolygonSet& set) {
    std::map<int, int> histogram;
    for (int16_t corners : set.cornerCounts) ++histogram[corners];
    return histogram;
}

std::string polygonSetJson(const LwoPolygonSet& set) {
    std::vector<std::pair<std::string, int>> histogram;  // owns the keys the members point into
    for (const auto& [corners, polygons] : cornerHistogram(set)) {
        histogram.push_back({std::to_string(corners), polygons});
    }
    std::vector<json::Member> corners;
    for (const auto& [key, polygons] : histogram) corners.push_back({key, json::number(int64_t{polygons})});
    return json::object({{"type", quoted(set.type)},
                         {"polygons", count(set.cornerCounts.size())},
                         {"corners", json::object(corners)}});
}

// A picture a surface lays on, from whichever record its format keeps: an LWO2 image block, an
// LWOB texture or the picture an LWO3 material names. Empty text means the file does not say.
struct SurfaceImage {
    std::string image;  // the picture file; empty when none or its clip is not in the file
    int32_t clip = 0;  // LWO2: the clip index the block names, 0 for none
    const char* projection = nullptr;  // null when the record gives none
    int axis = -1;  // 0 X, 1 Y, 2 Z where the projection has one
    std::string channel;  // "COLR", "BUMP", ... (LWOB: "CTEX", "BTEX", ...)
    bool enabled = true;
    bool colour = true;  // feeds the surface's colour
    std::string uvMap;
    std::string problem;
};

const char* kProjections[] = {"planar", "cylindrical", "spherical", "cubic", "front", "uv"};

// Only planar, cylindrical and spherical maps run along an axis: a cubic map takes each
// polygon's own, and front and UV maps have none.
int axisFor(const char* projection, int axis) {
    if (!projection) return -1;
    const std::string kind = projection;
    return kind == "planar" || kind == "cylindrical" || kind == "spherical" ? axis : -1;
}

std::string clipFile(const LwoReader& r, int32_t index) {
    for (const LwoClip& clip : r.clips)
        if (index != 0 && clip.clipIndex == static_cast<uint32_t>(index)) return clip.fileName;
    return std::string();
}

SurfaceImage fromBlock(const LwoReader& r, const LwoImageBlock& block) {
    SurfaceImage out;
    out.clip = block.image;
    out.image = clipFile(r, block.image);
    if (block.projection >= 0 && block.projection < 6) out.projection = kProjections[block.projection];
    out.axis = axisFor(out.projection, block.axis);
    out.channel = block.channel;
    out.enabled = block.enabled;
    out.colour = block.channel == "COLR" || block.channel.empty();
    out.uvMap = block.uvMap;
    out.problem = block.problem;
    return out;
}

// An LWOB texture's type names its projection; the first of the X, Y, Z flags (1, 2, 4) its axis.
SurfaceImage fromLegacyTexture(const LwoLegacyTexture& texture) {
    static const std::pair<const char*, const char*> kTypes[] = {
        {"Planar Image Map", "planar"}, {"Cylindrical Image Map", "cylindrical"},
        {"Spherical Image Map", "spherical"}, {"Cubic Image Map", "cubic"},
        {"Front Projection Image Map", "front"}};
    SurfaceImage out;
    out.image = texture.image;
    for (const auto& [type, projection] : kTypes)
        if (texture.type == type) out.projection = projection;
    const int axis = (texture.flags & 1) ? 0 : (texture.flags & 2) ? 1 : (texture.flags & 4) ? 2 : 0;
    out.axis = axisFor(out.projection, axis);
    out.channel = texture.channel;
    out.colour = texture.channel == "CTEX";
    return out;
}

// The picture the surface's colour uses: its first enabled colour image, as the mesh model picks.
template <typename Images>
auto colourImage(Images& images) -> decltype(&images.front()) {
    for (auto& image : images)
        if (image.enabled && image.colour) return &image;
    return nullptr;
}

std::vector<SurfaceImage> surfaceImages(const LwoReader& r, const LwoSurface& s) {
    std::vector<SurfaceImage> images;
    for (const LwoImageBlock& block : s.imageBlocks) images.push_back(fromBlock(r, block));
    for (const LwoLegacyTexture& texture : s.legacyTextures) {
        if (!texture.image.empty() && texture.image != "(none)") images.push_back(fromLegacyTexture(texture));
    }
    if (s.imageName.empty()) return images;
    // LWO3: a material may name its picture without a mapping, or a mapping without a clip.
    if (SurfaceImage* colour = colourImage(images); colour && colour->image.empty() && colour->clip == 0)
        colour->image = s.imageName;
    else if (images.empty())
        images.emplace_back().image = s.imageName;
    return images;
}

std::string orNull(const std::string& text) { return text.empty() ? "null" : quoted(text); }

std::string surfaceJson(const LwoReader& r, const LwoSurface& s) {
    std::vector<json::Member> members = {
        {"name", quoted(s.name)},
        {"colour", json::array(std::vector<float>(s.colour.begin(), s.colour.end()),
                               [](float c) { return json::number(c); })},
        {"hasTransparency", json::boolean(s.hasTransparency)},
        {"hasBlock", json::boolean(s.hasBlock)}};
    const std::vector<SurfaceImage> images = surfaceImages(r, s);
    const SurfaceImage* image = colourImage(images);
    members.push_back({"image", image ? orNull(image->image) : "null"});
    members.push_back({"projection", image && image->projection ? quoted(image->projection) : "null"});
    if (image && image->axis >= 0) members.push_back({"axis", quoted(std::string(1, char('X' + image->axis)))});
    return json::object(members);
}

// "  surface "Earth": image "earth.jpg", spherical, axis X", and what else sets the image apart.
std::string imageLine(const LwoSurface& s, const SurfaceImage& image) {
    std::ostringstream out;
    out << "  surface \"" << printable(s.name) << "\": image ";
    if (!image.image.empty()) out << "\"" << printable(image.image) << "\"";
    else if (image.clip != 0) out << "clip " << image.clip << " (not in the file)";
    else out << "none";
    if (image.projection) out << ", " << image.projection;
    if (image.axis >= 0) out << ", axis " << char('X' + image.axis);
    if (!image.uvMap.empty()) out << ", UV map \"" << printable(image.uvMap) << "\"";
    if (!image.colour) out << ", channel " << printable(image.channel);
    if (!image.enabled) out << ", disabled";
    if (!image.problem.empty()) out << ", unread: " << printable(image.problem);
    out << "\n";
    return out.str();
}

std::string vertexMapJson(const LwoVertexMap& m) {
    return json::object({{"type", quoted(m.type)},
                         {"name", quoted(m.name)},
                         {"dimension", count(m.dimension)},
                         {"entries", count(m.entries.size())}});
}

std::string toJson(const std::string& file, bool ok, const LwoMesh& object) {
    const LwoReader& r = object.reader;
    std::vector<json::Member> members = {{"file", quoted(file)}, {"ok", json::boolean(ok)}};
    if (!ok) members.push_back({"error", quoted(object.lastError())});
    members.insert(
        members.end(),
        {{"layers", count(r.layers.size())},
         {"points", json::array(r.pointSets, [](const LwoPointSet& s) { return count(s.points.size()); })}});
    // What the file holds, where the mesh keeps less (patches, curves): one count per set.
    if (ok) {
        members.push_back({"format", quoted(r.formType)});
        members.push_back({"polygonsInFile", json::array(r.polygonSets, [](const LwoPolygonSet& s) {
                               return json::number(int64_t{s.fileCount});
                           })});
    }
    members.insert(
        members.end(),
        {{"polygonSets", json::array(r.polygonSets, polygonSetJson)},
         {"tags", json::array(r.tagList.tags, [](const std::string& t) { return quoted(t); })},
         {"surfaces", json::array(r.surfaces, [&r](const LwoSurface& s) { return surfaceJson(r, s); })},
         {"vertexMaps", json::array(r.vertexMaps, vertexMapJson)},
         {"discVertexMaps", json::array(r.discVertexMaps, vertexMapJson)},
         {"clips", count(r.clips.size())},
         {"meshPolygons", count(object.polygons.size())}});
    return json::object(members);
}

std::string summary(const std::string& file, bool ok, const LwoMesh& object) {
    if (!ok) return "FAILED: " + printable(object.lastError()) + "\n";
    const LwoReader& r = object.reader;
    std::ostringstream out;
    out << printable(file) << ": ok, " << r.formType << "\n";
    out << "  layers: " << r.layers.size();
    for (const LwoLayer& layer : r.layers) {
        out << (&layer == &r.layers.front() ? " (" : ", ") << layer.number << " \"" << printable(layer.name) << "\"";
        if (layer.hasParent) out << " under " << layer.parent;
    }
    out << (r.layers.empty() ? "\n" : ")\n");
    out << "  point sets: "
        << json::array(r.pointSets, [](const LwoPointSet& s) { return count(s.points.size()); }) << "\n";
    for (const LwoPolygonSet& set : r.polygonSets) {
        out << "  polygons " << printable(set.type) << ": " << set.fileCount;
        if (static_cast<size_t>(set.fileCount) != set.cornerCounts.size()) out << " (not drawn)";
        for (const auto& [count, polygons] : cornerHistogram(set))
            out << ", " << polygons << " with " << count << " corners";
        out << "\n";
    }
    out << "  tags: " << r.tagList.tags.size() << ", surfaces: " << r.surfaces.size() << "\n";
    for (const LwoSurface& s : r.surfaces) {
        out << "    \"" << printable(s.name) << "\" colour (" << s.colour[0] << ", " << s.colour[1] << ", "
            << s.colour[2] << ")" << (s.hasTransparency ? ", transparent" : "")
            << (s.hasBlock ? ", texture block" : "") << "\n";
    }
    for (const LwoSurface& s : r.surfaces)
        for (const SurfaceImage& image : surfaceImages(r, s)) out << imageLine(s, image);
    for (const LwoVertexMap& m : r.vertexMaps)
        out << "  UV map \"" << printable(m.name) << "\": " << m.entries.size() << " entries\n";
    for (const LwoVertexMap& m : r.discVertexMaps) {
        out << "  per-polygon UV map \"" << printable(m.name) << "\": " << m.entries.size() << " entries\n";
    }
    out << "  clips: " << r.clips.size() << ", mesh polygons: " << object.polygons.size() << "\n";
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (const int exitCode = handleHelpAndVersion(kProgram, argc, argv); exitCode >= 0) return exitCode;
    bool json = false;
    std::vector<std::string> files;
    for (ArgumentWalk walk(argc, argv); walk.next();) {
        if (!walk.isOption()) {
            files.push_back(walk.text());
        } else if (walk.text() == "--json") {
            json = true;
        } else {
            return usageError(kProgram, "unknown option " + walk.text());
        }
    }
    if (files.empty()) return usageError(kProgram, "no file given");
    bool allLoaded = true;
    for (const std::string& file : files) {
        std::ostringstream readerTexts;  // the show's fixed texts: not this tool's to print
        LwoMesh object;
        object.diagnostics = &readerTexts;
        const bool ok = !object.load(file.c_str());
        if (!ok) std::cerr << kProgram.name << ": " << printable(object.lastError()) << std::endl;
        allLoaded = allLoaded && ok;
        std::cout << (json ? toJson(file, ok, object) + "\n" : summary(file, ok, object)) << std::flush;
    }
    return allLoaded ? 0 : 1;
}
