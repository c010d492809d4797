#include "lwo/lwo_object.h"

#include "texture/jpeg_texture.h"

#include <type_traits>
#include <utility>

namespace {

// The clip loader (loadJpegTexture) fills a GLuint through the reader's uint32_t texture name.
static_assert(std::is_same_v<GLuint, uint32_t>, "GL texture names are unsigned 32-bit integers");

void glColour(const LwoColour& c) { glColor3f(c[0], c[1], c[2]); }

}  // namespace

LwoObject::LwoObject(const char* fileName) { static_cast<void>(load(fileName)); }

void LwoObject::clearDerived() { vertexArray.clear(); }

bool LwoObject::loadWithTexture(const char* fileName, const char* textureFileName) {
    const bool failed = load(fileName);
    return loadJpegTextureMipmapped(textureFileName, texture, 1) || failed;
}

bool LwoObject::loadWithUvMapAndTexture(const char* fileName, const char* textureFileName, int uvMap) {
    const bool failed = loadWithUvMap(fileName, uvMap);
    return loadJpegTextureMipmapped(textureFileName, texture, 1) || failed;
}

bool LwoObject::loadWithOptions(const char* fileName, const char* textureFileName, int uvMap,
                                uint8_t keepTransparency) {
    const bool failed = loadFromUvMap(fileName, uvMap, keepTransparency != 0);
    return loadJpegTextureMipmapped(textureFileName, texture, 1) || failed;
}

bool LwoObject::loadTexture(const char* fileName) { return loadJpegTexture(fileName, texture); }

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

void LwoObject::drawCorner(const MeshPolygon& polygon, size_t j, bool whiteForTextured) {
    if (polygon.cornerTextured(j)) {
        if (whiteForTextured) glColor3f(1.0f, 1.0f, 1.0f);
        glTexCoord2f(polygon.uvs[j].u, polygon.uvs[j].v);
    }
    const Vec3& p = polygon.positions[j];
    glVertex3f(p.x, p.y, p.z);
}

void LwoObject::drawPolygons(bool whiteForTextured, const float* rgba) {
    if (rgba) glColor4fv(rgba);
    for (const MeshPolygon& polygon : polygons) {
        if (rgba) glColor4fv(rgba);
        else glColour(polygon.colour);
        const int corners = polygon.cornerCount;
        if (corners < 3 || polygon.positions.size() < size_t(corners)) continue;
        // Triangles and convex quads go to GL as they always have (the show's objects are made
        // of them, and its frames must not change); everything else as its triangles.
        if (corners == 3 || (corners == 4 && isFannedQuad(polygon))) {
            glBegin(corners == 3 ? GL_TRIANGLES : GL_QUADS);
            for (int j = 0; j < corners; ++j) drawCorner(polygon, size_t(j), whiteForTextured);
            glEnd();
            continue;
        }
        glBegin(GL_TRIANGLES);
        for (const CornerTriangle& t : polygonTriangles(polygon)) {
            for (int32_t j : t) drawCorner(polygon, size_t(j), whiteForTextured);
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
    if (mode == kBlendBrightening) {
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
    if (option == kCullFaceOff) glDisable(GL_CULL_FACE);
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
    if (mode == kBlendBrightening) {
        glDepthFunc(GL_ALWAYS);
        glBlendFunc(GL_DST_COLOR, GL_ONE);
    } else if (mode == kBlendAdditive) {
        glDepthFunc(GL_LEQUAL);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    }
    if (mode == kBlendBrightening || mode == kBlendAdditive) {
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
    // The comma is deliberate: the count is read after stepMorph has advanced it, and the list
    // stepMorph returns is dropped.
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
    // Appended without clearing, on purpose: a second build keeps the earlier frames in front
    // and drawing restarts at the first of them; clearing here would change what is drawn.
    for (PositionList& frame : frames) morphFrames.push_back(std::move(frame));
}

void LwoObject::drawNextMorphFrame() {
    if (morphFrames.empty()) return;
    const uint32_t last = static_cast<uint32_t>(morphFrames.size() - 1);
    if (morphFrameIndex > last) morphFrameIndex = last;
    drawPositions(morphFrames[morphFrameIndex]);
    if (morphFrameIndex < last) ++morphFrameIndex;
}
