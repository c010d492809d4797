#include "lwo/lwo_records.h"

namespace {

constexpr uint16_t kCornerCountMask = 0x03FF;  // the upper six bits are flags

}  // namespace

LwoChunkKind classifyChunk(const std::string& id) {
    static const char* const kIds[] = {"TAGS", "LAYR", "PNTS", "BBOX", "POLS",
                                       "PTAG", "SURF", "VMAP", "VMAD", "CLIP"};
    for (int kind = 0; kind < 10; ++kind) {
        if (id == kIds[kind]) return static_cast<LwoChunkKind>(kind);
    }
    return LwoChunkKind::Unknown;
}

LwoFormat classifyForm(const std::string& type) {
    if (type == "LWO2") return LwoFormat::Lwo2;
    if (type == "LWO3") return LwoFormat::Lwo3;
    if (type == "LWOB") return LwoFormat::Lwob;
    return LwoFormat::Unknown;
}

LwoVertexMapKind classifyVertexMap(const std::string& type) {
    if (type == "PICK") return LwoVertexMapKind::Pick;
    if (type == "WGHT") return LwoVertexMapKind::Weight;
    if (type == "MNVW") return LwoVertexMapKind::SubPatchWeight;
    if (type == "TXUV") return LwoVertexMapKind::Uv;
    if (type.size() == 4 && type.compare(0, 3, "RGB") == 0 && type[3] != 'A') {
        return LwoVertexMapKind::Rgb;
    }
    if (type == "RGBA") return LwoVertexMapKind::Rgba;
    if (type == "MORF") return LwoVertexMapKind::Morph;
    if (type == "SPOT") return LwoVertexMapKind::AbsoluteMorph;
    return LwoVertexMapKind::Unknown;
}

int32_t countPolygonList(ByteCursor list) {
    int32_t count = 0;
    while (!list.atEnd()) {
        const uint16_t corners = list.readU2() & kCornerCountMask;
        for (uint16_t k = 0; k < corners && !list.failed(); ++k) list.readVariableIndex();
        if (list.failed()) break;
        ++count;
    }
    return count;
}

size_t LwoRecords::latestPointCount() const { return pointSets.empty() ? 0 : pointSets.back().points.size(); }

int64_t LwoRecords::latestPolygonCount() const {
    if (polygonSets.empty()) return 0;
    const LwoPolygonSet& set = polygonSets.back();
    return set.type == "FACE" ? static_cast<int64_t>(set.cornerCounts.size()) : -1;
}

LwoPolygonSet LwoRecords::newPolygonSet(const std::string& type, int32_t chunkOffset, int32_t chunkLength) const {
    LwoPolygonSet set;
    set.chunkLength = chunkLength;
    set.chunkOffset = chunkOffset;
    set.type = type;
    set.layerCount = layerCount;
    set.pointSetIndex = static_cast<int32_t>(pointSets.size()) - 1;
    return set;
}
