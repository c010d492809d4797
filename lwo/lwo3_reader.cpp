#include "lwo/lwo3_reader.h"

#include "lwo/iff_chunks.h"
#include "lwo/lwo_reader.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// LWO3 gives a chunk that carries a form's own data (a name, an index, a value) a blank ID.
const std::string kDataId = "    ";
// Node data nests attribute lists a few forms deep; deeper forms are skipped, not searched.
constexpr int kMaxNodeDataDepth = 8;

struct Node {
    std::string name;
    bool hasColour = false;
    LwoColour colour = {1.0f, 1.0f, 1.0f};
    std::string image;  // an image node's picture
    int32_t clip = 0;   // the clip a texture layer on the node's colour uses; 0 for none
    // An image node's mapping (IMAP projection, IAXS, IUVI, ISCL, IPOS, IROT, wraps), kept in
    // the record LWO2 image blocks fill; hasMap once its projection was read.
    LwoImageBlock map;
    bool hasMap = false;
};

// One connection: `from`'s output feeds `input` of `node`.
struct Link {
    std::string node, input, from;
};

struct Graph {
    std::vector<Node> nodes;
    std::vector<Link> links;

    const Node* find(const std::string& name) const {
        for (const Node& node : nodes)
            if (node.name == name) return &node;
        return nullptr;
    }
    // The node wired into `input` of `node`, if any.
    const Node* feeding(const std::string& node, const std::string& input) const {
        for (const Link& link : links)
            if (link.node == node && link.input == input) return find(link.from);
        return nullptr;
    }
};

double readF8(ByteCursor& c) {
    if (!c.need(8, "F8")) return 0.0;
    const uint64_t bits = (uint64_t(c.readU4()) << 32) | c.readU4();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// PROJ, AXIS, ENAB and the wrap modes are U2 in LWO2; a body of four bytes holds them as U4.
uint32_t readSmall(ByteCursor& c) { return c.remaining() >= 4 ? c.readU4() : c.readU2(); }

// An image node's vector or scalar parameter: VPRM, then VPVL, whose data chunk holds the F4
// components (three, or one for a scalar) and an envelope index, which is not kept.
std::vector<float> readNodeParameter(ByteCursor& c, const iff::Body& body) {
    std::vector<float> values;
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body& inner) {
        if (!isForm || id != "VPRM") return;
        iff::walkChunks(c, inner.bodyEnd, [&](const std::string& valueId, bool valueIsForm, const iff::Body& v) {
            if (!valueIsForm || valueId != "VPVL") return;
            iff::walkChunks(c, v.bodyEnd, [&](const std::string& dataId, bool, const iff::Body&) {
                while (dataId == kDataId && values.size() < 3 && c.remaining() >= 4) values.push_back(c.readF4());
            });
        });
    });
    return values;
}

void readNodeMapping(const std::string& id, ByteCursor& c, const iff::Body& body, LwoImageBlock& map) {
    const std::vector<float> v = readNodeParameter(c, body);
    if (v.size() == 3) {
        const Vec3 vector{v[0], v[1], v[2]};
        if (id == "ISCL") map.size = vector;
        else if (id == "IPOS") map.centre = vector;
        else if (id == "IROT") map.rotation = vector;
    } else if (v.size() == 1) {
        if (id == "IUTD") map.wrapCountWidth = v[0];
        else if (id == "IVTD") map.wrapCountHeight = v[0];
    }
}

// The image node's own chunks that say how its picture is laid on.
void readNodeMapValue(const std::string& id, ByteCursor& c, Node& node) {
    if (id == "IMAP") {
        node.map.projection = static_cast<int32_t>(readSmall(c));
        node.hasMap = !c.failed();
    } else if (id == "IAXS") {
        node.map.axis = static_cast<uint16_t>(readSmall(c));
    } else if (id == "IUVI") {
        node.map.uvMap = c.readPaddedString();
    } else if (id == "IUTL") {
        node.map.wrapWidth = static_cast<uint16_t>(readSmall(c));
    } else if (id == "IVTL") {
        node.map.wrapHeight = static_cast<uint16_t>(readSmall(c));
    }
}

