// The LWO2 reader: primitive forms, chunk records, what is skipped, and damaged files of every
// kind ending in a located error without a crash.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "lwo/lwo_object.h"
#include "tests/lwo/lwo_test_writer.h"

using lwotest::Bytes;
using lwotest::LwoWriter;
using lwotest::subChunk;

namespace {

struct Parsed {
    std::ostringstream said;
    LwoObject object;
    bool failed = false;
};

// Loads bytes with the reader's texts captured (and, by default, no clip textures).
std::unique_ptr<Parsed> parse(const std::vector<uint8_t>& bytes, const char* name = "test.lwo") {
    auto p = std::make_unique<Parsed>();
    p->object.diagnostics = &p->said;
    p->failed = p->object.loadFromMemory(bytes.data(), bytes.size(), name);
    return p;
}

const LwoReader& readerOf(const std::unique_ptr<Parsed>& p) {
    return p->object.reader;
}

LwoWriter cube(bool withSurfaces = true) {
    LwoWriter w;
    w.tags({"Red"}).layer(1, "Tube01");
    w.points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
    w.polygons("FACE", {{0, 1, 2}, {0, 2, 3}});
    w.polygonTags("SURF", {{0, 0}, {1, 0}});
    if (withSurfaces) w.surface("Red", lwotest::colr(1, 0, 0));
    return w;
}

}  // namespace

TEST(LwoPrimitives, VariableIndexTakesTwoOrFourBytes) {
    Bytes b;
    b.u1(0x00).u1(0x05).u1(0xFE).u1(0xFF).u1(0xFF).u1(0x01).u1(0x00).u1(0x02);
    std::vector<uint8_t> file(b.data);
    file.insert(file.begin(), 8, 0);  // room for a header the reads ignore
    LwoReader reader(file);
    EXPECT_EQ(reader.readVariableIndex(8), 5);
    EXPECT_EQ(reader.position(), 10);
    EXPECT_EQ(reader.readVariableIndex(10), 65279);
    EXPECT_EQ(reader.position(), 12);
    EXPECT_EQ(reader.readVariableIndex(12), 65538);
    EXPECT_EQ(reader.position(), 16);
}

TEST(LwoPrimitives, PaddedStringsConsumeAnEvenCount) {
    Bytes b;
    b.u4(0).u4(0).s0("Tube01").s0("1 - Default").s0("");
    LwoReader reader(b.data);
    EXPECT_EQ(reader.readPaddedString(8), "Tube01");
    EXPECT_EQ(reader.position(), 16);
    EXPECT_EQ(reader.readPaddedString(16), "1 - Default");
    EXPECT_EQ(reader.position(), 28);
    EXPECT_EQ(reader.readPaddedString(28), "");
    EXPECT_EQ(reader.position(), 30);
}

TEST(LwoPrimitives, BigEndianNumbers) {
    Bytes b;
    b.u4(0).u4(0).u2(0x1234).u4(0xDEADBEEF).f4(-2.5f).id("LWO2");
    LwoReader reader(b.data);
    EXPECT_EQ(reader.readU1(8), 0x12);
    EXPECT_EQ(reader.readU2(8), 0x1234);
    EXPECT_EQ(reader.readU4(10), 0xDEADBEEFu);
    EXPECT_FLOAT_EQ(reader.readF4(14), -2.5f);
    EXPECT_EQ(reader.readId4(18), "LWO2");
    EXPECT_FALSE(reader.failed());
    reader.readU4(20);
    EXPECT_TRUE(reader.failed());
}

