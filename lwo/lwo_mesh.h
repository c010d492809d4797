// LwoMesh: a LightWave object read from an LWOB, LWO2 or LWO3 file and built into polygons,
// without GL. It holds the reader's records, the mesh polygons and the reason of the last
// failed load; LwoObject (lwo/lwo_object.h) adds the texture, drawing, the vertex array and
// morphing. Tools, the scene reader's loading and anything without a GL context use this alone.
//
// Return values, kept as the show's callers use them: loads and reads return true on FAILURE
// (the engine's loader convention); the two builders return 1 on success and 0 on failure. A
// failed load leaves the object empty (no records, no polygons) and usable, with the located
// reason in lastError() ("tube.lwo: POLS at 0x1a4: point 812 >= 640 points").
//
// Files are read whole, regular files only, at most kMaxObjectFileBytes. Clip pictures are
// loaded only through a clipTextureLoader the caller sets; there is none by default.
#pragma once

#include "lwo/lwo_reader.h"
#include "lwo/mesh_build.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// Objects are a few hundred kilobytes; anything past this is not an object file and is not
// read into memory.
constexpr size_t kMaxObjectFileBytes = size_t(256) << 20;

// Reads a file whole into `bytes`; the reason it could not, worded to follow "<path>: ", or "".
using ObjectFileReader = std::function<std::string(const char* path, std::vector<uint8_t>& bytes)>;

class LwoMesh {
public:
    LwoMesh() = default;
    virtual ~LwoMesh() = default;
    LwoMesh(const LwoMesh&) = default;
    LwoMesh(LwoMesh&&) = default;
    LwoMesh& operator=(const LwoMesh&) = default;
    LwoMesh& operator=(LwoMesh&&) = default;

    // --- Loading: true on failure ---
    // readFile, buildFaces, applySurfaces.
    [[nodiscard]] bool load(const char* fileName);
    // The same, from bytes already in memory; `name` labels messages.
    [[nodiscard]] bool loadFromMemory(const uint8_t* data, size_t size,
                                      const std::string& name = "<memory>");
    // readFile, buildFacesFromUvMap(uvMap), applySurfaces.
    [[nodiscard]] bool loadWithUvMap(const char* fileName, int uvMap);

    // Reads and parses a file, replacing all parsed records. Whatever keeps the file from being
    // read (missing, a directory or device, too large) prints "nie ma go!!!" to the diagnostics.
    [[nodiscard]] bool readFile(const char* fileName);
    [[nodiscard]] bool readMemory(const uint8_t* data, size_t size, const std::string& name);
    // The same, taking the bytes over instead of copying them.
    [[nodiscard]] bool readBytes(std::vector<uint8_t> bytes, const std::string& name);

    // --- Building: 1 on success, 0 on failure ---
    // Appends a polygon per polygon of every set, with every UV map.
    [[nodiscard]] int buildFaces();
    // Empties polygons, then builds them with only UV map number uvMap.
    [[nodiscard]] int buildFacesFromUvMap(int uvMap);

    // Surface colours and texture flags onto the tagged polygons; returns the tag-set count.
    int applySurfaces();
    int applyColour(float r, float g, float b);

    // The picture file the object is drawn with, as the file names it: the first a surface names
    // itself (LWOB, LWO3), else the first clip's (LWO2 names pictures only through clips); empty
    // when there is none.
    std::string pictureFile() const;

    // Located reason of the last failed load; empty after a successful one.
    const std::string& lastError() const { return loadError; }

    std::string currentChunkId;
    int32_t currentChunkKind = static_cast<int32_t>(LwoChunkKind::Unknown);
    int32_t formLength = 0;
    LwoReader reader;
    MeshPolygons polygons;
    std::string loadError;
    PolygonSetStarts polygonSetStarts;  // of the last build
    // Where the reader's texts go; null means standard output.
    std::ostream* diagnostics = nullptr;
    // Makes CLIP textures while the file is read; null (the default) skips them.
    ClipTextureLoader clipTextureLoader = nullptr;
    // How readFile reads: null (the default) reads the path as given, up to kMaxObjectFileBytes.
    // A scene sets its own, which keeps names inside its content folder.
    ObjectFileReader fileReader;

protected:
    // The load steps behind loadWithUvMap; keepTransparency false clears every surface's
    // transparency before the polygons are built.
    [[nodiscard]] bool loadFromUvMap(const char* fileName, int uvMap, bool keepTransparency);
    // A failed load empties the object; a success clears the last error. Returns `failed`.
    bool finishLoad(bool failed);
    // Called by a failed load once records and polygons are gone: a derived class drops what it
    // made from them.
    virtual void clearDerived() {}

private:
    int build(int uvMap, bool clearFirst);
    // Parses with `parsed` (over the file), then lets the file go and keeps the records.
    bool parse(LwoReader parsed);
    std::ostream& diagnosticStream() const;
};
