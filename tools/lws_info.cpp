// lws-info: reads a scene with the engine's reader (objects included) and prints what it read.
//
//   lws-info [--json] [--verbose] [--content DIR] [--allow DIR] [--at FRAME[,FRAME...]] [--] FILE.lws
//
// Without --json a listing for people, names from the file shown with control characters
// escaped; with --verbose the reader's own progress printout comes first, as the engine prints
// it. The printout repeats every light so far after each light, so it grows with the square of
// a scene's lights: it is never printed unasked. With --json standard output is one JSON object
// and nothing else: the progress printout, if asked for, goes to standard error, so the output
// can be piped into a JSON reader. A scene that cannot be read, and every object that cannot be
// loaded, is reported as one line on standard error naming the file, the line of the scene and
// why, escaped as the listing is.
// For versions 4 and 5 each object says whether it is a null, and each item its hexadecimal id,
// objects also their parent and pivot; for them and version 2 a last line counts what was
// skipped unread.
// Under each version 3 channel whose span shapes or behaviours the baking does not follow, one
// line says so; in --json, the channel's "notFollowed" list.
// With --at, each item's nine channel values at those frames, after the listing (in --json,
// the "at" member). Versions 2, 4 and 5 evaluate their envelopes there, so any frame has
// values, the behaviours outside the keys included; versions 1 and 3 only have what their
// baking made, so a value the baking holds no sample for is null ("-" in the listing).
// Objects are looked up in DIR (default: the scene's folder); textures are not loaded (no GL
// context here). For a version 1 scene, framesPerSecond is its "FramesPerSecond" setting.
// Exit status: 0 when the scene was read, 1 when it could not be (the output still describes
// the empty scene), 2 for a wrong command line.
#include "app/command_line.h"
#include "scene/envelope_eval.h"
#include "scene/lws_scene.h"
#include "text/json_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

const ProgramInfo kProgram = {
    "lws-info",
    "usage: lws-info [--json] [--verbose] [--content DIR] [--allow DIR] [--at FRAME[,FRAME...]]\n"
    "                [--] FILE.lws\n"
    "Reads a LightWave scene, objects included, and says what it holds.\n"
    "  --json         one JSON object on standard output\n"
    "  --verbose      the reader's progress printout too (on standard error with --json)\n"
    "  --content DIR  where the scene's objects are (default: the scene's folder)\n"
    "  --allow DIR    also load objects and pictures the scene names anywhere inside DIR\n"
    "                 (names with \"..\" that lead out of the content folder)\n"
    "  --at FRAMES    each item's nine channel values (position x y z, heading pitch bank,\n"
    "                 scale x y z) at these whole frames, e.g. --at -10,0,45; in --json the\n"
    "                 \"at\" member. Items: objects, camera, lights (version 1: objects, camera).\n"
    "                 Versions 2, 4 and 5: the envelopes at frame / FramesPerSecond, at any\n"
    "                 frame, in the file's units, angles in radians (version 2 writes degrees,\n"
    "                 read as radians). Versions 1 and 3: the baked samples (version 1\n"
    "                 angles in degrees); a value the baking made no sample for (outside\n"
    "                 the scene's frames, or its channel's keys) is null, \"-\" in the\n"
    "                 listing. A channel an item lacks gives 0, or 1 for scale.\n"
    "  --help         this text\n"
    "  --version      the version\n"
    "Exit status: 0 when the scene was read, 1 when it could not be, 2 for a wrong command line.\n"};

using json::number;
using json::quoted;
using terminal::printable;

std::string count(size_t value) { return number(static_cast<int64_t>(value)); }

// Version 3 channels are baked as Hermite spans from the stored tangents, from the first key
// to just before the last, then on to the scene's end only as the post behaviour the file gives;
// this is how a channel's own keys and behaviours differ from that. 1D Bezier spans are drawn by the same formula as Hermite ones, and a
// constant behaviour is what holding the edge sample gives, so neither is listed.
struct NotFollowed {
    std::vector<std::string> spans;       // "TCB", "code 2.5"
    std::vector<std::string> behaviours;  // "pre reset", "post offset repeat"
    bool empty() const { return spans.empty() && behaviours.empty(); }
};

