#include "lwo/lwo_object.h"

#include "texture/jpeg_texture.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <utility>

namespace {

// Objects are a few hundred kilobytes; anything past this is not an object file (or is an
// endless device) and is not read into memory.
constexpr size_t kMaxFileBytes = size_t(256) << 20;

// Reads until the end of the file (pipes and devices included). Returns the reason on failure.
std::string readWholeFile(const char* fileName, std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) return "cannot open the file";
    std::string error;
    uint8_t block[65536];
    for (;;) {
        size_t got = std::fread(block, 1, sizeof block, file);
        bytes.insert(bytes.end(), block, block + got);
        if (bytes.size() > kMaxFileBytes) {
            error = "larger than " + std::to_string(kMaxFileBytes) + " bytes, not an object file";
            break;
        }
        if (got < sizeof block) {
            if (std::ferror(file)) error = std::string("cannot read the file (") + std::strerror(errno) + ")";
            break;
        }
    }
    std::fclose(file);
    return error;
}

void glColour(const LwoColour& c) { glColor3f(c[0], c[1], c[2]); }

}  // namespace

LwoObject::LwoObject() : clipTextureLoader(loadJpegTexture) {}

LwoObject::LwoObject(const char* fileName) : LwoObject() { load(fileName); }

bool LwoObject::readFile(const char* fileName) {
    std::vector<uint8_t> bytes;
    const std::string error = readWholeFile(fileName, bytes);
    if (!error.empty()) {
        (diagnostics ? *diagnostics : std::cout) << "nie ma go!!!" << std::flush;
        reader = LwoReader();
        loadError = std::string(fileName) + ": " + error;
        return true;
    }
    return readMemory(bytes.data(), bytes.size(), fileName);
}

bool LwoObject::readMemory(const uint8_t* data, size_t size, const std::string& name) {
    LwoReader parsed(std::vector<uint8_t>(data, data + size), name);
    parsed.diagnostics = diagnostics;
    parsed.clipTextureLoader = clipTextureLoader;
    formLength = parsed.formLength;
    bool failed = parsed.parseChunks(12);
    loadError = parsed.error();
    currentChunkId = parsed.currentChunkId;
    currentChunkKind = static_cast<int32_t>(parsed.currentChunkKind);
    reader = std::move(parsed);
    return failed;
}

bool LwoObject::finishLoad(bool failed) {
    if (failed) {
        reader = LwoReader();
        polygons.clear();
        polygonSetStarts.clear();
        vertexArray.clear();
        formLength = 0;
    } else {
        loadError.clear();
    }
    return failed;
}

bool LwoObject::load(const char* fileName) {
    bool failed = readFile(fileName) || !buildFaces();
    if (!failed) applySurfaces();
    return finishLoad(failed);
}

bool LwoObject::loadFromMemory(const uint8_t* data, size_t size, const std::string& name) {
    bool failed = readMemory(data, size, name) || !buildFaces();
    if (!failed) applySurfaces();
    return finishLoad(failed);
}

bool LwoObject::loadWithTexture(const char* fileName, const char* textureFileName) {
    bool failed = load(fileName);
    return loadJpegTextureMipmapped(textureFileName, texture, 1) || failed;
}

bool LwoObject::loadWithUvMap(const char* fileName, int uvMap) {
    bool failed = readFile(fileName) || !buildFacesFromUvMap(uvMap);
    if (!failed) applySurfaces();
    return finishLoad(failed);
}

bool LwoObject::loadWithUvMapAndTexture(const char* fileName, const char* textureFileName, int uvMap) {
    bool failed = loadWithUvMap(fileName, uvMap);
    return loadJpegTextureMipmapped(textureFileName, texture, 1) || failed;
}

bool LwoObject::loadWithOptions(const char* fileName, const char* textureFileName, int uvMap,
                                uint8_t keepTransparency) {
    bool failed = readFile(fileName);
    if (!failed && keepTransparency == 0) {
        for (LwoSurface& surface : reader.surfaces) surface.hasTransparency = false;
    }
    failed = failed || !buildFacesFromUvMap(uvMap);
    if (!failed) applySurfaces();
    finishLoad(failed);
    return loadJpegTextureMipmapped(textureFileName, texture, 1) || failed;
}

bool LwoObject::loadTexture(const char* fileName) { return loadJpegTexture(fileName, texture); }

int LwoObject::build(int uvMap, bool clearFirst) {
    if (clearFirst) polygons.clear();
    std::string error;
    if (buildMeshPolygons(reader, uvMap, polygons, polygonSetStarts, &error)) {
        loadError = reader.name().empty() ? error : reader.name() + ": " + error;
        return 0;
    }
    return 1;
}

int LwoObject::buildFaces() { return build(-1, false); }

int LwoObject::buildFacesFromUvMap(int uvMap) {
    if (uvMap < 0) {
        polygons.clear();
        loadError = reader.name() + ": UV map " + std::to_string(uvMap) + " is not a map number";
        return 0;
    }
    return build(uvMap, true);
}

int LwoObject::applySurfaces() { return applySurfaceColours(reader, polygonSetStarts, polygons); }

int LwoObject::applyColour(float r, float g, float b) {
    const LwoColour colour = {r, g, b};
    return applySurfaceColours(reader, polygonSetStarts, polygons, &colour);
}

void LwoObject::prologue(GLuint textureName) {
    glEnable(GL_TEXTURE_2D);
    glFrontFace(GL_CW);
    glEnable(GL_CULL_FACE);
    glBindTexture(GL_TEXTURE_2D, textureName);
}