TEST(LwoChunks, ShippedLayoutGivesOneOfEachRecord) {
    auto p = parse(lwotest::triangleObject("1 - Default", 0, 162 / 255.0f, 1, 4, true).file());
    ASSERT_FALSE(p->failed) << p->object.lastError();
    const LwoReader& r = readerOf(p);
    EXPECT_EQ(r.layers.size(), 1u);
    EXPECT_EQ(r.layers[0].name, "Layer");
    EXPECT_FALSE(r.layers[0].hasParent);
    ASSERT_EQ(r.pointSets.size(), 1u);
    EXPECT_EQ(r.pointSets[0].points.size(), 12u);
    ASSERT_EQ(r.polygonSets.size(), 1u);
    EXPECT_EQ(r.polygonSets[0].layerCount, 1);
    EXPECT_EQ(r.polygonSets[0].cornerCounts, std::vector<int16_t>(4, 3));
    EXPECT_EQ(r.polygonTagSets.size(), 1u);
    ASSERT_EQ(r.surfaces.size(), 1u);
    EXPECT_EQ(r.surfaces[0].name, "1 - Default");
    EXPECT_FLOAT_EQ(r.surfaces[0].colour[1], 162 / 255.0f);
    EXPECT_TRUE(r.surfaces[0].hasTransparency);
    EXPECT_FLOAT_EQ(r.surfaces[0].transparency, 0.2f);
    EXPECT_FLOAT_EQ(r.surfaces[0].diffuse, 1.0f);
    EXPECT_FALSE(r.surfaces[0].hasBlock);
    EXPECT_EQ(p->said.str(), "");
}

TEST(LwoChunks, FourByteIndicesAndFlaggedCornerCounts) {
    std::vector<Vec3> pts(70000);
    pts[65538] = {7, 8, 9};
    LwoWriter w;
    w.points(pts);
    Bytes pols;
    pols.id("FACE").u2(0x4003).vx(0).vx4(65538).vx4(5);  // flags in the top bits, 4-byte VX for 5
    w.chunk("POLS", pols);
    auto p = parse(w.file());
    ASSERT_FALSE(p->failed) << p->object.lastError();
    const LwoPolygonSet& set = readerOf(p).polygonSets[0];
    EXPECT_EQ(set.cornerCounts, std::vector<int16_t>{3});
    EXPECT_EQ(set.indices, (std::vector<int32_t>{0, 65538, 5}));
    EXPECT_FLOAT_EQ(p->object.polygons[0].positions[1].z, -9.0f);
}

TEST(LwoChunks, OtherPolygonTypesGiveEmptySetsAndParsingGoesOn) {
    LwoWriter w;
    w.tags({"A"}).points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
    w.polygons("PTCH", {{0, 1, 2}});
    w.polygonTags("SURF", {{0, 0}});  // tags patches: nothing is built for them
    w.polygons("CURV", {{0, 1}});
    w.surface("A", lwotest::colr(0, 1, 0));
    auto p = parse(w.file());
    ASSERT_FALSE(p->failed) << p->object.lastError();
    ASSERT_EQ(readerOf(p).polygonSets.size(), 2u);
    EXPECT_EQ(readerOf(p).polygonSets[0].type, "PTCH");
    EXPECT_TRUE(readerOf(p).polygonSets[0].cornerCounts.empty());
    EXPECT_TRUE(readerOf(p).polygonSets[1].indices.empty());
    EXPECT_EQ(readerOf(p).surfaces.size(), 1u);
    EXPECT_TRUE(p->object.polygons.empty());
}

TEST(LwoChunks, LayerParentIndexIsReadWhenPresent) {
    LwoWriter w;
    w.layer(1, "Root").layer(2, "Child", 1, Vec3{0.5f, 0, -1}).layer(3, "Odd");
    auto p = parse(w.file());
    ASSERT_FALSE(p->failed) << p->object.lastError();
    const auto& layers = readerOf(p).layers;
    ASSERT_EQ(layers.size(), 3u);
    EXPECT_FALSE(layers[0].hasParent);
    EXPECT_TRUE(layers[1].hasParent);
    EXPECT_EQ(layers[1].parent, 1);
    EXPECT_EQ(layers[1].number, 2);
    EXPECT_FLOAT_EQ(layers[1].pivot.z, -1.0f);
    EXPECT_EQ(layers[2].name, "Odd");  // "Odd" + zero is even: no pad byte
    EXPECT_EQ(readerOf(p).layerCount, 3);
}

TEST(LwoChunks, PointRemainderAndOddChunksArePadded) {
    LwoWriter w;
    Bytes pts;
    pts.f4(1).f4(2).f4(3).u1(9).u1(9).u1(9);  // 15 bytes: an odd length with a pad byte
    w.chunk("PNTS", pts);
    Bytes odd;
    odd.u1(1).u1(2).u1(3);
    w.chunk("ZZZZ", odd).tags({"after"});
    auto p = parse(w.file());
    ASSERT_FALSE(p->failed) << p->object.lastError();
    EXPECT_EQ(readerOf(p).pointSets[0].points.size(), 1u);
    EXPECT_EQ(readerOf(p).tagList.tags, std::vector<std::string>{"after"});
    // The last chunk of the form: its pad byte is the form's last byte, and must not be taken
    // for the start of another chunk.
    LwoWriter last;
    last.tags({"before"}).chunk("ZZZZ", odd);
    auto padded = parse(last.file());
    ASSERT_FALSE(padded->failed) << padded->object.lastError();
    EXPECT_EQ(readerOf(padded).tagList.tags, std::vector<std::string>{"before"});
}