std::string shapeName(double code) {
    const std::optional<SpanShape> shape = spanShapeFromCode(code);
    if (!shape) return "code " + number(code);
    switch (*shape) {
        case SpanShape::Tcb: return "TCB";
        case SpanShape::Hermite: return "Hermite";
        case SpanShape::Bezier1D: return "1D Bezier";
        case SpanShape::Linear: return "linear";
        case SpanShape::Stepped: return "stepped";
        case SpanShape::Bezier2D: return "2D Bezier";
    }
    return "code " + number(code);
}

std::string behaviourName(EnvelopeBehavior behaviour) {
    switch (behaviour) {
        case EnvelopeBehavior::Reset: return "reset";
        case EnvelopeBehavior::Constant: return "constant";
        case EnvelopeBehavior::Repeat: return "repeat";
        case EnvelopeBehavior::Oscillate: return "oscillate";
        case EnvelopeBehavior::OffsetRepeat: return "offset repeat";
        case EnvelopeBehavior::Linear: return "linear";
    }
    return "";
}

bool bakedAsHermite(double code) {
    const std::optional<SpanShape> shape = spanShapeFromCode(code);
    return shape == SpanShape::Hermite || shape == SpanShape::Bezier1D;
}

// Behaviours other than constant give values before the first key that the baking has no
// samples for. Reset is not listed, as it never was: a channel without a "Behaviors" line has 0
// there too. With a single key every behaviour but reset holds that key's value, and an unknown
// number holds the edge key's value as constant does.
bool listedBehaviour(int32_t code, size_t keys) {
    const std::optional<EnvelopeBehavior> behaviour = behaviorFromCode(code);
    if (!behaviour || behaviour == EnvelopeBehavior::Constant ||
        behaviour == EnvelopeBehavior::Reset) {
        return false;
    }
    return keys >= 2;
}

// What describing an item needs besides the item: the scene its parent is found in (the scene
// outlives the listing), and whether channels are noted where the baking does not follow them
// (version 3 only: versions 2, 4 and 5 are baked by the full envelope evaluation).
struct Listing {
    const LwsScene& scene;
    bool notesApply;
};

NotFollowed notFollowed(const Listing& listing, const Envelope& envelope) {
    NotFollowed result;
    if (!listing.notesApply) return result;
    const size_t keys = envelope.keys.size();
    // Every key shapes a span in a channel of two keys or more, the first its outgoing tangent.
    for (size_t k = 0; keys >= 2 && k < keys; ++k) {
        const double code = envelope.keys[k].shape;
        const std::string name = shapeName(code);
        if (bakedAsHermite(code) ||
            std::find(result.spans.begin(), result.spans.end(), name) != result.spans.end()) {
            continue;
        }
        result.spans.push_back(name);
    }
    if (listedBehaviour(envelope.preBehavior, keys)) {
        result.behaviours.push_back("pre " + behaviourName(*behaviorFromCode(envelope.preBehavior)));
    }
    // After the last key the baking follows whatever behaviour the file gives
    // (followPostBehaviors), so only the side before the first key is ever listed.
    return result;
}

std::string notFollowedJson(const Listing& listing, const Envelope& envelope) {
    const NotFollowed items = notFollowed(listing, envelope);
    std::vector<std::string> names;
    for (const std::string& span : items.spans) names.push_back("span " + span);
    names.insert(names.end(), items.behaviours.begin(), items.behaviours.end());
    return json::array(names, [](const std::string& name) { return quoted(name); });
}

// "a", "a and b", "a, b and c"
std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

