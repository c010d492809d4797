#include "lwo/lwo3_importer.h"

#include "lwo/iff_chunks.h"
#include "lwo/image_block.h"
#include "lwo/lwo2_chunks.h"

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

// IROT is kept as read, in radians: the value is the node's angle parameter as LightWave holds
// it, and its object files keep angles so (LWO2 and LWO3 block ROTA, angle envelopes), as its
// scenes keep motion channels; degrees are what its panels show. VPRM carries no unit of its
// own: its header is the same for the scale, the position and the rotation.
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
        lwo2::readShadingValue(id, c, s);
    }
    if (id == "DIFF") s.hasDiffuse = true;
}

void readBlockHeader(ByteCursor& c, const iff::Body& body, LwoImageBlock& block) {
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body&) {
        if (isForm) return;
        if (id == kDataId) block.ordinal = c.readPaddedString();
        else readBlockHeaderAttribute(id, c, BlockNumbers::Lwo3, block);
    });
}

void readBlockMapping(ByteCursor& c, const iff::Body& body, LwoImageBlock& block) {
    iff::walkChunks(c, body.bodyEnd, [&](const std::string& id, bool isForm, const iff::Body&) {
        if (!isForm) readBlockMappingAttribute(id, c, BlockNumbers::Lwo3, block);
    });
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
            readBlockAttribute(id, c, BlockNumbers::Lwo3, block);
        }
    });
    if (!isImage) return;
    if (c.failed()) block.problem = c.error();
    surface.imageBlocks.push_back(std::move(block));
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

// What a surface's picture waits on until every clip is read.
struct PictureLookup {
    size_t surface = 0;  // in the records' surfaces
    // The image node's block, whose clip is the one with the node's picture file; -1 for none.
    int64_t nodeBlock = -1;
    std::string nodeImage;
    int32_t layerClip = 0;  // the clip of a texture layer on the material's colour; 0 for none
};

void readSurface(LwoImport& in, const iff::Body& body, std::vector<PictureLookup>& lookups) {
    ByteCursor& c = in.cursor;
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
    PictureLookup lookup;
    lookup.surface = in.records.surfaces.size();
    if (const Node* material = graph.feeding("Surface", "Material")) {
        if (!hasColour && material->hasColour) surface.colour = material->colour;
        if (const Node* image = graph.feeding(material->name, "Color")) {
            surface.imageName = image->image;
            if (image->hasMap) {
                LwoImageBlock block = image->map;
                block.channel = "COLR";
                lookup.nodeBlock = static_cast<int64_t>(surface.imageBlocks.size());
                lookup.nodeImage = image->image;
                surface.imageBlocks.push_back(std::move(block));
            }
        }
        lookup.layerClip = material->clip;
    }
    c.setContext("FORM SURF");
    in.records.surfaces.push_back(std::move(surface));
    lookups.push_back(std::move(lookup));
}

void readClip(LwoImport& in, const iff::Body& body) {
    ByteCursor& c = in.cursor;
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
    if (!c.failed() && !clip.fileName.empty() && in.clipTextureLoader) {
        in.clipTextureLoader(clip.fileName.c_str(), clip.texture);
    }
    c.setContext("FORM CLIP");
    in.records.clips.push_back(std::move(clip));
}

void readForm(LwoImport& in, const iff::Body& body, std::vector<PictureLookup>& lookups) {
    ByteCursor& c = in.cursor;
    const std::string type = c.readId4();
    if (c.failed()) return;
    c.setContext("FORM " + type);
    if (type == "SURF")
        readSurface(in, body, lookups);
    else if (type == "CLIP")
        readClip(in, body);
}

// The clips by index and by file name; where two share one, the first in the file is meant.
struct ClipNames {
    explicit ClipNames(const std::vector<LwoClip>& clips) {
        for (const LwoClip& clip : clips) {
            files.emplace(clip.clipIndex, &clip.fileName);
            indices.emplace(clip.fileName, clip.clipIndex);
        }
    }
    std::string file(int32_t index) const {
        const auto found = files.find(static_cast<uint32_t>(index));
        return found == files.end() ? std::string() : *found->second;
    }
    int32_t index(const std::string& file) const {
        const auto found = indices.find(file);
        return found == indices.end() ? 0 : static_cast<int32_t>(found->second);
    }
    std::unordered_map<uint32_t, const std::string*> files;
    std::unordered_map<std::string, uint32_t> indices;
};

// Surfaces edited without nodes name their picture only through their colour image block's
// clip; one that names no picture otherwise is given that clip's file. 0 is "no clip", whatever
// a clip is called.
void findPictures(LwoRecords& records, const std::vector<PictureLookup>& lookups) {
    const ClipNames clips(records.clips);
    for (const PictureLookup& lookup : lookups) {
        LwoSurface& surface = records.surfaces[lookup.surface];
        if (lookup.nodeBlock >= 0)
            surface.imageBlocks[static_cast<size_t>(lookup.nodeBlock)].image = clips.index(lookup.nodeImage);
        if (surface.imageName.empty() && lookup.layerClip != 0) surface.imageName = clips.file(lookup.layerClip);
    }
    for (LwoSurface& surface : records.surfaces) {
        const int32_t clip = colourBlockClip(surface);
        if (surface.imageName.empty() && clip != 0) surface.imageName = clips.file(clip);
    }
}

}  // namespace

void importLwo3(LwoImport& in) {
    std::vector<PictureLookup> lookups;
    iff::walkFormChunks(in.cursor, in.formEnd, in.chunkId, [&](const std::string& id, const iff::Body& body) {
        if (id == "FORM")
            readForm(in, body, lookups);
        else
            lwo2::readChunk(in, classifyChunk(id), body);
    });
    findPictures(in.records, lookups);
}