TEST(LwoChunks, SurfaceBlockNestingKeepsOuterAttributes) {
    Bytes chan;
    chan.id("COLR");
    Bytes imapBody;
    imapBody.s0("\x80").raw(subChunk("CHAN", chan)).raw(subChunk("ENAB", Bytes().u2(1)));
    Bytes block = subChunk("IMAP", imapBody);
    block.raw(subChunk("TMAP", Bytes().raw(subChunk("CNTR", Bytes().f4(0).f4(0).f4(0).vx(0)))));
    block.raw(subChunk("IMAG", Bytes().vx(1)));
    Bytes subs = lwotest::colr(0.25f, 0.5f, 0.75f);
    subs.raw(subChunk("BLOK", block)).raw(lwotest::floatSub("DIFF", 0.8f));
    subs.raw(lwotest::floatSub("TRAN", 0.3f)).raw(subChunk("SMAN", Bytes().f4(1.5f)));
    LwoWriter w;
    w.surface("Skin", subs).tags({"after"});
    auto p = parse(w.file());
    ASSERT_FALSE(p->failed) << p->object.lastError();
    const LwoSurface& s = readerOf(p).surfaces.at(0);
    EXPECT_TRUE(s.hasBlock);
    EXPECT_EQ(s.colour, (LwoColour{0.25f, 0.5f, 0.75f}));
    EXPECT_FLOAT_EQ(s.diffuse, 0.8f);
    EXPECT_TRUE(s.hasTransparency);
    EXPECT_FLOAT_EQ(s.transparency, 0.3f);
    EXPECT_EQ(s.blockLength, static_cast<int16_t>(block.size()));
    EXPECT_EQ(readerOf(p).tagList.tags.size(), 1u);
}

TEST(LwoChunks, SurfaceWithoutColourIsWhite) {
    LwoWriter w;
    w.surface("Plain", lwotest::floatSub("DIFF", 1.0f));
    auto p = parse(w.file());
    ASSERT_FALSE(p->failed);
    EXPECT_EQ(readerOf(p).surfaces[0].colour, (LwoColour{1, 1, 1}));
    EXPECT_FALSE(readerOf(p).surfaces[0].hasTransparency);
}

TEST(LwoChunks, OnlyUvMapsAreKeptOthersAreAnnounced) {
    LwoWriter w;
    w.points({{0, 0, 0}, {1, 0, 0}});
    w.vertexMap("VMAP", "WGHT", "Weight", 1, {{0, 0, {0.5f}}, {1, 0, {1.0f}}});
    w.vertexMap("VMAP", "TXUV", "uv", 2, {{1, 0, {0.25f, 0.75f}}});
    w.vertexMap("VMAP", "MORF", "bend", 3, {{0, 0, {1, 2, 3}}});
    w.tags({"after"});
    auto p = parse(w.file());
    ASSERT_FALSE(p->failed) << p->object.lastError();
    EXPECT_EQ(p->said.str(), "\n cos opuszczem!!!\n\n cos opuszczem!!!\n");
    ASSERT_EQ(readerOf(p).vertexMaps.size(), 1u);
    const LwoVertexMap& uv = readerOf(p).vertexMaps[0];
    EXPECT_EQ(uv.name, "uv");
    EXPECT_EQ(uv.dimension, 2);
    ASSERT_EQ(uv.entries.size(), 1u);
    EXPECT_EQ(uv.entries[0].vertex, 1);
    EXPECT_EQ(uv.valuesOf(0).toVector(), (std::vector<float>{0.25f, 0.75f}));
    EXPECT_EQ(readerOf(p).tagList.tags.size(), 1u);
}

