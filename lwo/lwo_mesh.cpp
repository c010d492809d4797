#include "lwo/lwo_mesh.h"

#include "files/whole_file.h"

#include <iostream>
#include <utility>

std::ostream& LwoMesh::diagnosticStream() const { return diagnostics ? *diagnostics : std::cout; }

bool LwoMesh::readFile(const char* fileName) {
    std::vector<uint8_t> bytes;
    const std::string error = fileReader ? fileReader(fileName, bytes)
                                         : files::readWholeFile(fileName, kMaxObjectFileBytes, bytes);
    if (!error.empty()) {
        diagnosticStream() << "nie ma go!!!" << std::flush;
        reader = LwoReader();
        loadError = std::string(fileName) + ": " + error;
        return true;
    }
    return readBytes(std::move(bytes), fileName);
}

bool LwoMesh::readMemory(const uint8_t* data, size_t size, const std::string& name) {
    // Read where the bytes are: the reader lets go of them before this returns.
    return parse(LwoReader(data, size, name));
}

bool LwoMesh::readBytes(std::vector<uint8_t> bytes, const std::string& name) {
    return parse(LwoReader(std::move(bytes), name));
}

bool LwoMesh::parse(LwoReader parsed) {
    parsed.diagnostics = diagnostics;
    parsed.clipTextureLoader = clipTextureLoader;
    formLength = parsed.formLength;
    const bool failed = parsed.parseChunks(12);
    loadError = parsed.error();
    currentChunkId = parsed.currentChunkId;
    currentChunkKind = static_cast<int32_t>(parsed.currentChunkKind);
    parsed.releaseFile();
    reader = std::move(parsed);
    return failed;
}

bool LwoMesh::finishLoad(bool failed) {
    if (failed) {
        reader = LwoReader();
        polygons.clear();
        polygonSetStarts.clear();
        formLength = 0;
        clearDerived();
    } else {
        loadError.clear();
    }
    return failed;
}

bool LwoMesh::load(const char* fileName) {
    const bool failed = readFile(fileName) || !buildFaces();
    if (!failed) applySurfaces();
    return finishLoad(failed);
}

bool LwoMesh::loadFromMemory(const uint8_t* data, size_t size, const std::string& name) {
    const bool failed = readMemory(data, size, name) || !buildFaces();
    if (!failed) applySurfaces();
    return finishLoad(failed);
}

bool LwoMesh::loadWithUvMap(const char* fileName, int uvMap) { return loadFromUvMap(fileName, uvMap, true); }

bool LwoMesh::loadFromUvMap(const char* fileName, int uvMap, bool keepTransparency) {
    bool failed = readFile(fileName);
    if (!failed && !keepTransparency) {
        for (LwoSurface& surface : reader.surfaces) surface.hasTransparency = false;
    }
    failed = failed || !buildFacesFromUvMap(uvMap);
    if (!failed) applySurfaces();
    return finishLoad(failed);
}

int LwoMesh::build(int uvMap, bool clearFirst) {
    if (clearFirst) polygons.clear();
    std::string error;
    if (buildMeshPolygons(reader, uvMap, polygons, polygonSetStarts, &error)) {
        loadError = reader.name().empty() ? error : reader.name() + ": " + error;
        return 0;
    }
    return 1;
}

int LwoMesh::buildFaces() { return build(-1, false); }

int LwoMesh::buildFacesFromUvMap(int uvMap) {
    if (uvMap < 0) {
        polygons.clear();
        loadError = reader.name() + ": UV map " + std::to_string(uvMap) + " is not a map number";
        return 0;
    }
    return build(uvMap, true);
}

int LwoMesh::applySurfaces() { return applySurfaceColours(reader, polygonSetStarts, polygons); }

int LwoMesh::applyColour(float r, float g, float b) {
    const LwoColour colour = {r, g, b};
    return applySurfaceColours(reader, polygonSetStarts, polygons, &colour);
}

std::string LwoMesh::pictureFile() const {
    for (const LwoSurface& surface : reader.surfaces)
        if (!surface.imageName.empty()) return surface.imageName;
    return reader.clips.empty() ? std::string() : reader.clips.front().fileName;
}
