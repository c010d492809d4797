// lws-info: reads a scene with the engine's reader (objects included) and prints what it read.
//
//   lws-info [--json] [--verbose] [--content DIR] [--] FILE.lws
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
// objects also their parent and pivot; a last line counts what was skipped unread.
// Under each version 3 channel whose span shapes or behaviours the baking does not follow, one
// line says so; in --json, the channel's "notFollowed" list.
// Objects are looked up in DIR (default: the scene's folder); textures are not loaded (no GL
// context here). For a version 1 scene, framesPerSecond is its "FramesPerSecond" setting.
// Exit status: 0 when the scene was read, 1 when it could not be (the output still describes
// the empty scene), 2 for a wrong command line.
#include "app/command_line.h"
#include "scene/envelope_eval.h"
#include "scene/lws_scene.h"
#include "tools/json_text.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

const ProgramInfo kProgram = {
    "lws-info",
    "usage: lws-info [--json] [--verbose] [--content DIR] [--] FILE.lws\n"
    "Reads a LightWave scene, objects included, and says what it holds.\n"
    "  --json         one JSON object on standard output\n"
    "  --verbose      the reader's progress printout too (on standard error with --json)\n"
    "  --content DIR  where the scene's objects are (default: the scene's folder)\n"
    "  --help         this text\n"
    "  --version      the version\n"
    "Exit status: 0 when the scene was read, 1 when it could not be, 2 for a wrong command line.\n"};

using json::number;
using json::quoted;
using terminal::printable;

std::string count(size_t value) { return number(static_cast<int64_t>(value)); }

// Version 3 channels are baked as Hermite spans from the stored tangents, from the first key
// to just before the last and nothing outside; this is how a channel's own keys and behaviours
// differ from that. 1D Bezier spans are drawn by the same formula as Hermite ones, and a
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

// Behaviours other than constant give values outside the keys that the baking has no samples
// for. Reset is not listed: the reader keeps a "Behaviors" line only when it comes before the
// envelope's last key (it stops at the announced key count), and otherwise leaves 0, which
// cannot be told from a reset read from the file. With a single key every behaviour but reset
// holds that key's value, and an unknown number holds the edge key's value as constant does.
bool listedBehaviour(int32_t code, size_t keys) {
    const std::optional<EnvelopeBehavior> behaviour = behaviorFromCode(code);
    if (!behaviour || behaviour == EnvelopeBehavior::Constant ||
        behaviour == EnvelopeBehavior::Reset) {
        return false;
    }
    return keys >= 2;
}

// Versions 4 and 5 are baked by the full envelope evaluation: nothing to note for them.
bool g_notesApply = true;

NotFollowed notFollowed(const Envelope& envelope) {
    NotFollowed result;
    if (!g_notesApply) return result;
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
    if (listedBehaviour(envelope.postBehavior, keys)) {
        result.behaviours.push_back("post " +
                                    behaviourName(*behaviorFromCode(envelope.postBehavior)));
    }
    return result;
}