// Blending off with the additive function left set, depth testing on with GL_LEQUAL: what
// every immediate-mode variant but the plain one leaves behind.
void LwoObject::endBlendedDraw() {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_BLEND);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
}

void LwoObject::drawPolygons(bool whiteForTextured, const float* rgba) {
    if (rgba) glColor4fv(rgba);
    for (const MeshPolygon& polygon : polygons) {
        if (rgba) glColor4fv(rgba);
        else glColour(polygon.colour);
        const int corners = polygon.cornerCount;
        if ((corners != 3 && corners != 4) || polygon.positions.size() < size_t(corners)) continue;
        glBegin(corners == 3 ? GL_TRIANGLES : GL_QUADS);
        for (int j = 0; j < corners; ++j) {
            if (polygon.cornerTextured(j)) {
                if (whiteForTextured) glColor3f(1.0f, 1.0f, 1.0f);
                glTexCoord2f(polygon.uvs[j].u, polygon.uvs[j].v);
            }
            const Vec3& p = polygon.positions[j];
            glVertex3f(p.x, p.y, p.z);
        }
        glEnd();
    }
}

void LwoObject::drawMesh() {
    prologue(texture);
    const bool transparent = !reader.surfaces.empty() && reader.surfaces.front().hasTransparency;
    if (transparent) {
        glDepthFunc(GL_LEQUAL);
        glBlendFunc(GL_ONE, GL_ONE);
        glEnable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
    }
    drawPolygons(true, nullptr);
    if (transparent) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
    }
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
}

void LwoObject::drawMeshBlended(int32_t mode) {
    prologue(texture);
    if (mode == 1) {
        glDepthFunc(GL_LEQUAL);
        glBlendFunc(GL_DST_COLOR, GL_ONE);
        glEnable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
    }
    drawPolygons(true, nullptr);
    endBlendedDraw();
}

void LwoObject::drawMeshColoured(std::string option, float r, float g, float b, float a) {
    prologue(texture);
    if (option == "CULL_FACE_OFF") glDisable(GL_CULL_FACE);
    const float rgba[4] = {r, g, b, a};
    drawPolygons(false, rgba);
    endBlendedDraw();
    glEnable(GL_CULL_FACE);
}

void LwoObject::drawMeshTextured(GLuint textureName, float r, float g, float b, float a) {
    prologue(textureName);
    const float rgba[4] = {r, g, b, a};
    drawPolygons(false, rgba);
    endBlendedDraw();
    glEnable(GL_CULL_FACE);
}

void LwoObject::prepareVertexArray() { vertexArray = buildInterleavedTriangles(polygons); }

int32_t LwoObject::vertexArrayVertexCount() const {
    return static_cast<int32_t>(vertexArray.size() / kInterleavedFloatsPerVertex);
}

void LwoObject::drawVertexArray() {
    glBindTexture(GL_TEXTURE_2D, texture);
    if (vertexArray.empty()) return;
    glInterleavedArrays(GL_T2F_C3F_V3F, 0, vertexArray.data());
    glDrawArrays(GL_TRIANGLES, 0, vertexArrayVertexCount());
}

void LwoObject::drawVertexArrayBlended(int32_t mode) {
    if (mode == 1) {
        glDepthFunc(GL_ALWAYS);
        glBlendFunc(GL_DST_COLOR, GL_ONE);
    } else if (mode == 2) {
        glDepthFunc(GL_LEQUAL);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    }
    if (mode == 1 || mode == 2) {
        glEnable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
    }
    drawVertexArray();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

void LwoObject::freeVertexArray() {
    vertexArray.clear();
    vertexArray.shrink_to_fit();
}

PositionList LwoObject::collectPositions() const { return collectCornerPositions(polygons); }

void LwoObject::startMorph(PositionList start, PositionList target) {
    morphStart = std::move(start);
    morphTarget = std::move(target);
    morphCurrent = morphStart;
    morphStepCount = 0;
}

void LwoObject::drawPositions(const PositionList& points) const {
    const size_t group = static_cast<size_t>(morphGroupSize(polygons));
    if (group == 0) return;
    for (size_t k = 0; k + group <= points.size(); k += group) {
        glBegin(group == 3 ? GL_TRIANGLES : GL_QUADS);
        for (size_t i = k; i < k + group; ++i) glVertex3f(points[i].x, points[i].y, points[i].z);
        glEnd();
    }
}

uint32_t LwoObject::drawMorphStep(float steps) {
    drawPositions(morphCurrent);
    return stepMorph(true, steps), morphStepCount;
}

PositionList LwoObject::stepMorph(bool advance, float steps) {
    if (advance) {
        applyMorphStep(morphStart, morphTarget, morphCurrent, morphStepCount, steps);
        ++morphStepCount;
    }
    return morphCurrent;
}

void LwoObject::buildMorphFrames(PositionList start, PositionList target, float steps) {
    morphFrameIndex = 0;
    std::vector<PositionList> frames = buildMorphFrameList(start, target, steps);
    for (PositionList& frame : frames) morphFrames.push_back(std::move(frame));
}

void LwoObject::drawNextMorphFrame() {
    if (morphFrames.empty()) return;
    const uint32_t last = static_cast<uint32_t>(morphFrames.size() - 1);
    if (morphFrameIndex > last) morphFrameIndex = last;
    drawPositions(morphFrames[morphFrameIndex]);
    if (morphFrameIndex < last) ++morphFrameIndex;
}
