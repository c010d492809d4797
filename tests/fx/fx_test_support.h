// Small GL helpers shared by the effect tests: made-up textures, state queries and a
// feedback-mode polygon counter. Needs a current context (REQUIRE_GL()). The demo's frame
// projection is the script's own `setPerspective(800, 600, 60)`.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <vector>

#include "gl/gl_setup.h"
#include "tests/support/gl_test_context.h"

namespace fxtest {

struct Texel {
    std::uint8_t r, g, b, a;
};

constexpr Texel kRed{255, 0, 0, 255};
constexpr Texel kGreen{0, 255, 0, 255};
constexpr Texel kBlue{0, 0, 255, 255};
constexpr Texel kWhite{255, 255, 255, 255};

// RGBA texture with nearest filtering, rows given in upload order (row 0 is t = 0).
inline GLuint makeTexture(int width, int height, const std::vector<Texel>& texels) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return name;
}

// 2x2: (s<.5, t<.5) red, (s>.5, t<.5) green, (s<.5, t>.5) blue, (s>.5, t>.5) white.
inline GLuint makeQuadrantTexture() { return makeTexture(2, 2, {kRed, kGreen, kBlue, kWhite}); }

inline GLuint makeSolidTexture(Texel texel) { return makeTexture(1, 1, {texel}); }

inline GLint getInt(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

inline std::array<GLfloat, 16> getMatrix(GLenum which) {
    std::array<GLfloat, 16> m{};
    glGetFloatv(which, m.data());
    return m;
}

inline std::array<GLfloat, 4> getColor() {
    std::array<GLfloat, 4> c{};
    glGetFloatv(GL_CURRENT_COLOR, c.data());
    return c;
}

inline bool isIdentity(const std::array<GLfloat, 16>& m, float tolerance = 1e-6f) {
    for (int i = 0; i < 16; ++i) {
        const float expected = (i % 5 == 0) ? 1.0f : 0.0f;
        if (m[i] < expected - tolerance || m[i] > expected + tolerance) return false;
    }
    return true;
}

inline bool nearRgb(testsupport::Rgb p, int r, int g, int b, int tolerance = 8) {
    const auto close = [tolerance](int a, int e) { return a >= e - tolerance && a <= e + tolerance; };
    return close(p.r, r) && close(p.g, g) && close(p.b, b);
}

// Runs `draw` in feedback mode and returns how many polygons reached rasterisation (so after
// culling), with their vertices flattened into *vertices when given: window x, y, z, and with
// `withTexture` also the colour (4) and texture coordinates (4) of each.
template <typename Draw>
int countFeedbackPolygons(Draw draw, std::vector<float>* vertices = nullptr,
                          bool withTexture = false) {
    const GLint perVertex = withTexture ? 11 : 3;
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()),
                     withTexture ? GL_3D_COLOR_TEXTURE : GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    int polygons = 0;
    for (GLint i = 0; i < used;) {
        const GLint token = static_cast<GLint>(buffer[i++]);
        if (token != GL_POLYGON_TOKEN) {
            const bool line = token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN;
            i += token == GL_PASS_THROUGH_TOKEN ? 1 : (line ? 2 : 1) * perVertex;
            continue;
        }
        ++polygons;
        const GLint n = static_cast<GLint>(buffer[i++]);
        if (vertices) vertices->insert(vertices->end(), &buffer[i], &buffer[i] + perVertex * n);
        i += perVertex * n;
    }
    return polygons;
}

}  // namespace fxtest
