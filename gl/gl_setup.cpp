#include "gl/gl_setup.h"

#include <GL/glu.h>

#include <initializer_list>

const PixelFormat& GLSetup::setPixelFormat(int colorBits, int depthBits) {
    if (!filled_) {
        descriptor_ = PixelFormat{colorBits, depthBits, 1, true};
        filled_ = true;
    }
    return descriptor_;
}

void GLSetup::setPerspective(float width, float height, float fov) { ::setPerspective(width, height, fov); }

void GLSetup::initGLState() { ::initGLState(); }

void setPerspective(float width, float height, float fov) {
    if (height == 0.0f) height = 1.0f;
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fov, width / height, static_cast<double>(0.1f), 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void initGLState() {
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_TEXTURE_2D);
    for (GLenum hint : {GL_PERSPECTIVE_CORRECTION_HINT, GL_FOG_HINT, GL_LINE_SMOOTH_HINT,
                        GL_POINT_SMOOTH_HINT, GL_POLYGON_SMOOTH_HINT})
        glHint(hint, GL_NICEST);
}

void enableSphereMapping(GLuint texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    // GL accepts sphere mapping only for s and t; asking it for r would just raise
    // GL_INVALID_ENUM and change nothing, so r keeps its mode.
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);  // kept, in r's own mode: the show's calls switch on all three
}

void disableSphereMapping() {
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
}