// The image of the first texture block layered on a colour (TXTR, BLOK, IMAG).
void readColourTexture(ByteCursor& c, const iff::Body& body, Node& node) {
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body& block) {
        if (!isForm || id != "BLOK" || node.clip != 0) return;
        iff::walkChunks(c, block.bodyEnd,
                        [&](const std::string& blockId, bool blockIsForm, const iff::Body&) {
                            if (!blockIsForm && blockId == "IMAG") node.clip = c.readVariableIndex();
                        });
    });
}

// An attribute's value: a type name ("vparam3"), then a nested VALU whose data chunk holds a
// U4 count and that many doubles, and texture layers (TXTR). Only three-component colours are
// kept.
void readColourValue(ByteCursor& c, const iff::Body& body, Node& node) {
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body& inner) {
        if (isForm && id == "TXTR") readColourTexture(c, inner, node);
        if (!isForm || id != "VALU") return;
        iff::walkChunks(c, inner.bodyEnd, [&](const std::string& dataId, bool, const iff::Body&) {
            if (dataId != kDataId) return;
            const uint32_t count = c.readU4();
            if (count < 3 || !c.need(size_t(count) * 8, "colour value")) return;
            for (float& component : node.colour) component = static_cast<float>(readF8(c));
            node.hasColour = !c.failed();
        });
    });
}

void readEntry(ByteCursor& c, const iff::Body& body, Node& node) {
    std::string name;
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body& inner) {
        if (!isForm && id == "NAME")
            name = c.readPaddedString();
        else if (isForm && id == "VALU" && name == "Color")
            readColourValue(c, inner, node);
    });
}

// NDTA and what it nests: attribute entries (ATTR, META, ADAT, ENTR) and an image node's
// picture (IIMG, CLIP, STIL and the still's data chunk).
void readNodeData(ByteCursor& c, const iff::Body& body, const std::string& type, int depth, Node& node) {
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body& inner) {
        if (!isForm) {
            if (type == "STIL" && id == kDataId) node.image = c.readPaddedString();
            if (type == "NDTA") readNodeMapValue(id, c, node);
        } else if (type == "NDTA" && (id == "ISCL" || id == "IPOS" || id == "IROT" || id == "IUTD" || id == "IVTD")) {
            readNodeMapping(id, c, inner, node.map);
        } else if (id == "ENTR") {
            readEntry(c, inner, node);
        } else if (depth < kMaxNodeDataDepth &&
                   (id == "ATTR" || id == "SATR" || id == "META" || id == "ADAT" || id == "IIMG" ||
                    id == "CLIP" || id == "STIL")) {
            readNodeData(c, inner, id, depth + 1, node);
        }
    });
}

void readNode(ByteCursor& c, const iff::Body& body, Graph& graph) {
    Node node;
    node.map.offset = static_cast<int32_t>(body.headerStart);
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body& inner) {
        if (!isForm && id == "NNME")
            node.name = c.readPaddedString();
        else if (isForm && id == "NDTA")
            readNodeData(c, inner, id, 0, node);
    });
    graph.nodes.push_back(std::move(node));
}

void readConnections(ByteCursor& c, const iff::Body& body, Graph& graph) {
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body&) {
        if (isForm) return;
        if (id == "INME")
            graph.links.push_back(Link{c.readPaddedString(), "", ""});
        else if (id == "IINM" && !graph.links.empty())
            graph.links.back().input = c.readPaddedString();
        else if (id == "IINN" && !graph.links.empty())
            graph.links.back().from = c.readPaddedString();
    });
}

void readNodes(ByteCursor& c, const iff::Body& body, Graph& graph) {
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body& inner) {
        if (!isForm) return;
        if (id == "NNDS") {
            iff::walkChunks(c, inner.bodyEnd,
                            [&](const std::string& nodeId, bool nodeIsForm, const iff::Body& n) {
                                if (nodeIsForm && nodeId == "NTAG") readNode(c, n, graph);
                            });
        } else if (id == "NCON") {
            readConnections(c, inner, graph);
        }
    });
}