// One line, or nothing for a channel the baking follows.
void printNotFollowed(const Listing& listing, const Envelope& envelope) {
    const NotFollowed items = notFollowed(listing, envelope);
    if (items.empty()) return;
    std::vector<std::string> parts;
    if (!items.spans.empty()) {
        parts.push_back((items.spans.size() == 1 ? "span " : "spans ") + listed(items.spans) +
                        " baked as Hermite");
    }
    for (const std::string& behaviour : items.behaviours) {
        const size_t side = behaviour.find(' ');
        const bool pre = behaviour.compare(0, side, "pre") == 0;
        parts.push_back(behaviour.substr(0, side) + " behaviour" + behaviour.substr(side) +
                        ", nothing baked " + (pre ? "before the first key" : "past the last key"));
    }
    std::cout << "      not followed: ";
    for (size_t i = 0; i < parts.size(); ++i) std::cout << (i > 0 ? "; " : "") << parts[i];
    std::cout << "\n";
}

std::string channelJson(const Listing& listing, const EnvelopeChannel& channel,
                        const SampleArray* samples) {
    const bool any = samples && !samples->empty();
    return json::object({{"index", number(int64_t{channel.channelIndex})},
                         {"keys", count(channel.envelope.keys.size())},
                         {"samples", count(samples ? samples->size() : 0)},
                         {"first", any ? number(samples->front()) : "null"},
                         {"last", any ? number(samples->back()) : "null"},
                         {"notFollowed", notFollowedJson(listing, channel.envelope)}});
}

std::string channelsJson(const Listing& listing, const SceneItem& item) {
    std::vector<std::string> channels;
    for (size_t i = 0; i < item.channels.size(); ++i) {
        channels.push_back(channelJson(listing, item.channels[i],
                                       i < item.samples.size() ? &item.samples[i] : nullptr));
    }
    return json::array(channels, [](const std::string& channel) { return channel; });
}

// Items without a loaded mesh (nulls, refused or unreadable files) have none.
size_t polygonsOf(const std::shared_ptr<LwoObject>& mesh) { return mesh ? mesh->polygons.size() : 0; }

std::string polygonCount(const std::shared_ptr<LwoObject>& mesh) { return count(polygonsOf(mesh)); }

// Versions 4 and 5 name items by hexadecimal id; 0 elsewhere.
std::string hexId(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", id);
    return text;
}

std::string itemKind(const SceneItem& object) { return object.isNull ? "null" : "object"; }

// Resolved parents only are set in the object list.
std::string parentName(const Listing& listing, const SceneItem& object) {
    const int32_t parent = object.parentIndex;
    if (parent < 0) return {};
    const LwsScene& scene = listing.scene;
    const size_t p = static_cast<size_t>(parent);
    switch (object.parentKind) {
        case SceneItemKind::Object: return p < scene.objects.size() ? scene.objects[p].name : std::string();
        case SceneItemKind::Light: return p < scene.lights.size() ? scene.lights[p].name : std::string();
        case SceneItemKind::Camera: return scene.camera.name;
    }
    return {};
}

bool hasPivotRotation(const SceneItem& item) {
    const double* turn = item.pivotRotation;
    return turn[0] != 0.0 || turn[1] != 0.0 || turn[2] != 0.0;
}

std::string objectJson(const Listing& listing, const SceneItem& object) {
    std::vector<json::Member> members({{"name", quoted(object.name)},
                         {"layerNumber", number(int64_t{object.layerNumber})},
                         {"numChannels", number(int64_t{object.numChannels})},
                         {"channels", channelsJson(listing, object)},
                         {"meshPolygons", polygonCount(object.mesh)},
                         {"kind", quoted(itemKind(object))},
                         {"id", quoted(hexId(object.itemId))},
                         {"parent", object.parentIndex < 0 ? "null" : quoted(parentName(listing, object))},
                         {"pivot", json::array(std::vector<double>(object.pivot, object.pivot + 3),
                                               [](double v) { return number(v); })}});
    // Only where the file turns the pivot, so the output of every other scene stays as it was.
    if (hasPivotRotation(object)) {
        members.push_back({"pivotRotation",
                           json::array(std::vector<double>(object.pivotRotation, object.pivotRotation + 3),
                                       [](double v) { return number(v); })});
    }
    return json::object(members);
}

