// The program's few OpenGL helpers: projection, the one-time state set-up after the context
// is made current, and sphere-mapped texture-coordinate generation. GL only, no windowing:
// the script and the effects call these with just a current context.
//
// Angles are degrees; sizes are pixels.
#pragma once

#include <GL/gl.h>

#include <cstdint>

// The display record, one in each show's record (fx/show_state.h). Only `bitsPerPixel` is
// read, for the pixel format: 16 colour and 16 depth bits, however deep the display itself runs.
struct DisplaySettings {
    int32_t width = 640;
    int32_t height = 480;
    int32_t bitsPerPixel = 16;
    int32_t flags = 1;
};

// The pixel format every window of ours asks for (see platform/gl_window.h): colour and depth
// bits from `DisplaySettings`'s `bitsPerPixel`, one stencil bit, double-buffered RGBA.
struct PixelFormat {
    int colorBits = 0;
    int depthBits = 0;
    int stencilBits = 0;
    bool doubleBuffered = false;
};

// The owner of the three set-up operations. Its one state is the pixel format, fixed by its
// first setPixelFormat call; each window's description fills one for its request, so a window
// asks for what its description says and nothing an earlier window left behind.
class GLSetup {
public:
    // Fills the descriptor on first use and returns it; later calls reuse it unchanged.
    [[nodiscard]] const PixelFormat& setPixelFormat(int colorBits, int depthBits);

    // Viewport width x height and a `fov`-degree vertical perspective (near 0.1, far 10000);
    // leaves the modelview matrix selected and reset. A height of 0 counts as 1.
    void setPerspective(float width, float height, float fov);

    void initGLState();

private:
    PixelFormat descriptor_;
    bool filled_ = false;
};

void setPerspective(float width, float height, float fov);
void initGLState();

// Binds `texture` and turns on sphere-map generation for s, t and r; leaves GL_TEXTURE_2D
// as it is. `disableSphereMapping` turns generation off again (the mode stays sphere map).
void enableSphereMapping(GLuint texture);
void disableSphereMapping();