// COLR, DIFF, TRAN and the shading values: as in LWO2 (F4 values, then an envelope), with 4-byte lengths.
void readSurfaceValue(const std::string& id, ByteCursor& c, LwoSurface& s, bool& hasColour) {
    const int32_t length = static_cast<int32_t>(c.remaining());
    if (id == "COLR") {
        s.colourLength = static_cast<int16_t>(length);
        for (float& component : s.colour) component = c.readF4();
        if (c.remaining() >= 2) s.colourEnvelope = c.readVariableIndex();
        hasColour = true;
    } else if (id == "DIFF") {
        s.diffuseLength = static_cast<int16_t>(length);
        s.diffuse = c.readF4();
    } else if (id == "TRAN") {
        s.transparencyLength = static_cast<int16_t>(length);
        s.transparency = c.readF4();
        s.hasTransparency = s.transparency > 0.0f;  // as for LWOB: a value, not the sub-chunk
    } else {
        readShadingValue(id, c, s);
    }
    if (id == "DIFF") s.hasDiffuse = true;
}

void readBlockHeader(ByteCursor& c, const iff::Body& body, LwoImageBlock& block) {
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body&) {
        if (isForm) return;
        if (id == kDataId) block.ordinal = c.readPaddedString();
        else if (id == "CHAN") block.channel = c.readId4();
        else if (id == "ENAB") block.enabled = readSmall(c) != 0;
    });
}

void readBlockMapping(ByteCursor& c, const iff::Body& body, LwoImageBlock& block) {
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body&) {
        if (isForm) return;
        if (id == "CNTR") block.centre = c.readVec12();
        else if (id == "SIZE") block.size = c.readVec12();
        else if (id == "ROTA") block.rotation = c.readVec12();
    });
}

void readBlockAttribute(const std::string& id, ByteCursor& c, LwoImageBlock& block) {
    if (id == "PROJ") {
        block.projection = static_cast<int32_t>(readSmall(c));
    } else if (id == "AXIS") {
        block.axis = static_cast<uint16_t>(readSmall(c));
    } else if (id == "IMAG") {
        block.image = c.remaining() == 4 ? static_cast<int32_t>(c.readU4()) : c.readVariableIndex();
    } else if (id == "WRAP") {
        const bool wide = c.remaining() >= 8;
        block.wrapWidth = static_cast<uint16_t>(wide ? c.readU4() : c.readU2());
        block.wrapHeight = static_cast<uint16_t>(wide ? c.readU4() : c.readU2());
    } else if (id == "WRPW") {
        block.wrapCountWidth = c.readF4();
    } else if (id == "WRPH") {
        block.wrapCountHeight = c.readF4();
    } else if (id == "VMAP") {
        block.uvMap = c.readPaddedString();
    }
}

// A surface's BLOK form: an image map when its first chunk is the IMAP header form, then TMAP
// and the attribute chunks as LWO2 has them, with 4-byte lengths. Read through a copy of the
// cursor, so a damaged block is kept with its located reason and the surface reads on.
void readBlock(const ByteCursor& surfaceCursor, const iff::Body& body, LwoSurface& surface) {
    ByteCursor c = surfaceCursor;
    LwoImageBlock block;
    block.offset = static_cast<int32_t>(body.headerStart);
    bool first = true, isImage = false;
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body& inner) {
        if (first) {
            first = false;
            isImage = isForm && id == "IMAP";
            if (isImage) readBlockHeader(c, inner, block);
        } else if (!isImage) {
            return;
        } else if (isForm) {
            if (id == "TMAP") readBlockMapping(c, inner, block);
        } else {
            readBlockAttribute(id, c, block);
        }
    });
    if (!isImage) return;
    if (c.failed()) block.problem = c.error();
    surface.imageBlocks.push_back(std::move(block));
}

int32_t clipIndex(const LwoReader& reader, const std::string& fileName) {
    for (const LwoClip& clip : reader.clips)
        if (clip.fileName == fileName) return static_cast<int32_t>(clip.clipIndex);
    return 0;
}

