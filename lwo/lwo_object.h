// LwoObject: a LightWave object loaded from an LWO2 file, built into drawable polygons, drawn
// in immediate mode or from an interleaved array, and morphed between two position lists.
//
// Loaders return true on FAILURE (the engine's loader convention). A failed load leaves the
// object empty (no records, no polygons, no array) and usable, and keeps the located reason in
// loadError ("tube.lwo: POLS at 0x1a4: point 812 >= 640 points").
//
// Drawing needs a current GL context and draws in the current modelview matrix; loading,
// building, prepareVertexArray and the morph arithmetic touch no GL state. The object owns its
// reader, polygons and vertex array; its texture name is never deleted by it (textures live as
// long as the GL context). Texture files are JPEG pictures.
#pragma once

#include "lwo/lwo_reader.h"
#include "lwo/mesh_arrays.h"
#include "lwo/mesh_build.h"
#include "lwo/vec3.h"

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class LwoObject {
public:
    LwoObject();
    explicit LwoObject(const char* fileName);

    // --- Loading (true on failure) ---
    bool load(const char* fileName);
    // The same as load, from bytes already in memory; `name` labels messages.
    bool loadFromMemory(const uint8_t* data, size_t size, const std::string& name = "<memory>");
    bool loadWithTexture(const char* fileName, const char* textureFileName);
    bool loadWithUvMap(const char* fileName, int uvMap);
    bool loadWithUvMapAndTexture(const char* fileName, const char* textureFileName, int uvMap);
    // keepTransparency 0 clears every surface's transparency before building.
    bool loadWithOptions(const char* fileName, const char* textureFileName, int uvMap,
                         uint8_t keepTransparency);
    bool loadTexture(const char* fileName);

    // Reads and parses a file, replacing all parsed records ("nie ma go!!!" when it cannot be
    // opened). True on failure.
    bool readFile(const char* fileName);
    bool readMemory(const uint8_t* data, size_t size, const std::string& name);
    // Appends a polygon per polygon of every set, with every UV map. Returns 1 (0 on failure).
    int buildFaces();
    // Empties polygons, then builds them with only UV map number uvMap. Returns 1 (0 on failure).
    int buildFacesFromUvMap(int uvMap);
    // Surface colours and texture flags onto the tagged polygons; returns the tag-set count.
    int applySurfaces();
    int applyColour(float r, float g, float b);

    // --- Immediate-mode drawing ---
    void drawMesh();
    void drawMeshBlended(int32_t mode);
    void drawMeshColoured(std::string option, float r, float g, float b, float a);
    void drawMeshTextured(GLuint textureName, float r, float g, float b, float a);

    // --- Interleaved array (triangles; quads as two triangles) ---
    void prepareVertexArray();
    void drawVertexArray();
    void drawVertexArrayBlended(int32_t mode);
    void freeVertexArray();
    // Vertices the prepared array holds.
    int32_t vertexArrayVertexCount() const;

    // --- Morphing ---
    PositionList collectPositions() const;
    void startMorph(PositionList start, PositionList target);
    // Draws morphCurrent, then moves it one step; returns the new morphStepCount.
    uint32_t drawMorphStep(float steps);
    PositionList stepMorph(bool advance, float steps);
    void buildMorphFrames(PositionList start, PositionList target, float steps);
    void drawNextMorphFrame();

    // Located reason of the last failed load; empty after a successful one.
    const std::string& lastError() const { return loadError; }

    std::string currentChunkId;
    int32_t currentChunkKind = static_cast<int32_t>(LwoChunkKind::Unknown);
    int32_t formLength = 0;
    std::vector<float> vertexArray;  // GL_T2F_C3F_V3F; empty until prepareVertexArray
    LwoReader reader;
    std::vector<MeshPolygon> polygons;
    std::vector<PositionList> morphFrames;
    uint32_t morphFrameIndex = 0;
    uint32_t morphStepCount = 0;
    PositionList morphStart;
    PositionList morphTarget;
    PositionList morphCurrent;
    GLuint texture = 0;

    std::string loadError;
    PolygonSetStarts polygonSetStarts;  // of the last build
    // Where the reader's texts go; null means standard output.
    std::ostream* diagnostics = nullptr;
    // Makes CLIP textures (JPEG by default); null skips them.
    ClipTextureLoader clipTextureLoader;

private:
    bool finishLoad(bool failed);
    int build(int uvMap, bool clearFirst);
    void prologue(GLuint textureName);
    // The shared polygon loop; rgba null colours each polygon with its own colour.
    void endBlendedDraw();
    void drawPolygons(bool whiteForTextured, const float* rgba);
    void drawPositions(const PositionList& points) const;
};
