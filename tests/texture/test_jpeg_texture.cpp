// JPEG decoding and texture loading: real files from other encoders, damaged data, colour
// spaces, orientation and the GL state the loaders leave.
#include "texture/jpeg_texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>

#include <jpeglib.h>

#include "tests/support/gl_test_context.h"
#include "tests/support/temp_folder.h"
#include "tools/jpeg_encoder.h"
#include "texture/png_writer.h"

namespace {

const std::string kTestData = std::string(DEMO_TESTDATA_DIR) + "/jpeg/";

bool haveTestData() { return std::ifstream(kTestData + "FACTS.json").good(); }

// The test data are part of the repository: a missing file fails the test.
#define REQUIRE_TESTDATA() ASSERT_TRUE(haveTestData()) << "test data missing: " << kTestData

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string writeTemp(const std::string& name, const std::vector<unsigned char>& bytes) {
    const std::string path = testsupport::tempPath(std::string("texture_") + name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path;
}

struct Rgb8 {
    unsigned char r, g, b;
};

// Encodes a picture painted by `paint` (x, y from the top-left) at high quality.
std::vector<unsigned char> encodeJpeg(int width, int height, const std::function<Rgb8(int, int)>& paint,
                                      const std::function<void(jpeg_compress_struct&)>& adjust = {}) {
    std::vector<unsigned char> rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb8 p = paint(x, y);
            rgb.insert(rgb.end(), {p.r, p.g, p.b});
        }
    JpegEncoding encoding;
    encoding.adjust = adjust;
    return encodeRgbJpeg(width, height, rgb, encoding);
}

// Red above, blue below: tells which row came first.
std::vector<unsigned char> redOverBlue(int width, int height) {
    return encodeJpeg(width, height, [height](int, int y) {
        return y < height / 2 ? Rgb8{230, 20, 20} : Rgb8{20, 20, 230};
    });
}

bool isRed(const unsigned char* p) { return p[0] > 180 && p[1] < 70 && p[2] < 70; }
bool isBlue(const unsigned char* p) { return p[2] > 180 && p[0] < 70 && p[1] < 70; }

// The bound texture over the whole screen (identity matrices), with texture coordinate t =
// `bottomT` along the screen's bottom edge and 1 - bottomT along its top.
void drawTextureOverScreen(float bottomT) {
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2f(0, bottomT);
    glVertex2f(-1, -1);
    glTexCoord2f(1, bottomT);
    glVertex2f(1, -1);
    glTexCoord2f(1, 1 - bottomT);
    glVertex2f(1, 1);
    glTexCoord2f(0, 1 - bottomT);
    glVertex2f(-1, 1);
    glEnd();
}

GLint textureParameter(GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint boundTexture() {
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

// ---- Decoding ----

TEST(JpegDecode, RealColourFileHasItsOwnSizeAndTightRows) {
    REQUIRE_TESTDATA();
    std::string error;
    const auto image = decodeJpegFile((kTestData + "testorig.jpg").c_str(), &error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(image->width, 227);
    EXPECT_EQ(image->height, 149);
    EXPECT_EQ(image->rowBytes, 227 * 3);
    EXPECT_EQ(image->pixels.size(), size_t(227) * 3 * 149);
}

TEST(JpegDecode, MemoryAndFileGiveTheSamePixels) {
    REQUIRE_TESTDATA();
    const std::string path = kTestData + "testimgint.jpg";
    const std::vector<unsigned char> bytes = readBytes(path);
    const auto fromMemory = decodeJpegMemory(bytes.data(), bytes.size());
    const auto fromFile = decodeJpegFile(path.c_str());
    ASSERT_TRUE(fromMemory && fromFile);
    EXPECT_EQ(fromMemory->pixels, fromFile->pixels);
}

TEST(JpegDecode, TopRowComesFirst) {
    const std::vector<unsigned char> bytes = redOverBlue(32, 32);
    const auto image = decodeJpegMemory(bytes.data(), bytes.size());
    ASSERT_TRUE(image);
    EXPECT_TRUE(isRed(&image->pixels[0]));
    EXPECT_TRUE(isBlue(&image->pixels[static_cast<size_t>(31) * image->rowBytes]));
}

TEST(JpegDecode, GreyscaleBecomesRgbWithEqualChannels) {
    REQUIRE_TESTDATA();
    const auto image = decodeJpegFile((kTestData + "gray.jpg").c_str());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 32);
    EXPECT_EQ(image->height, 32);
    EXPECT_EQ(image->rowBytes, 32 * 3);
    ASSERT_EQ(image->pixels.size(), size_t(32) * 32 * 3);
    int distinct = 0;
    for (size_t i = 0; i < image->pixels.size(); i += 3) {
        ASSERT_EQ(image->pixels[i], image->pixels[i + 1]) << "pixel " << i / 3;
        ASSERT_EQ(image->pixels[i], image->pixels[i + 2]) << "pixel " << i / 3;
        distinct += image->pixels[i] != image->pixels[0];
    }
    EXPECT_GT(distinct, 0) << "a flat picture would hide a widening that repeats one byte";
}

TEST(JpegDecode, RealAdobeCmykFileDecodesWithItsStoredFacts) {
    REQUIRE_TESTDATA();
    const JpegDecoding decoding = decodeJpegPath(kTestData + "cmyk.jpg");
    ASSERT_TRUE(decoding.image) << decoding.error;
    EXPECT_EQ(decoding.header.components, 4);
    EXPECT_EQ(decoding.header.colourSpace, JpegColourSpace::CMYK);
    EXPECT_TRUE(decoding.header.adobeMarker);
    EXPECT_EQ(decoding.image->width, 32);
    EXPECT_EQ(decoding.image->pixels.size(), size_t(32) * 32 * 3);
}

TEST(JpegDecode, TruncatedFileFailsWithOneLineNamingTheFile) {
    REQUIRE_TESTDATA();
    const std::string path = kTestData + "testorig_truncated.jpg";
    std::string error;
    testing::internal::CaptureStderr();
    const auto image = decodeJpegFile(path.c_str(), &error);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(image);
    EXPECT_EQ(printed, error + "\n");
    EXPECT_EQ(printed.find(path + ": "), 0u) << printed;
    EXPECT_NE(printed.find("Premature end"), std::string::npos) << printed;
}

TEST(JpegDecode, DamagedDataFailsInsteadOfEndingTheProcess) {
    const std::vector<unsigned char> good = redOverBlue(64, 64);
    // Not a JPEG at all, an empty buffer, only the start-of-image marker.
    const std::vector<unsigned char> text{'h', 'e', 'l', 'l', 'o'};
    const std::vector<unsigned char> soiOnly{0xFF, 0xD8};
    for (const auto& bytes : {text, soiOnly}) {
        std::string error;
        EXPECT_FALSE(decodeJpegMemory(bytes.data(), bytes.size(), &error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(decodeJpegMemory(good.data(), 0));
    // Every cut through the file fails cleanly (most inside the entropy-coded data).
    for (size_t cut = 0; cut < good.size(); cut += 37)
        EXPECT_FALSE(decodeJpegMemory(good.data(), cut)) << "cut at " << cut;
}

TEST(JpegDecode, EverySingleByteCorruptionEndsCleanly) {
    REQUIRE_TESTDATA();
    // Each byte of a small real file replaced in turn: the decoder returns a picture of the
    // header's size or a reason, whichever byte was hit (run under the sanitizers too).
    const std::vector<unsigned char> original = readBytes(kTestData + "gray.jpg");
    for (size_t at = 0; at < original.size(); ++at)
        for (unsigned char value : {0x00, 0xFF, original[at] ^ 0x55}) {
            std::vector<unsigned char> bytes = original;
            bytes[at] = value;
            std::string error;
            const auto image = decodeJpegMemory(bytes.data(), bytes.size(), &error);
            if (image)
                ASSERT_EQ(image->pixels.size(), static_cast<size_t>(image->rowBytes) * image->height);
            else
                ASSERT_FALSE(error.empty()) << "byte " << at;
        }
}

TEST(JpegDecode, ScrambledScanDataFails) {
    std::vector<unsigned char> bytes = encodeJpeg(64, 64, [](int x, int y) {
        return Rgb8{static_cast<unsigned char>(x * 4), static_cast<unsigned char>(y * 4), 128};
    });
    // In scan data every 0xFF must be followed by a stuffed 0x00; a run of bare 0xFF bytes
    // reads as a string of bogus markers in the middle of the scan.
    for (size_t i = bytes.size() - 200; i < bytes.size() - 120; ++i) bytes[i] = 0xFF;
    std::string error;
    EXPECT_FALSE(decodeJpegMemory(bytes.data(), bytes.size(), &error));
    EXPECT_FALSE(error.empty());
}

// ---- Harmless warnings against damage ----

// Smooth colour in every direction, so that any lost or shifted block shows.
std::vector<unsigned char> gradientJpeg() {
    return encodeJpeg(48, 32, [](int x, int y) {
        return Rgb8{static_cast<unsigned char>(x * 5), static_cast<unsigned char>(y * 7), 200};
    });
}

TEST(JpegDecode, StrayBytesBetweenMarkersAreSkippedAndReported) {
    const std::vector<unsigned char> clean = gradientJpeg();
    const auto reference = decodeJpegMemory(clean.data(), clean.size());
    ASSERT_TRUE(reference);
    ASSERT_EQ(clean[2], 0xFF);
    ASSERT_EQ(clean[3], 0xE0) << "the encoder starts with a JFIF segment";
    const size_t afterJfif = 4 + (size_t(clean[4]) << 8 | clean[5]);
    const std::vector<unsigned char> stray{0x00, 0x13, 0x37, 0x42, 0x00};
    // Between two header segments, and between the end of the scan and the end-of-image marker.
    for (const size_t at : {afterJfif, clean.size() - 2}) {
        std::vector<unsigned char> bytes = clean;
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), stray.begin(), stray.end());
        const JpegDecoding decoding = decodeJpeg(bytes.data(), bytes.size());
        ASSERT_TRUE(decoding.image) << "stray bytes at " << at << ": " << decoding.error;
        EXPECT_EQ(decoding.image->pixels, reference->pixels) << "stray bytes at " << at;
        ASSERT_EQ(decoding.warnings.size(), 1u) << "stray bytes at " << at;
        EXPECT_NE(decoding.warnings[0].find("extraneous bytes"), std::string::npos) << decoding.warnings[0];
    }
}

TEST(JpegDecode, DamagedScanDataIsRefusedWithTheLibrarysReasonAndTheFileName) {
    const std::vector<unsigned char> clean = gradientJpeg();
    const unsigned char startOfScan[] = {0xFF, 0xDA};
    const auto scan = std::search(clean.begin(), clean.end(), std::begin(startOfScan), std::end(startOfScan));
    ASSERT_NE(scan, clean.end());
    // Cut halfway through the scan data, after a complete header.
    const std::vector<unsigned char> truncated(clean.begin(), scan + (clean.end() - scan) / 2);
    // A stretch of the scan replaced by bytes that are valid neither as codes nor as markers.
    std::vector<unsigned char> corrupt = clean;
    for (size_t i = clean.size() - 150; i < clean.size() - 100; ++i) corrupt[i] = static_cast<unsigned char>(i * 37);
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        const char* reason;
    };
    for (const Case& c : {Case{"truncated.jpg", truncated, "Premature end of JPEG file"},
                          Case{"corrupt.jpg", corrupt, "Corrupt JPEG data"}}) {
        const std::string path = writeTemp(c.name, c.bytes);
        const JpegDecoding decoding = decodeJpegPath(path);
        EXPECT_FALSE(decoding.image) << c.name;
        EXPECT_EQ(decoding.error.find(path + ": " + c.reason), 0u) << decoding.error;
        EXPECT_TRUE(decoding.headerRead) << c.name;
    }
}

// ---- Four-colour pictures ----

struct Cmyk {
    unsigned char c, m, y, k;  // ink: 0 = none
};

TEST(JpegDecode, CmykAndYcckBecomeRgbWithAdobesInversionDecidedByItsMarker) {
    struct Ink {
        Cmyk ink;
        Rgb8 light;
    };
    // The light left is (255 - ink) * (255 - black) / 255 per channel.
    const Ink inks[] = {{{0, 255, 255, 0}, {255, 0, 0}},
                        {{255, 0, 0, 0}, {0, 255, 255}},
                        {{0, 0, 0, 128}, {127, 127, 127}},
                        {{0, 128, 255, 64}, {191, 95, 0}}};
    // One flat 16x16 block per ink: a whole unit even for YCCK's halved chroma.
    const int width = 16 * 4, height = 16;
    const auto samples = [&](bool inverted) {
        std::vector<unsigned char> out;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Cmyk& i = inks[x / 16].ink;
                for (const unsigned char v : {i.c, i.m, i.y, i.k}) out.push_back(inverted ? 255 - v : v);
            }
        return out;
    };
    struct Encoding {
        const char* name;
        bool inverted;  // Adobe's convention: what its software writes, with its marker
        std::function<void(jpeg_compress_struct&)> adjust;
        JpegColourSpace stored;
    };
    const Encoding encodings[] = {
        {"plain CMYK", false, [](jpeg_compress_struct& info) { info.write_Adobe_marker = FALSE; },
         JpegColourSpace::CMYK},
        {"Adobe CMYK", true, {}, JpegColourSpace::CMYK},
        {"Adobe YCCK", true, [](jpeg_compress_struct& info) { jpeg_set_colorspace(&info, JCS_YCCK); },
         JpegColourSpace::YCCK}};
    for (const Encoding& e : encodings) {
        JpegEncoding encoding;
        encoding.quality = 100;
        encoding.adjust = e.adjust;
        const std::vector<unsigned char> bytes =
            encodeJpegSamples(width, height, JCS_CMYK, samples(e.inverted), encoding);
        const JpegDecoding decoding = decodeJpeg(bytes.data(), bytes.size());
        ASSERT_TRUE(decoding.image) << e.name << ": " << decoding.error;
        EXPECT_EQ(decoding.header.colourSpace, e.stored) << e.name;
        EXPECT_EQ(decoding.header.components, 4) << e.name;
        EXPECT_EQ(decoding.header.adobeMarker, e.inverted) << e.name;
        for (int block = 0; block < 4; ++block) {
            const unsigned char* p = &decoding.image->pixels[(8 * static_cast<size_t>(width) + 16 * block + 8) * 3];
            const Rgb8 want = inks[block].light;
            EXPECT_NEAR(p[0], want.r, 3) << e.name << ", block " << block;
            EXPECT_NEAR(p[1], want.g, 3) << e.name << ", block " << block;
            EXPECT_NEAR(p[2], want.b, 3) << e.name << ", block " << block;
        }
    }
}

TEST(JpegDecode, OversizedPictureIsRefusedBeforeAllocating) {
    const std::vector<unsigned char> bytes = redOverBlue(64, 48);
    std::string error;
    EXPECT_FALSE(decodeJpegMemory(bytes.data(), bytes.size(), &error, 64 * 48 - 1));
    EXPECT_EQ(error, "picture too large");
    EXPECT_TRUE(decodeJpegMemory(bytes.data(), bytes.size(), &error, 64 * 48));
    // A header claiming 65000 x 65000 pixels (about 12 GB of RGB) with the ordinary limit.
    std::vector<unsigned char> huge = bytes;
    for (size_t i = 0; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 7] = 0xFD;
            huge[i + 6] = huge[i + 8] = 0xE8;
            break;
        }
    EXPECT_FALSE(decodeJpegMemory(huge.data(), huge.size(), &error));
    EXPECT_EQ(error, "picture too large");
}

TEST(JpegDecode, ProgressiveFileWithHundredsOfScansIsRefused) {
    // Every AC coefficient of every component in its own scan, sent in three bit steps:
    // 2 + 3 * 63 * 3 = 569 scans, each a pass over the whole picture.
    std::vector<jpeg_scan_info> script;
    script.push_back({3, {0, 1, 2, 0}, 0, 0, 0, 1});
    script.push_back({3, {0, 1, 2, 0}, 0, 0, 1, 0});
    for (int component = 0; component < 3; ++component)
        for (int k = 1; k < 64; ++k)
            for (const auto& [high, low] : {std::pair{0, 2}, std::pair{2, 1}, std::pair{1, 0}})
                script.push_back({1, {component, 0, 0, 0}, k, k, high, low});
    const auto paint = [](int x, int y) {
        return Rgb8{static_cast<unsigned char>(x * 8), static_cast<unsigned char>(y * 8), 99};
    };
    const std::vector<unsigned char> manyScans = encodeJpeg(16, 16, paint, [&script](jpeg_compress_struct& info) {
        info.scan_info = script.data();
        info.num_scans = static_cast<int>(script.size());
    });
    std::string error;
    EXPECT_FALSE(decodeJpegMemory(manyScans.data(), manyScans.size(), &error));
    EXPECT_EQ(error, "too many scans in a progressive file");

    const std::vector<unsigned char> ordinary =
        encodeJpeg(16, 16, paint, [](jpeg_compress_struct& info) { jpeg_simple_progression(&info); });
    EXPECT_TRUE(decodeJpegMemory(ordinary.data(), ordinary.size(), &error)) << error;
}

TEST(JpegDecode, MissingFileIsSilent) {
    std::string error;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(decodeJpegFile("/nonexistent/picture.jpg", &error));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(error.find("cannot be opened"), std::string::npos) << error;
}

// ---- Loading into textures ----

// A picture loaded into a texture and read back as the GL holds it: empty when it did not load.
struct Texels {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};
Texels loadAndReadBack(const std::string& name, const std::vector<unsigned char>& jpeg) {
    Texels t;
    GLuint texture = 0;
    EXPECT_FALSE(loadJpegTexture(writeTemp(name, jpeg).c_str(), texture)) << name;
    if (texture != 0) t.rgb = testsupport::textureRgb(texture, &t.width, &t.height);
    return t;
}

TEST(JpegTexture, TopRowOfTheFileIsTextureRowZero) {
    REQUIRE_GL();
    const Texels t = loadAndReadBack("red_over_blue.jpg", redOverBlue(64, 64));
    ASSERT_EQ(t.width, 64);
    EXPECT_TRUE(isRed(t.at(0, 0)));
    EXPECT_TRUE(isBlue(t.at(0, t.height - 1)));

    // Drawn with t = 0 at the bottom of the screen, red is at the bottom.
    drawTextureOverScreen(0.0f);
    const testsupport::Rgb bottom = testsupport::readPixel(400, 20);
    const testsupport::Rgb top = testsupport::readPixel(400, 580);
    EXPECT_GT(bottom.r, 180);
    EXPECT_LT(bottom.b, 70);
    EXPECT_GT(top.b, 180);
    EXPECT_LT(top.r, 70);
}

TEST(JpegTexture, RowsWhoseLengthIsNotAMultipleOfFourAreNotSkewed) {
    REQUIRE_GL();
    // 33 pixels = 99 bytes a row: read with 4-byte alignment every row would slide one byte.
    const std::string path = writeTemp("odd_width.jpg", encodeJpeg(33, 32, [](int x, int) {
        return x < 16 ? Rgb8{230, 20, 20} : Rgb8{20, 20, 230};
    }));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    GLuint texture = 0;
    ASSERT_FALSE(loadJpegTexture(path.c_str(), texture));
    GLint unpack = 0, pack = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
    EXPECT_EQ(unpack, 2) << "the caller's alignments are restored";
    EXPECT_EQ(pack, 8) << "the caller's alignments are restored";
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    int width = 0, height = 0;
    const std::vector<unsigned char> texels = testsupport::textureRgb(texture, &width, &height);
    ASSERT_GT(width, 8);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = &texels[static_cast<size_t>(y) * width * 3];
        EXPECT_TRUE(isRed(row)) << "row " << y;
        EXPECT_TRUE(isBlue(row + (width - 1) * 3)) << "row " << y;
    }
}

