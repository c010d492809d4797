// LwoObject: a LightWave object (LwoMesh: the LWO2 records and mesh polygons) with what needs
// GL: a texture, immediate-mode drawing, an interleaved array drawn with one call, and morphing
// between two position lists.
//
// The texture loaders here return true on FAILURE, as every loader does; drawMorphStep returns
// the step count (see LwoMesh for the load and build conventions). A failed load also drops the
// vertex array.
//
// Drawing needs a current GL context and draws in the current modelview matrix; loading,
// building, prepareVertexArray and the morph arithmetic touch no GL state. The object owns its
// reader, polygons and vertex array; its texture name is never deleted by it (textures live as
// long as the GL context). Texture files are JPEG pictures. Like LwoMesh it loads no clip
// pictures unless a clipTextureLoader is set (the show sets loadJpegTexture).
#pragma once

#include "lwo/lwo_mesh.h"
#include "lwo/mesh_arrays.h"
#include "lwo/vec3.h"

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

// The `mode` of drawMeshBlended and drawVertexArrayBlended. Any other value draws with the
// blend and depth state as it stands (and blending is off afterwards, as after every mode).
// kBlendBrightening is (GL_DST_COLOR, GL_ONE), brightening what is there: the vertex array
// draws it with every depth test passing (GL_ALWAYS), the immediate-mode mesh with GL_LEQUAL.
// kBlendAdditive, (GL_SRC_ALPHA, GL_ONE) with GL_LEQUAL, is the vertex array's only.
constexpr int32_t kBlendBrightening = 1;
constexpr int32_t kBlendAdditive = 2;

// The option of drawMeshColoured that draws both faces; matched exactly, case included.
inline const std::string kCullFaceOff = "CULL_FACE_OFF";

class LwoObject : public LwoMesh {
public:
    LwoObject() = default;
    // Loads the file; a failure is kept in lastError().
    explicit LwoObject(const char* fileName);

    // --- Loading with a texture (true on failure) ---
    // load, then the texture file into `texture`, mipmapped.
    [[nodiscard]] bool loadWithTexture(const char* fileName, const char* textureFileName);
    [[nodiscard]] bool loadWithUvMapAndTexture(const char* fileName, const char* textureFileName, int uvMap);
    // keepTransparency 0 clears every surface's transparency before building.
    [[nodiscard]] bool loadWithOptions(const char* fileName, const char* textureFileName, int uvMap,
                                       uint8_t keepTransparency);
    [[nodiscard]] bool loadTexture(const char* fileName);

    // --- Immediate-mode drawing ---
    void drawMesh();
    void drawMeshBlended(int32_t mode);
    void drawMeshColoured(std::string option, float r, float g, float b, float a);
    void drawMeshTextured(GLuint textureName, float r, float g, float b, float a);

    // --- Interleaved array (every polygon as triangles, lwo/triangulate.h) ---
    void prepareVertexArray();
    void drawVertexArray();
    void drawVertexArrayBlended(int32_t mode);
    void freeVertexArray();
    // Vertices the prepared array holds.
    int32_t vertexArrayVertexCount() const;

    // --- Morphing ---
    [[nodiscard]] PositionList collectPositions() const;
    void startMorph(PositionList start, PositionList target);
    // Draws morphCurrent, then moves it one step; returns the new morphStepCount.
    uint32_t drawMorphStep(float steps);
    PositionList stepMorph(bool advance, float steps);
    // Appends the frames to morphFrames (earlier ones are kept) and restarts at frame 0.
    void buildMorphFrames(PositionList start, PositionList target, float steps);
    void drawNextMorphFrame();

    std::vector<float> vertexArray;  // GL_T2F_C3F_V3F; empty until prepareVertexArray
    std::vector<PositionList> morphFrames;
    uint32_t morphFrameIndex = 0;
    uint32_t morphStepCount = 0;
    PositionList morphStart;
    PositionList morphTarget;
    PositionList morphCurrent;
    GLuint texture = 0;

private:
    void clearDerived() override;
    void prologue(GLuint textureName);
    void endBlendedDraw();
    // The shared polygon loop; rgba null colours each polygon with its own colour.
    void drawPolygons(bool whiteForTextured, const float* rgba);
    static void drawCorner(const MeshPolygon& polygon, size_t j, bool whiteForTextured);
    void drawPositions(const PositionList& points) const;
};