std::string cameraJson(const Listing& listing, const SceneCamera& camera) {
    return json::object({{"fieldOfView", number(camera.fieldOfView)},
                         {"frameWidth", number(camera.frameWidth)},
                         {"frameHeight", number(camera.frameHeight)},
                         {"zoomFactor", number(camera.zoomFactor)},
                         {"channels", channelsJson(listing, camera)},
                         {"id", quoted(hexId(camera.itemId))}});
}

std::string lightJson(const Listing& listing, const SceneLight& light) {
    return json::object({{"name", quoted(light.name)},
                         {"channels", channelsJson(listing, light)},
                         {"id", quoted(hexId(light.itemId))}});
}

std::string objectV1Json(const SceneObjectV1& object) {
    return json::object({{"name", quoted(object.name)},
                         {"samples", count(object.motion.samples.size())},
                         {"meshPolygons", polygonCount(object.mesh)}});
}

std::string atJson(const LwsScene& scene, const std::vector<int32_t>& frames);

// With frames asked for (--at), their values close the object as "at".
std::string sceneJson(const Listing& listing, const std::vector<int32_t>& frames) {
    const LwsScene& scene = listing.scene;
    const bool v1 = scene.header.version == 1;
    const auto object = [&](const SceneItem& item) { return objectJson(listing, item); };
    const auto light = [&](const SceneLight& item) { return lightJson(listing, item); };
    std::vector<json::Member> members(
        {{"version", number(int64_t{scene.header.version})},
         {"firstFrame", number(int64_t{scene.firstFrame})},
         {"lastFrame", number(int64_t{scene.lastFrame})},
         {"framesPerSecond", number(int64_t{v1 ? scene.v1FramesPerSecond : scene.framesPerSecond})},
         {"previewLastFrame", number(int64_t{scene.previewLastFrame})},
         {"objects", json::array(scene.objects, object)},
         {"camera", cameraJson(listing, scene.camera)},
         {"lights", json::array(scene.lights, light)},
         {"v1Objects", json::array(scene.v1Objects, objectV1Json)},
         {"v1FieldOfView", number(scene.v1FieldOfView)},
         {"skippedKeywords", number(int64_t{scene.skippedKeywords})},
         {"skippedBlocks", number(int64_t{scene.skippedBlocks})}});
    if (!frames.empty()) members.push_back({"at", atJson(scene, frames)});
    return json::object(members);
}

void printChannels(const Listing& listing, const SceneItem& item) {
    for (size_t i = 0; i < item.channels.size(); ++i) {
        const size_t samples = i < item.samples.size() ? item.samples[i].size() : 0;
        std::cout << "    channel " << item.channels[i].channelIndex << ": "
                  << item.channels[i].envelope.keys.size() << " keys, " << samples
                  << " samples\n";
        printNotFollowed(listing, item.channels[i].envelope);
    }
}

// Versions 4 and 5: the item's id, its parent and the pivot it turns about.
void printLinks(const Listing& listing, const SceneItem& object) {
    std::cout << "    id " << hexId(object.itemId) << ", parent "
              << (object.parentIndex < 0 ? std::string("none") : printable(parentName(listing, object)))
              << ", pivot " << object.pivot[0] << " " << object.pivot[1] << " " << object.pivot[2];
    if (hasPivotRotation(object)) {
        const double* turn = object.pivotRotation;
        std::cout << ", pivot rotation " << turn[0] << " " << turn[1] << " " << turn[2];
    }
    std::cout << "\n";
}