std::string clipFile(const LwoReader& reader, int32_t index) {
    for (const LwoClip& clip : reader.clips)
        if (clip.clipIndex == static_cast<uint32_t>(index)) return clip.fileName;
    return std::string();
}

// The clip a surface's colour block (the first enabled colour image block read whole) lays on;
// 0 for none. The mesh model projects from the same block.
int32_t colourBlockClip(const LwoSurface& surface) {
    for (const LwoImageBlock& block : surface.imageBlocks) {
        if (!block.enabled || !(block.channel == "COLR" || block.channel.empty())) continue;
        return block.problem.empty() ? block.image : 0;
    }
    return 0;
}

void readSurface(LwoReader& reader, ByteCursor& c, const iff::Body& body) {
    LwoSurface surface;
    surface.chunkLength = static_cast<int32_t>(body.length());
    bool hasColour = false;
    Graph graph;
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body& inner) {
        if (isForm) {
            if (id == "NODS") readNodes(c, inner, graph);
            else if (id == "BLOK") readBlock(c, inner, surface);
        } else if (id == kDataId) {
            surface.name = c.readPaddedString();
            if (!c.atEnd()) surface.sourceName = c.readPaddedString();
        } else {
            readSurfaceValue(id, c, surface, hasColour);
        }
    });
    if (const Node* material = graph.feeding("Surface", "Material")) {
        if (!hasColour && material->hasColour) surface.colour = material->colour;
        if (const Node* image = graph.feeding(material->name, "Color")) {
            surface.imageName = image->image;
            if (image->hasMap) {
                LwoImageBlock block = image->map;
                block.channel = "COLR";
                block.image = clipIndex(reader, image->image);
                surface.imageBlocks.push_back(std::move(block));
            }
        }
        if (surface.imageName.empty() && material->clip != 0)
            surface.imageName = clipFile(reader, material->clip);
    }
    c.setContext("FORM SURF");
    reader.surfaces.push_back(std::move(surface));
}

void readClip(LwoReader& reader, ByteCursor& c, const iff::Body& body) {
    LwoClip clip;
    clip.chunkLength = static_cast<int32_t>(body.length());
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body& inner) {
        if (!isForm && id == kDataId) {
            clip.clipIndex = c.readU4();
        } else if (isForm && id == "STIL" && clip.subChunkType.empty()) {
            clip.subChunkType = id;
            clip.stillLength = static_cast<int16_t>(inner.length());
            iff::walkChunks(c, inner.bodyEnd, [&](const std::string& dataId, bool, const iff::Body&) {
                if (dataId == kDataId && clip.fileName.empty()) clip.fileName = c.readPaddedString();
            });
        }
    });
    if (!c.failed() && !clip.fileName.empty() && reader.clipTextureLoader) {
        reader.clipTextureLoader(clip.fileName.c_str(), clip.texture);
    }
    c.setContext("FORM CLIP");
    reader.clips.push_back(std::move(clip));
}

}  // namespace

void readLwo3Form(LwoReader& reader, ByteCursor& c, int32_t lengthOffset) {
    iff::Scope form(c, iff::LengthWidth::Four, static_cast<size_t>(lengthOffset) - 4, reader.walkLimit(),
                    c.size(), iff::kChunkRule);
    if (!form.open()) return;
    const std::string type = c.readId4();
    if (c.failed()) return;
    c.setContext("FORM " + type);
    if (type == "SURF")
        readSurface(reader, c, form.body());
    else if (type == "CLIP")
        readClip(reader, c, form.body());
}

void nameBlockPictures(LwoReader& reader) {
    std::unordered_map<uint32_t, const std::string*> files;
    for (const LwoClip& clip : reader.clips) files.emplace(clip.clipIndex, &clip.fileName);  // the first wins
    for (LwoSurface& surface : reader.surfaces) {
        const int32_t clip = colourBlockClip(surface);
        if (!surface.imageName.empty() || clip == 0) continue;  // 0 is "no clip", whatever a clip is called
        const auto found = files.find(static_cast<uint32_t>(clip));
        if (found != files.end()) surface.imageName = *found->second;
    }
}