TEST(LwoChunks, VertexMapKinds) {
    EXPECT_EQ(classifyVertexMap("TXUV"), LwoVertexMapKind::Uv);
    EXPECT_EQ(classifyVertexMap("RGB "), LwoVertexMapKind::Rgb);
    EXPECT_EQ(classifyVertexMap("RGBA"), LwoVertexMapKind::Rgba);
    EXPECT_EQ(classifyVertexMap("txuv"), LwoVertexMapKind::Unknown);
    EXPECT_EQ(classifyChunk("POLS"), LwoChunkKind::Polygons);
    EXPECT_EQ(classifyChunk("pols"), LwoChunkKind::Unknown);
}

namespace {
std::vector<std::string> loadedClips;
bool fakeClipLoader(const char* path, uint32_t& texture) {
    loadedClips.push_back(path);
    texture = 77;
    return false;
}
}  // namespace

TEST(LwoChunks, StillClipsLoadTheirPictureOthersDoNot) {
    LwoWriter w;
    w.clip(1, "STIL", "images/wood.jpg").clip(2, "ISEQ", "frames");
    loadedClips.clear();
    LwoObject object;
    object.clipTextureLoader = fakeClipLoader;
    const auto file = w.file();
    ASSERT_FALSE(object.loadFromMemory(file.data(), file.size()));
    ASSERT_EQ(object.reader.clips.size(), 2u);
    EXPECT_EQ(loadedClips, std::vector<std::string>{"images/wood.jpg"});
    EXPECT_EQ(object.reader.clips[0].texture, 77u);
    EXPECT_EQ(object.reader.clips[0].clipIndex, 1u);
    EXPECT_EQ(object.reader.clips[1].subChunkType, "ISEQ");
    EXPECT_EQ(object.reader.clips[1].texture, 0u);

    LwoMesh withoutLoader;  // what a reuser gets: no loader, no picture, no GL
    ASSERT_FALSE(withoutLoader.loadFromMemory(file.data(), file.size()));
    EXPECT_EQ(withoutLoader.reader.clips[0].texture, 0u);
    EXPECT_EQ(loadedClips.size(), 1u);
}

// A missing file, a folder, and a device that never ends (refused before a byte is read): each
// says so and leaves the object empty. The missing file's message goes on with the system's cause.
TEST(LwoFailures, FilesThatCannotBeReadSaySoAndLeaveTheObjectEmpty) {
    struct Case {
        const char* path;
        const char* error;
        bool wholeMessage;
    };
    for (const Case& c : {Case{"/nonexistent/dir/tube.lwo", "/nonexistent/dir/tube.lwo: cannot be opened", false},
                          Case{"/tmp", "/tmp: is a directory, not a file", true},
                          Case{"/dev/zero", "/dev/zero: is a character device, not a file", true}}) {
        std::ostringstream said;
        LwoObject object;
        object.diagnostics = &said;
        EXPECT_TRUE(object.load(c.path)) << c.path;
        EXPECT_EQ(said.str(), "nie ma go!!!") << c.path;
        if (c.wholeMessage) {
            EXPECT_EQ(object.lastError(), c.error);
        } else {
            EXPECT_EQ(object.lastError().rfind(c.error, 0), 0u) << object.lastError();
        }
        EXPECT_TRUE(object.polygons.empty()) << c.path;
    }
}

TEST(LwoFailures, OtherFormsAreRefusedWithTheirType) {
    auto picture = parse(cube().file("ILBM"), "picture.lwo");
    EXPECT_TRUE(picture->failed);
    EXPECT_EQ(picture->object.lastError(),
              "picture.lwo: FORM at 0x8: form type \"ILBM\", expected \"LWO2\", \"LWO3\" or \"LWOB\"");
    std::vector<uint8_t> notIff = cube().file();
    notIff[0] = 'X';
    EXPECT_NE(parse(notIff)->object.lastError().find("FORM at 0x0: not an IFF FORM file"), std::string::npos);
    auto empty = parse({}, "empty.lwo");
    EXPECT_TRUE(empty->failed);
    EXPECT_NE(empty->object.lastError().find("empty.lwo: FORM at 0x0:"), std::string::npos);
}