void printListing(const Listing& listing) {
    const LwsScene& scene = listing.scene;
    std::cout << "version " << scene.header.version << "\n";
    if (scene.header.version == 1) {
        std::cout << "frames per second " << scene.v1FramesPerSecond << ", field of view "
                  << scene.v1FieldOfView << " degrees\n";
        for (const SceneObjectV1& object : scene.v1Objects) {
            std::cout << "object " << printable(object.name) << ": " << object.motion.samples.size()
                      << " samples, " << polygonsOf(object.mesh) << " polygons\n";
        }
        std::cout << "camera: " << scene.v1CameraMotion.samples.size() << " samples\n";
        return;
    }
    std::cout << "frames " << scene.firstFrame << " to " << scene.lastFrame << " at "
              << scene.framesPerSecond << " per second, preview to " << scene.previewLastFrame
              << "\n";
    const bool ids = scene.header.version >= 4;
    for (const SceneItem& object : scene.objects) {
        if (object.isNull) {
            std::cout << "null " << printable(object.name) << "\n";
        } else {
            std::cout << "object " << printable(object.name) << " (layer " << object.layerNumber
                      << "): " << polygonsOf(object.mesh) << " polygons\n";
        }
        if (ids) printLinks(listing, object);
        printChannels(listing, object);
    }
    std::cout << "camera " << printable(scene.camera.cameraName) << ": " << scene.camera.frameWidth << "x"
              << scene.camera.frameHeight << ", zoom " << scene.camera.zoomFactor
              << ", field of view " << scene.camera.fieldOfView << " degrees\n";
    if (ids) std::cout << "    id " << hexId(scene.camera.itemId) << "\n";
    printChannels(listing, scene.camera);
    for (const SceneLight& light : scene.lights) {
        std::cout << "light " << printable(light.name) << "\n";
        if (ids) std::cout << "    id " << hexId(light.itemId) << "\n";
        printChannels(listing, light);
    }
    if (ids || scene.header.version == 2) {
        std::cout << "skipped: " << scene.skippedKeywords << " unknown keywords, "
                  << scene.skippedBlocks << " blocks\n";
    }
}

// ---- --at: each item's nine channel values at chosen frames ----

// A frame list as typed: whole numbers separated by commas ("-10,0,45"), nine digits at most
// each, so every frame fits an int32 with room to spare.
bool parseFrames(const std::string& text, std::vector<int32_t>& frames) {
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? comma : comma - start);
        const size_t digits = item.size() - (item.empty() || item[0] != '-' ? 0 : 1);
        if (digits == 0 || digits > 9 ||
            item.find_first_not_of("0123456789", item.size() - digits) != std::string::npos) {
            return false;
        }
        frames.push_back(static_cast<int32_t>(std::stol(item)));
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

constexpr size_t kItemChannels = 9;
// What a channel an item does not have stands for: no move, no turn, full size.
constexpr double kChannelDefaults[kItemChannels] = {0, 0, 0, 0, 0, 0, 1, 1, 1};

// Nothing where the baking holds no sample.
using ChannelValues = std::array<std::optional<double>, kItemChannels>;

// One item as the report lists it: from the scene model (versions 2 to 5) or a version 1 motion.
struct ListedItem {
    std::string label;  // "object cube.lwo", "camera Camera", "light Light"
    const SceneItem* item = nullptr;
    const MotionV1* motion = nullptr;
    int32_t motionChannels = 0;  // version 1 camera motions may give fewer than nine
};

std::vector<ListedItem> listedItems(const LwsScene& scene) {
    std::vector<ListedItem> items;
    if (scene.header.version == 1) {
        for (const SceneObjectV1& object : scene.v1Objects) {
            items.push_back({"object " + object.name, nullptr, &object.motion,
                             object.motion.channelCount});
        }
        items.push_back({"camera", nullptr, &scene.v1CameraMotion,
                         scene.v1CameraMotion.channelCount});
        return items;
    }
    for (const SceneItem& object : scene.objects) {
        items.push_back({itemKind(object) + " " + object.name, &object, nullptr, 0});
    }
    items.push_back({"camera " + scene.camera.cameraName, &scene.camera, nullptr, 0});
    for (const SceneLight& light : scene.lights) {
        items.push_back({"light " + light.name, &light, nullptr, 0});
    }
    return items;
}