std::string notFollowedJson(const Envelope& envelope) {
    const NotFollowed items = notFollowed(envelope);
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
void printNotFollowed(const Envelope& envelope) {
    const NotFollowed items = notFollowed(envelope);
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

std::string channelJson(const EnvelopeChannel& channel, const SampleArray* samples) {
    const bool any = samples && !samples->empty();
    return json::object({{"index", number(int64_t{channel.channelIndex})},
                         {"keys", count(channel.envelope.keys.size())},
                         {"samples", count(samples ? samples->size() : 0)},
                         {"first", any ? number(samples->front()) : "null"},
                         {"last", any ? number(samples->back()) : "null"},
                         {"notFollowed", notFollowedJson(channel.envelope)}});
}

std::string channelsJson(const SceneItem& item) {
    std::vector<std::string> channels;
    for (size_t i = 0; i < item.channels.size(); ++i) {
        channels.push_back(
            channelJson(item.channels[i], i < item.samples.size() ? &item.samples[i] : nullptr));
    }
    return json::array(channels, [](const std::string& channel) { return channel; });
}

std::string polygonCount(const LwoObject& mesh) { return count(mesh.polygons.size()); }

// Versions 4 and 5 name items by hexadecimal id; 0 elsewhere.
std::string hexId(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", id);
    return text;
}

std::string itemKind(const SceneItem& object) { return object.isNull ? "null" : "object"; }

// Resolved parents only are set in the object list; the scene outlives every call.
const LwsScene* g_scene = nullptr;

std::string parentName(const SceneItem& object) {
    const int32_t parent = object.parentIndex;
    if (!g_scene || parent < 0 || static_cast<size_t>(parent) >= g_scene->objects.size()) return {};
    return g_scene->objects[static_cast<size_t>(parent)].name;
}

std::string objectJson(const SceneItem& object) {
    return json::object({{"name", quoted(object.name)},
                         {"layerNumber", number(int64_t{object.layerNumber})},
                         {"numChannels", number(int64_t{object.numChannels})},
                         {"channels", channelsJson(object)},
                         {"meshPolygons", polygonCount(object.mesh)},
                         {"kind", quoted(itemKind(object))},
                         {"id", quoted(hexId(object.itemId))},
                         {"parent", object.parentIndex < 0 ? "null" : quoted(parentName(object))},
                         {"pivot", json::array(std::vector<double>(object.pivot, object.pivot + 3),
                                               [](double v) { return number(v); })}});
}

std::string cameraJson(const SceneCamera& camera) {
    return json::object({{"fieldOfView", number(camera.fieldOfView)},
                         {"frameWidth", number(camera.frameWidth)},
                         {"frameHeight", number(camera.frameHeight)},
                         {"zoomFactor", number(camera.zoomFactor)},
                         {"channels", channelsJson(camera)},
                         {"id", quoted(hexId(camera.itemId))}});
}

std::string lightJson(const SceneLight& light) {
    return json::object({{"name", quoted(light.name)},
                         {"channels", channelsJson(light)},
                         {"id", quoted(hexId(light.itemId))}});
}

std::string objectV1Json(const SceneObjectV1& object) {
    return json::object({{"name", quoted(object.name)},
                         {"samples", count(object.motion.samples.size())},
                         {"meshPolygons", polygonCount(object.mesh)}});
}

std::string sceneJson(const LwsScene& scene) {
    const bool v1 = scene.header.version == 1;
    return json::object(
        {{"version", number(int64_t{scene.header.version})},
         {"firstFrame", number(int64_t{scene.firstFrame})},
         {"lastFrame", number(int64_t{scene.lastFrame})},
         {"framesPerSecond", number(int64_t{v1 ? scene.v1FramesPerSecond : scene.framesPerSecond})},
         {"previewLastFrame", number(int64_t{scene.previewLastFrame})},
         {"objects", json::array(scene.objects, objectJson)},
         {"camera", cameraJson(scene.camera)},
         {"lights", json::array(scene.lights, lightJson)},
         {"v1Objects", json::array(scene.v1Objects, objectV1Json)},
         {"v1FieldOfView", number(scene.v1FieldOfView)},
         {"skippedKeywords", number(int64_t{scene.skippedKeywords})},
         {"skippedBlocks", number(int64_t{scene.skippedBlocks})}});
}

void printChannels(const SceneItem& item) {
    for (size_t i = 0; i < item.channels.size(); ++i) {
        const size_t samples = i < item.samples.size() ? item.samples[i].size() : 0;
        std::cout << "    channel " << item.channels[i].channelIndex << ": "
                  << item.channels[i].envelope.keys.size() << " keys, " << samples
                  << " samples\n";
        printNotFollowed(item.channels[i].envelope);
    }
}

// Versions 4 and 5: the item's id, its parent and the pivot it turns about.
void printLinks(const SceneItem& object) {
    std::cout << "    id " << hexId(object.itemId) << ", parent "
              << (object.parentIndex < 0 ? std::string("none") : printable(parentName(object)))
              << ", pivot " << object.pivot[0] << " " << object.pivot[1] << " " << object.pivot[2]
              << "\n";
}

void printListing(const LwsScene& scene) {
    std::cout << "version " << scene.header.version << "\n";
    if (scene.header.version == 1) {
        std::cout << "frames per second " << scene.v1FramesPerSecond << ", field of view "
                  << scene.v1FieldOfView << " degrees\n";
        for (const SceneObjectV1& object : scene.v1Objects) {
            std::cout << "object " << printable(object.name) << ": " << object.motion.samples.size()
                      << " samples, " << object.mesh.polygons.size() << " polygons\n";
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
                      << "): " << object.mesh.polygons.size() << " polygons\n";
        }
        if (ids) printLinks(object);
        printChannels(object);
    }
    std::cout << "camera " << printable(scene.camera.cameraName) << ": " << scene.camera.frameWidth << "x"
              << scene.camera.frameHeight << ", zoom " << scene.camera.zoomFactor
              << ", field of view " << scene.camera.fieldOfView << " degrees\n";
    if (ids) std::cout << "    id " << hexId(scene.camera.itemId) << "\n";
    printChannels(scene.camera);
    for (const SceneLight& light : scene.lights) {
        std::cout << "light " << printable(light.name) << "\n";
        if (ids) std::cout << "    id " << hexId(light.itemId) << "\n";
        printChannels(light);
    }
    if (ids) {
        std::cout << "skipped: " << scene.skippedKeywords << " unknown keywords, "
                  << scene.skippedBlocks << " blocks\n";
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
        } else if (arg == "--content") {
            if (i + 1 >= argc || looksLikeOption(argv[i + 1]))
                return usageError(kProgram, "--content needs a folder");
            contentDir = argv[++i];
        } else {
            return usageError(kProgram, "unknown option " + arg);
        }
    }
    if (path.empty()) return usageError(kProgram, "no scene file given");
    LwsScene scene(path, contentDir);
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
    g_scene = &scene;
    g_notesApply = scene.header.version < 4;
    for (const std::string& reason : scene.reasons()) {
        std::cerr << kProgram.name << ": " << printable(reason) << "\n";
    }
    if (json) {
        std::cout << sceneJson(scene) << std::endl;
    } else {
        if (verbose) std::cout << "\n";
        printListing(scene);
    }
    return failed ? 1 : 0;
}