TEST(LwoFailures, IndexErrorsAreLocated) {
    LwoWriter badPoint;
    badPoint.points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}).polygons("FACE", {{0, 1, 3}});
    // FORM header 12 + PNTS 8 + 36 + POLS header 8 + "FACE" 4 + count 2 + two indices 4.
    EXPECT_EQ(parse(badPoint.file(), "tube.lwo")->object.lastError(),
              "tube.lwo: POLS at 0x4a: point 3 >= 3 points");

    LwoWriter badPolygon = cube(false);
    badPolygon.polygonTags("SURF", {{2, 0}});
    EXPECT_NE(parse(badPolygon.file())->object.lastError().find("PTAG at 0x"), std::string::npos);
    EXPECT_NE(parse(badPolygon.file())->object.lastError().find(": polygon 2 >= 2 polygons"),
              std::string::npos);

    LwoWriter badTag = cube(false);
    badTag.polygonTags("SURF", {{1, 1}});
    EXPECT_NE(parse(badTag.file())->object.lastError().find(": tag 1 >= 1 tags"), std::string::npos);
    LwoWriter smoothingGroup = cube();
    smoothingGroup.polygonTags("SMGP", {{1, 9}});  // a group number, not a tag
    EXPECT_FALSE(parse(smoothingGroup.file())->failed);

    LwoWriter badUv = cube();
    badUv.vertexMap("VMAP", "TXUV", "uv", 2, {{4, 0, {0, 0}}});
    EXPECT_NE(parse(badUv.file())->object.lastError().find("VMAP at 0x"), std::string::npos);
    LwoWriter badDisc = cube();
    badDisc.vertexMap("VMAD", "TXUV", "uv", 2, {{0, 2, {0, 0}}});
    EXPECT_NE(parse(badDisc.file())->object.lastError().find("polygon 2 >= 2 polygons"), std::string::npos);
    LwoWriter flatUv = cube();
    flatUv.vertexMap("VMAP", "TXUV", "uv", 1, {{0, 0, {0}}});
    EXPECT_NE(parse(flatUv.file())->object.lastError().find("TXUV dimension 1 < 2"), std::string::npos);
}

TEST(LwoFailures, LengthsThatRunPastTheirContainer) {
    std::vector<uint8_t> file = cube().file();
    file[4 + 3] += 2;  // FORM length two bytes more than the file holds
    EXPECT_NE(parse(file)->object.lastError().find("FORM at 0x4: form length"), std::string::npos);

    LwoWriter longChunk;
    longChunk.tags({"A"});
    Bytes tail;
    tail.id("PNTS").u4(1000).f4(1);
    longChunk.rawBytes(tail);
    EXPECT_NE(parse(longChunk.file())->object.lastError().find("PNTS at 0x16: chunk length 1000 runs past"),
              std::string::npos);

    Bytes subs;
    subs.id("COLR").u2(40).f4(1);
    LwoWriter longSub;
    longSub.surface("S", subs);
    EXPECT_NE(parse(longSub.file())->object.lastError().find("SURF COLR at 0x"), std::string::npos);
    Bytes shortColour = subChunk("COLR", Bytes().f4(1));
    LwoWriter shortSub;
    shortSub.surface("S", shortColour);
    EXPECT_NE(parse(shortSub.file())->object.lastError().find("F4 needs 4 bytes, 0 left"), std::string::npos);
}

TEST(LwoFailures, EmptyChunksAndTrailingBytesEndTheWalk) {
    LwoWriter zeros;
    for (int i = 0; i < 1000; ++i) zeros.chunk("NULL", Bytes());
    EXPECT_FALSE(parse(zeros.file())->failed);
    LwoWriter stray = cube();
    stray.rawBytes(Bytes().u1(1).u1(2).u1(3));
    EXPECT_NE(parse(stray.file())->object.lastError().find("a chunk header needs 8"), std::string::npos);
}

namespace {

struct ChunkSpan {
    size_t start;  // of the ID
    std::string id;
};

// The top-level chunks of a well-formed file, in order, with a last entry at the file's end.
std::vector<ChunkSpan> chunkSpans(const std::vector<uint8_t>& file) {
    std::vector<ChunkSpan> spans;
    size_t at = 12;
    while (at + 8 <= file.size()) {
        const size_t length = size_t(file[at + 4]) << 24 | size_t(file[at + 5]) << 16 |
                              size_t(file[at + 6]) << 8 | file[at + 7];
        spans.push_back({at, std::string(file.begin() + at, file.begin() + at + 4)});
        at += 8 + length + (length & 1);
    }
    spans.push_back({at, "end"});
    return spans;
}

const ChunkSpan& chunkHolding(const std::vector<ChunkSpan>& spans, size_t offset) {
    size_t k = 0;
    while (k + 1 < spans.size() && spans[k + 1].start <= offset) ++k;
    return spans[k];
}

std::string hex(size_t offset) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%zx", offset);
    return text;
}

}  // namespace