TEST(JpegTexture, RescalingOneSideKeepsTheLastRow) {
    REQUIRE_GL();
    // 48 x 32: only the width is rescaled, a case in which the mipmap builder alone leaves the
    // base level's last row black.
    const Texels t = loadAndReadBack("one_side.jpg", redOverBlue(48, 32));
    ASSERT_EQ(t.width, 32);
    ASSERT_EQ(t.height, 32);
    for (int x = 0; x < t.width; ++x) {
        EXPECT_TRUE(isRed(t.at(x, 0))) << "column " << x;
        EXPECT_TRUE(isBlue(t.at(x, t.height - 1))) << "column " << x;
    }
}

TEST(JpegTexture, TwoLoadsGiveTwoNamesAndLeaveTheLastBound) {
    REQUIRE_GL();
    const std::string path = writeTemp("twice.jpg", redOverBlue(16, 16));
    GLuint first = 0, second = 0;
    ASSERT_FALSE(loadJpegTexture(path.c_str(), first));
    ASSERT_FALSE(loadJpegTexture(path.c_str(), second));
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(boundTexture(), static_cast<GLint>(second));
}

TEST(JpegTexture, FiltersOfBothLoaders) {
    REQUIRE_GL();
    const std::string path = writeTemp("filters.jpg", redOverBlue(128, 128));
    GLuint texture = 0;
    ASSERT_FALSE(loadJpegTexture(path.c_str(), texture));
    EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    GLint levelSeven = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 7, GL_TEXTURE_WIDTH, &levelSeven);
    EXPECT_EQ(levelSeven, 1) << "the whole mipmap chain is built";

    struct Case {
        int flag;
        GLint minFilter;
    };
    for (const Case c : {Case{1, GL_LINEAR_MIPMAP_LINEAR}, Case{0, GL_NEAREST_MIPMAP_LINEAR},
                         Case{0x100, GL_NEAREST_MIPMAP_LINEAR}, Case{0x1FF, GL_LINEAR_MIPMAP_LINEAR}}) {
        ASSERT_FALSE(loadJpegTextureMipmapped(path.c_str(), texture, c.flag));
        EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), c.minFilter) << "flag " << c.flag;
        EXPECT_EQ(textureParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR) << "flag " << c.flag;
    }
}