// Versions 4 and 5 name each channel ("Channel 6"), version 2 numbers them in order; the
// first of a number counts.
const EnvelopeChannel* channelNumbered(const SceneItem& item, size_t number) {
    for (const EnvelopeChannel& channel : item.channels) {
        if (channel.channelIndex == static_cast<int32_t>(number)) return &channel;
    }
    return nullptr;
}

ChannelValues envelopeValuesAt(const LwsScene& scene, const SceneItem& item, int32_t frame) {
    ChannelValues values;
    for (size_t c = 0; c < kItemChannels; ++c) {
        const EnvelopeChannel* channel = channelNumbered(item, c);
        if (!channel) {
            values[c] = kChannelDefaults[c];
        } else if (scene.framesPerSecond > 0) {  // no rate, no time for a frame
            values[c] = evaluateEnvelope(channel->envelope,
                                         static_cast<double>(frame) / scene.framesPerSecond);
        }
    }
    return values;
}

// Version 3: sample i of a channel is the frame of its first key plus i, as the baking steps
// one frame at a time from that key; channels count in the order read, as they are played.
ChannelValues bakedValuesAt(const LwsScene& scene, const SceneItem& item, int32_t frame) {
    ChannelValues values;
    const bool inRange = frame >= scene.firstFrame && frame <= scene.lastFrame;
    for (size_t c = 0; c < kItemChannels; ++c) {
        if (c >= item.channels.size()) {
            values[c] = kChannelDefaults[c];
            continue;
        }
        const std::vector<EnvelopeKey>& keys = item.channels[c].envelope.keys;
        if (!inRange || keys.empty() || c >= item.samples.size()) continue;
        const double index =
            frame - std::round(keys.front().time * static_cast<double>(scene.framesPerSecond));
        if (index >= 0.0 && index < static_cast<double>(item.samples[c].size())) {
            values[c] = item.samples[c][static_cast<size_t>(index)];
        }
    }
    return values;
}

// Version 1: sample j is one frame past the first key plus j (the first key's own values are
// never baked); its frames are the scene's, as version 1 keeps no frame range.
ChannelValues motionValuesAt(const ListedItem& listed, int32_t frame) {
    ChannelValues values;
    const MotionV1& motion = *listed.motion;
    const double first = motion.keys.empty() || motion.keys[0].params.empty()
                             ? 0.0
                             : static_cast<double>(motion.keys[0].params[0]) + 1.0;
    const double index = static_cast<double>(frame) - first;
    const bool baked =
        !motion.keys.empty() && index >= 0.0 && index < static_cast<double>(motion.samples.size());
    for (size_t c = 0; c < kItemChannels; ++c) {
        if (static_cast<int32_t>(c) >= listed.motionChannels) {
            values[c] = kChannelDefaults[c];
        } else if (baked) {
            values[c] = motion.samples[static_cast<size_t>(index)].channel[c];
        }
    }
    return values;
}

ChannelValues valuesAt(const LwsScene& scene, const ListedItem& listed, int32_t frame) {
    if (listed.motion) return motionValuesAt(listed, frame);
    if (scene.header.version == 3) return bakedValuesAt(scene, *listed.item, frame);
    return envelopeValuesAt(scene, *listed.item, frame);
}

std::string atJson(const LwsScene& scene, const std::vector<int32_t>& frames) {
    const std::vector<ListedItem> items = listedItems(scene);
    return json::array(frames, [&](int32_t frame) {
        std::vector<std::string> rows;
        for (const ListedItem& item : items) {
            const ChannelValues values = valuesAt(scene, item, frame);
            rows.push_back(json::array(std::vector<std::optional<double>>(values.begin(), values.end()),
                                       [](const std::optional<double>& v) {
                                           return v ? number(*v) : std::string("null");
                                       }));
        }
        return json::object({{"frame", number(int64_t{frame})},
                             {"items", json::array(rows, [](const std::string& row) { return row; })}});
    });
}

