#include "lwo/lit_mesh.h"

// The wrap modes past GL 1.1 are constants only; Windows' gl.h stops at 1.1.
#include <GL/glext.h>

#include <algorithm>

namespace {

// GL's fixed-function highlight exponent stops at 128.
constexpr float kMaxShininess = 128.0f;

void setMaterial(const SurfaceLook& look, bool textured) {
    const float alpha = 1.0f - std::clamp(look.transparency, 0.0f, 1.0f);
    const LwoColour base = textured ? LwoColour{1.0f, 1.0f, 1.0f} : look.colour;
    const float diffuse[4] = {base[0] * look.diffuse, base[1] * look.diffuse, base[2] * look.diffuse, alpha};
    const float emission[4] = {look.colour[0] * look.luminosity, look.colour[1] * look.luminosity,
                               look.colour[2] * look.luminosity, alpha};
    const float specular[4] = {look.specular, look.specular, look.specular, alpha};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::min(specularExponent(look.glossiness), kMaxShininess));
}

void setSides(bool doubleSided) {
    glFrontFace(GL_CW);
    if (doubleSided) glDisable(GL_CULL_FACE);
    else glEnable(GL_CULL_FACE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, doubleSided ? GL_TRUE : GL_FALSE);
}

GLint glWrap(TextureWrap wrap) {
    switch (wrap) {
        case TextureWrap::Mirror: return GL_MIRRORED_REPEAT;
        case TextureWrap::Edge: return GL_CLAMP_TO_EDGE;
        case TextureWrap::Reset: return GL_CLAMP_TO_BORDER;
        case TextureWrap::Repeat: break;
    }
    return GL_REPEAT;
}

// The wrap is the texture's own state: set for this part, and put back to the repeat every
// texture is made with, so a later unlit draw of the same picture is unchanged. Where reset
// leaves the picture, the border takes the surface's colour, which is what shows there.
void setWrap(const SurfaceLook& look) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, glWrap(look.wrapWidth));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, glWrap(look.wrapHeight));
    const float border[4] = {look.colour[0], look.colour[1], look.colour[2], 1.0f};
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
}

void resetWrap() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

// Front projection: each point's texture coordinates are where the camera sees it, the picture
// spanning the frame, its top row at the top. GL generates them from eye coordinates (planes
// given under an identity modelview, so eye space itself) and the texture matrix takes them
// through the current projection into 0-1, the divide by w done per pixel.
void startFrontProjection() {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    static const GLenum kCoordinates[4] = {GL_S, GL_T, GL_R, GL_Q};
    static const GLenum kGenerate[4] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q};
    for (int i = 0; i < 4; ++i) {
        float plane[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        plane[i] = 1.0f;
        glTexGeni(kCoordinates[i], GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
        glTexGenfv(kCoordinates[i], GL_EYE_PLANE, plane);
        glEnable(kGenerate[i]);
    }
    glPopMatrix();
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslated(0.5, 0.5, 0.0);
    // Texture row 0 is the picture's top, and the frame's top is +y: t runs down.
    glScaled(0.5, -0.5, 1.0);
    glMultMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
}

void endFrontProjection() {
    for (GLenum generate : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q}) glDisable(generate);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

void setBlending(const SurfaceLook& look) {
    if (look.transparency > 0.0f) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
}

}  // namespace

LitMesh::LitMesh(const LwoMesh& mesh) : parts_(shadeMesh(mesh)) {
    for (const ShadedPart& part : parts_) {
        const bool known = part.surface >= 0 && size_t(part.surface) < mesh.reader.surfaces.size();
        looks_.push_back(surfaceLook(known ? &mesh.reader.surfaces[size_t(part.surface)] : nullptr));
    }
}

void LitMesh::drawPart(const ShadedPart& part, const SurfaceLook& look, GLuint texture) const {
    const bool front = look.textured && look.frontProjected && texture != 0;
    const bool textured = front || (look.textured && part.hasUvs && texture != 0);
    setMaterial(look, textured);
    setSides(look.doubleSided);
    setBlending(look);
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        setWrap(look);
        if (front) {
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            startFrontProjection();
        } else {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, sizeof(MeshUv), part.uvs.data());
        }
    } else {
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glVertexPointer(3, GL_FLOAT, sizeof(Vec3), part.positions.data());
    glNormalPointer(GL_FLOAT, sizeof(Vec3), part.normals.data());
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(part.positions.size()));
    if (textured) resetWrap();
    if (front) endFrontProjection();
}

void LitMesh::draw(GLuint texture) const {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    for (size_t i = 0; i < parts_.size(); ++i) drawPart(parts_[i], looks_[i], texture);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_BLEND);
    setSides(false);
}
