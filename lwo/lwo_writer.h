// Writing LWO2 files: big-endian bytes (padded strings, two- and four-byte VX), chunks and
// sub-chunks with their IFF lengths and pad bytes, and the FORM around them.
//
// One writer serves the object maker (the shipped objects are its output, byte for byte) and
// the tests, which also use it to write damaged files: it checks nothing, and writes what it is
// given in the order it is given. Everything is owned by value; no file is touched here.
#pragma once

#include "lwo/vec3.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

class LwoBytes {
public:
    LwoBytes& u1(uint32_t value);
    LwoBytes& u2(uint32_t value);
    LwoBytes& u4(uint32_t value);
    LwoBytes& f4(float value);
    LwoBytes& id(const char* four);
    // S0: the text, a zero, and a pad byte when that makes an odd count.
    LwoBytes& s0(const std::string& text);
    // VX in its two-byte form when the index fits, else the four-byte form.
    LwoBytes& vx(uint32_t index);
    LwoBytes& vx4(uint32_t index);
    LwoBytes& vec(const Vec3& p);
    LwoBytes& raw(const LwoBytes& other);

    size_t size() const { return data.size(); }

    std::vector<uint8_t> data;
};

// A surface sub-chunk: ID, U2 length, body, pad byte when the body is odd.
LwoBytes lwoSubChunk(const char* id, const LwoBytes& body);

class LwoWriter {
public:
    // A chunk: ID, U4 length, body, pad byte when the body is odd.
    LwoWriter& chunk(const char* id, const LwoBytes& body);
    LwoWriter& rawBytes(const LwoBytes& bytes);

    LwoWriter& tags(std::initializer_list<std::string> names);
    // Flags 0; the parent index is written only when parent >= 0.
    LwoWriter& layer(uint16_t number, const std::string& name, int parent = -1, Vec3 pivot = Vec3{});
    LwoWriter& points(const std::vector<Vec3>& points);
    LwoWriter& polygons(const char* type, const std::vector<std::vector<uint32_t>>& polygons);
    // (polygon, tag) pairs.
    LwoWriter& polygonTags(const char* type, const std::vector<std::pair<uint32_t, uint16_t>>& pairs);
    // The name, an empty source name, then the sub-chunks as given.
    LwoWriter& surface(const std::string& name, const LwoBytes& subChunks);

    struct MapEntry {
        uint32_t vertex;
        uint32_t polygon;  // VMAD only
        std::vector<float> values;
    };
    // chunkId "VMAP" or "VMAD" (which also writes each entry's polygon).
    LwoWriter& vertexMap(const char* chunkId, const char* type, const std::string& name,
                         uint16_t dimension, const std::vector<MapEntry>& entries);
    LwoWriter& clip(uint32_t index, const char* subId, const std::string& fileName);

    const LwoBytes& chunks() const { return chunks_; }

    // "FORM", its length, the form type and the chunks.
    std::vector<uint8_t> file(const char* formType = "LWO2") const;

private:
    LwoBytes chunks_;
};