// A table, a row per frame and item, the item's name last so the numbers stay in columns.
void printValuesAt(const LwsScene& scene, const std::vector<int32_t>& frames) {
    static const char* const kHeadings[kItemChannels] = {
        "x", "y", "z", "heading", "pitch", "bank", "scale x", "scale y", "scale z"};
    const std::vector<ListedItem> items = listedItems(scene);
    std::cout << "values at frames (angles in "
              << (scene.header.version == 1 ? "degrees" : "radians")
              << "; - where nothing was baked):\n";
    char cell[32];
    std::cout << "     frame";
    for (const char* heading : kHeadings) {
        std::snprintf(cell, sizeof cell, " %12s", heading);
        std::cout << cell;
    }
    std::cout << "  item\n";
    for (const int32_t frame : frames) {
        for (const ListedItem& item : items) {
            std::snprintf(cell, sizeof cell, "%10d", static_cast<int>(frame));
            std::cout << cell;
            for (const std::optional<double>& value : valuesAt(scene, item, frame)) {
                if (value) {
                    std::snprintf(cell, sizeof cell, " %12.6g", *value);
                } else {
                    std::snprintf(cell, sizeof cell, " %12s", "-");
                }
                std::cout << cell;
            }
            std::cout << "  " << printable(item.label) << "\n";
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (const int exitCode = handleHelpAndVersion(kProgram, argc, argv); exitCode >= 0) return exitCode;
    bool json = false;
    bool verbose = false;
    bool optionsEnded = false;
    std::string path;
    std::string contentDir;
    std::string allowDir;
    std::vector<int32_t> frames;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || !looksLikeOption(argv[i])) {
            if (!path.empty()) return usageError(kProgram, "one scene at a time, not also " + arg);
            path = arg;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--verbose") {
            verbose = true;
        } else if (arg == "--content" || arg == "--allow") {
            if (i + 1 >= argc || looksLikeOption(argv[i + 1]))
                return usageError(kProgram, arg + " needs a folder");
            (arg == "--content" ? contentDir : allowDir) = argv[++i];
        } else if (arg == "--at") {
            // Frames before the scene's start are negative: "-10" is a frame here, no option.
            if (i + 1 >= argc) return usageError(kProgram, "--at needs frames");
            if (!parseFrames(argv[i + 1], frames)) {
                return usageError(kProgram, "--at needs whole frames separated by commas, not " +
                                                std::string(argv[i + 1]));
            }
            ++i;
        } else {
            return usageError(kProgram, "unknown option " + arg);
        }
    }
    if (path.empty()) return usageError(kProgram, "no scene file given");
    LwsScene scene(path, contentDir);
    scene.allowDir = allowDir;
    scene.loadTextures = false;
    scene.errors = nullptr;  // written below, escaped
    if (json && verbose) {
        // Standard error is unbuffered in C and C++ alike: a write for every piece of the
        // progress printout. Buffered like standard output, it is flushed at exit.
        std::setvbuf(stderr, nullptr, _IOFBF, BUFSIZ);
        std::cerr.unsetf(std::ios::unitbuf);
    }
    scene.progress = !verbose ? nullptr : json ? &std::cerr : &std::cout;
    const bool failed = scene.load();
    const Listing listing{scene, scene.header.version == 3};
    for (const std::string& reason : scene.reasons()) {
        std::cerr << kProgram.name << ": " << printable(reason) << "\n";
    }
    if (json) {
        std::cout << sceneJson(listing, frames) << std::endl;
    } else {
        if (verbose) std::cout << "\n";
        printListing(listing);
        if (!frames.empty()) printValuesAt(scene, frames);
    }
    return failed ? 1 : 0;
}
