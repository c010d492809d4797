#include "fx/outline_font.h"

#include <GL/glu.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fx/font_file.h"
#include "fx/glyph_outline.h"
#include "fx/show_state.h"

namespace {

constexpr const char* kFaceName = "Arial";
constexpr int kFaceWeight = 100;  // thin, on the 100-900 scale

// Owns the FreeType library and one face for the duration of a build.
class Face {
public:
    explicit Face(const FaceLocation& location) {
        if (location.file.empty() || FT_Init_FreeType(&library_) != 0) return;
        if (FT_New_Face(library_, location.file.c_str(), location.index, &face_) != 0) {
            face_ = nullptr;
            return;
        }
        if (!FT_IS_SCALABLE(face_) || face_->units_per_EM == 0) {
            FT_Done_Face(face_);
            face_ = nullptr;
        }
    }
    ~Face() {
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    FT_Face get() const { return face_; }
    double emScale() const { return 1.0 / face_->units_per_EM; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

// Collects flattened contours while FreeType walks an outline.
struct ContourBuilder {
    std::vector<OutlineContour> contours;
    double scale = 1.0;
    OutlinePoint last;

    OutlinePoint toEm(const FT_Vector* v) const { return {v->x * scale, v->y * scale}; }
};

ContourBuilder& builderOf(void* user) { return *static_cast<ContourBuilder*>(user); }

int onMoveTo(const FT_Vector* to, void* user) {
    ContourBuilder& b = builderOf(user);
    b.last = b.toEm(to);
    b.contours.push_back({b.last});
    return 0;
}

int onLineTo(const FT_Vector* to, void* user) {
    ContourBuilder& b = builderOf(user);
    b.last = b.toEm(to);
    b.contours.back().push_back(b.last);
    return 0;
}

int onConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    ContourBuilder& b = builderOf(user);
    const OutlinePoint end = b.toEm(to);
    appendQuadratic(b.contours.back(), b.last, b.toEm(control), end);
    b.last = end;
    return 0;
}

int onCubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to,
              void* user) {
    ContourBuilder& b = builderOf(user);
    const OutlinePoint end = b.toEm(to);
    appendCubic(b.contours.back(), b.last, b.toEm(control1), b.toEm(control2), end);
    b.last = end;
    return 0;
}

// The walk closes each contour with an edge back to its start; that edge is implied here.
void dropClosingPoints(std::vector<OutlineContour>& contours) {
    for (OutlineContour& c : contours) {
        if (c.size() > 1 && c.back().x == c.front().x && c.back().y == c.front().y) c.pop_back();
    }
}

std::vector<OutlineContour> flattenOutline(FT_Outline& outline, double scale) {
    FT_Outline_Funcs funcs{};
    funcs.move_to = onMoveTo;
    funcs.line_to = onLineTo;
    funcs.conic_to = onConicTo;
    funcs.cubic_to = onCubicTo;
    ContourBuilder builder;
    builder.scale = scale;
    if (FT_Outline_Decompose(&outline, &funcs, &builder) != 0) return {};
    dropClosingPoints(builder.contours);
    return std::move(builder.contours);
}

GlyphMetrics measure(const std::vector<OutlineContour>& contours, double advance) {
    GlyphMetrics m;
    m.cellIncX = static_cast<float>(advance);
    bool any = false;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (const OutlineContour& c : contours) {
        for (const OutlinePoint& p : c) {
            minX = any ? std::min(minX, p.x) : p.x;
            maxX = any ? std::max(maxX, p.x) : p.x;
            minY = any ? std::min(minY, p.y) : p.y;
            maxY = any ? std::max(maxY, p.y) : p.y;
            any = true;
        }
    }
    m.blackBoxX = static_cast<float>(maxX - minX);
    m.blackBoxY = static_cast<float>(maxY - minY);
    m.originX = static_cast<float>(minX);
    m.originY = static_cast<float>(maxY);
    return m;
}

double advanceOf(const Face& face, FT_UInt glyphIndex) {
    if (FT_Load_Glyph(face.get(), glyphIndex, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) return 0;
    return face.get()->glyph->advance.x * face.emScale();
}

// Compiles the list of one code. A code without a glyph in the face draws nothing and moves on
// by a space's width, so a stray byte in a text never closes up the line.
void buildGlyphList(ShowState& state, const Face& face, int code, double spaceAdvance) {
    const FT_ULong codePoint = ansiToUnicode(static_cast<unsigned char>(code));
    const FT_UInt glyphIndex = codePoint ? FT_Get_Char_Index(face.get(), codePoint) : 0;
    const int loadFlags = FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;
    std::vector<OutlineContour> contours;
    double advance = spaceAdvance;
    bool clockwise = true;
    GLenum rule = GLU_TESS_WINDING_NONZERO;
    if (glyphIndex != 0 && FT_Load_Glyph(face.get(), glyphIndex, loadFlags) == 0 &&
        face.get()->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_Outline& outline = face.get()->glyph->outline;
        advance = face.get()->glyph->advance.x * face.emScale();
        clockwise = FT_Outline_Get_Orientation(&outline) == FT_ORIENTATION_FILL_RIGHT;
        if (outline.flags & FT_OUTLINE_EVEN_ODD_FILL) rule = GLU_TESS_WINDING_ODD;
        contours = flattenOutline(outline, face.emScale());
    }
    const std::vector<OutlinePoint> triangles = tessellateOutline(contours, rule);
    state.glyphMetrics[code] = measure(contours, advance);
    glNewList(state.fontBase + code, GL_COMPILE);
    emitExtrudedGlyph(contours, triangles, kGlyphExtrusion, clockwise);
    glTranslatef(static_cast<float>(advance), 0.0f, 0.0f);
    glEndList();
}

}  // namespace

char32_t ansiToUnicode(unsigned char code) {
    // 0x80-0x9F are where Windows-1252 differs from Latin-1; 0 marks its undefined codes.
    static constexpr char32_t kHighControls[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (code >= 0x80 && code < 0xA0) return kHighControls[code - 0x80];
    return code;
}

std::string findOutlineFontFile() { return locateFace(kFaceName, kFaceWeight).file; }

void buildOutlineFont(ShowState& state) {
    state.fontBase = glGenLists(kOutlineFontListCount);
    if (state.fontBase == 0) {
        std::fprintf(stderr, "outline font: no display lists available\n");
        return;
    }
    const FaceLocation location = locateFace(kFaceName, kFaceWeight);
    const Face face(location);
    if (!face.get()) {
        std::fprintf(stderr, "outline font: no usable outline face for \"%s\" (%s)\n", kFaceName,
                     location.file.empty() ? faceSearchFailure() : location.file.c_str());
        return;
    }
    const FT_UInt spaceIndex = FT_Get_Char_Index(face.get(), ' ');
    const double spaceAdvance = spaceIndex ? advanceOf(face, spaceIndex) : 0.25;
    for (int code = 0; code < kOutlineGlyphCount; ++code)
        buildGlyphList(state, face, code, spaceAdvance);
}

void printOutlineText(const ShowState& state, const char* format, ...) {
    if (!format) return;
    char text[kOutlineTextMaxChars + 1];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (written <= 0) return;
    glPushAttrib(GL_LIST_BIT);
    glListBase(state.fontBase);
    glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}

void deleteOutlineFont(ShowState& state) {
    if (state.fontBase == 0) return;
    glDeleteLists(state.fontBase, kOutlineFontListCount);
    state.fontBase = 0;
}

GLuint createCaptureTexture(GLsizei size) {
    const std::vector<unsigned char> blank(static_cast<size_t>(size) * size * 4, 0);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, size, size, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, blank.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return name;
}