TEST(JpegTexture, FailuresReturnTrueAndLeaveTheVariableAndBindingAlone) {
    REQUIRE_GL();
    std::vector<std::string> paths{"/nonexistent/picture.jpg",
                                   writeTemp("garbage.jpg", {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'})};
    REQUIRE_TESTDATA();
    paths.push_back(kTestData + "testorig_truncated.jpg");
    GLuint bound = 0;
    glGenTextures(1, &bound);
    glBindTexture(GL_TEXTURE_2D, bound);
    for (const std::string& path : paths) {
        GLuint texture = 12345;
        testing::internal::CaptureStderr();
        EXPECT_TRUE(loadJpegTexture(path.c_str(), texture)) << path;
        EXPECT_TRUE(loadJpegTextureMipmapped(path.c_str(), texture, 1)) << path;
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(texture, 12345u) << path;
        EXPECT_EQ(boundTexture(), static_cast<GLint>(bound)) << path;
    }
}

TEST(JpegTexture, GreyscaleFileLoadsAsGreyTexture) {
    REQUIRE_GL();
    REQUIRE_TESTDATA();
    GLuint texture = 0;
    ASSERT_FALSE(loadJpegTexture((kTestData + "gray.jpg").c_str(), texture));
    int width = 0, height = 0;
    const std::vector<unsigned char> texels = testsupport::textureRgb(texture, &width, &height);
    ASSERT_EQ(width, 32);
    for (size_t i = 0; i < texels.size(); i += 3) {
        ASSERT_EQ(texels[i], texels[i + 1]);
        ASSERT_EQ(texels[i], texels[i + 2]);
    }
}

TEST(JpegTexture, FullScreenPictureIsRescaledWhole) {
    REQUIRE_GL();
    // Four coloured quadrants at 800x600: after rescaling to powers of two every corner keeps
    // its own colour, so nothing was cropped.
    const std::string path = writeTemp("quadrants.jpg", encodeJpeg(800, 600, [](int x, int y) {
        if (y < 300) return x < 400 ? Rgb8{230, 20, 20} : Rgb8{20, 230, 20};
        return x < 400 ? Rgb8{20, 20, 230} : Rgb8{230, 230, 20};
    }));
    GLuint texture = 0;
    ASSERT_FALSE(loadJpegTexture(path.c_str(), texture));
    // t = 1 (the picture's bottom) at the screen's bottom, so the picture appears upright.
    drawTextureOverScreen(1.0f);
    testsupport::saveForLooking("texture_quadrants.png");
    const testsupport::Rgb topLeft = testsupport::readPixel(10, 590);
    const testsupport::Rgb topRight = testsupport::readPixel(790, 590);
    const testsupport::Rgb bottomLeft = testsupport::readPixel(10, 10);
    const testsupport::Rgb bottomRight = testsupport::readPixel(790, 10);
    EXPECT_GT(topLeft.r, 180);
    EXPECT_LT(topLeft.g, 70);
    EXPECT_GT(topRight.g, 180);
    EXPECT_LT(topRight.r, 70);
    EXPECT_GT(bottomLeft.b, 180);
    EXPECT_LT(bottomLeft.r, 70);
    EXPECT_GT(bottomRight.r, 180);
    EXPECT_GT(bottomRight.g, 180);
    EXPECT_LT(bottomRight.b, 70);
}

}  // namespace