TEST(LwoFailures, EveryTruncationFailsCleanly) {
    LwoWriter w = cube();
    w.vertexMap("VMAP", "TXUV", "uv", 2, {{0, 0, {0, 1}}, {1, 0, {1, 1}}});
    w.vertexMap("VMAD", "TXUV", "uv", 2, {{0, 1, {0.5f, 0.5f}}});
    w.clip(1, "STIL", "pic.jpg");
    w.surface("Blocky", lwotest::colr(1, 1, 0).raw(subChunk("BLOK", subChunk("IMAP", Bytes().s0("x")))));
    const std::vector<uint8_t> whole = w.file();
    ASSERT_FALSE(parse(whole)->failed);
    const std::vector<ChunkSpan> chunks = chunkSpans(whole);
    for (size_t size = 0; size < whole.size(); ++size) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + size);
        auto p = parse(part);
        ASSERT_TRUE(p->failed) << size;
        EXPECT_EQ(p->object.lastError().rfind("test.lwo: ", 0), 0u) << size;
        EXPECT_TRUE(p->object.polygons.empty());
        EXPECT_TRUE(p->object.reader.surfaces.empty());
        // The same cut with a form length that agrees: a cut between chunks is a shorter
        // file, any other cut is named by the chunk holding it (the walk, within a header).
        if (size >= 12) {
            lwotest::setFormLength(part, static_cast<uint32_t>(size - 8));
            auto relabelled = parse(part);
            const std::string& why = relabelled->object.lastError();
            const ChunkSpan& holder = chunkHolding(chunks, size);
            if (size == holder.start) {
                EXPECT_FALSE(relabelled->failed) << size << ": " << why;
            } else if (size < holder.start + 8) {
                EXPECT_EQ(why.rfind("test.lwo: FORM at " + hex(holder.start), 0), 0u) << size << ": " << why;
            } else {
                EXPECT_EQ(why.rfind("test.lwo: " + holder.id + " ", 0), 0u) << size << ": " << why;
            }
        }
    }
}

TEST(LwoFailures, EveryByteCorruptedNeverCrashes) {
    LwoWriter w = cube();
    w.vertexMap("VMAP", "TXUV", "uv", 2, {{0, 0, {0, 1}}, {3, 0, {1, 1}}});
    w.vertexMap("VMAD", "TXUV", "uv", 2, {{0, 1, {0.5f, 0.5f}}});
    const std::vector<uint8_t> whole = w.file();
    for (size_t at = 0; at < whole.size(); ++at) {
        for (uint8_t value : {uint8_t(0x00), uint8_t(0xFF), uint8_t(whole[at] + 1)}) {
            std::vector<uint8_t> bad = whole;
            bad[at] = value;
            auto p = parse(bad);
            EXPECT_EQ(p->failed, !p->object.lastError().empty());
            p->object.prepareVertexArray();
            p->object.startMorph(p->object.collectPositions(), {});
            p->object.stepMorph(true, 250.0f);
        }
    }
}

TEST(LwoFailures, AFailedLoadLeavesAUsableObject) {
    LwoObject object;
    std::ostringstream said;
    object.diagnostics = &said;
    const auto good = cube().file();
    ASSERT_FALSE(object.loadFromMemory(good.data(), good.size()));
    object.prepareVertexArray();
    ASSERT_EQ(object.polygons.size(), 2u);
    std::vector<uint8_t> bad(good.begin(), good.begin() + 40);
    EXPECT_TRUE(object.loadFromMemory(bad.data(), bad.size()));
    EXPECT_TRUE(object.polygons.empty());
    EXPECT_TRUE(object.vertexArray.empty());
    EXPECT_TRUE(object.reader.pointSets.empty());
    EXPECT_FALSE(object.loadFromMemory(good.data(), good.size()));
    EXPECT_TRUE(object.lastError().empty());
    EXPECT_EQ(object.polygons.size(), 2u);
}

