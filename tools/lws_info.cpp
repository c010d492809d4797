// lws-info: reads a scene with the engine's reader (objects included) and prints what it read.
//
//   lws-info [--json] [--content DIR] [--] FILE.lws
//
// The reader's own progress printout comes first, as the engine prints it. Then either a
// listing for people or, with --json, one JSON object on the last line of standard output.
// Objects are looked up in DIR (default: the scene's folder); textures are not loaded (no GL
// context here). For a version 1 scene, framesPerSecond is its "FramesPerSecond" setting.
// Exit status: 0 when the scene was read, 1 when it could not be (the output still describes
// the empty scene), 2 for a wrong command line.
#include "app/command_line.h"
#include "scene/lws_scene.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

const ProgramInfo kProgram = {
    "lws-info",
    "usage: lws-info [--json] [--content DIR] [--] FILE.lws\n"
    "Reads a LightWave scene, objects included, and says what it holds.\n"
    "  --json         one JSON object on the last line\n"
    "  --content DIR  where the scene's objects are (default: the scene's folder)\n"
    "  --help         this text\n"
    "  --version      the version\n"
    "Exit status: 0 when the scene was read, 1 when it could not be, 2 for a wrong command line.\n"};

template <typename T>
std::string number(T value) {
    if (!std::isfinite(value)) return "null";
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string number(int64_t value) { return std::to_string(value); }

// Any bytes a scene holds become valid JSON: bytes past ASCII are taken as Latin-1.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u >= 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

template <typename T, typename Write>
std::string array(const std::vector<T>& items, Write write) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + write(items[i], i);
    return out + "]";
}

std::string channelsJson(const SceneItem& item) {
    return array(item.channels, [&](const EnvelopeChannel& channel, size_t i) {
        const SampleArray* samples = i < item.samples.size() ? &item.samples[i] : nullptr;
        const bool any = samples && !samples->empty();
        return "{\"index\":" + number(int64_t{channel.channelIndex}) +
               ",\"keys\":" + number(static_cast<int64_t>(channel.envelope.keys.size())) +
               ",\"samples\":" + number(static_cast<int64_t>(samples ? samples->size() : 0)) +
               ",\"first\":" + (any ? number(samples->front()) : "null") +
               ",\"last\":" + (any ? number(samples->back()) : "null") + "}";
    });
}

std::string polygonCount(const LwoObject& mesh) {
    return number(static_cast<int64_t>(mesh.polygons.size()));
}

std::string sceneJson(const LwsScene& scene) {
    const bool v1 = scene.header.version == 1;
    std::string out = "{\"version\":" + number(int64_t{scene.header.version});
    out += ",\"firstFrame\":" + number(int64_t{scene.firstFrame});
    out += ",\"lastFrame\":" + number(int64_t{scene.lastFrame});
    out += ",\"framesPerSecond\":" +
           number(int64_t{v1 ? scene.v1FramesPerSecond : scene.framesPerSecond});
    out += ",\"previewLastFrame\":" + number(int64_t{scene.previewLastFrame});
    out += ",\"objects\":" + array(scene.objects, [](const SceneItem& object, size_t) {
        return "{\"name\":" + quoted(object.name) +
               ",\"layerNumber\":" + number(int64_t{object.layerNumber}) +
               ",\"numChannels\":" + number(int64_t{object.numChannels}) +
               ",\"channels\":" + channelsJson(object) +
               ",\"meshPolygons\":" + polygonCount(object.mesh) + "}";
    });
    const SceneCamera& camera = scene.camera;
    out += ",\"camera\":{\"fieldOfView\":" + number(camera.fieldOfView) +
           ",\"frameWidth\":" + number(camera.frameWidth) +
           ",\"frameHeight\":" + number(camera.frameHeight) +
           ",\"zoomFactor\":" + number(camera.zoomFactor) +
           ",\"channels\":" + channelsJson(camera) + "}";
    out += ",\"lights\":" + array(scene.lights, [](const SceneLight& light, size_t) {
        return "{\"name\":" + quoted(light.name) + ",\"channels\":" + channelsJson(light) + "}";
    });
    out += ",\"v1Objects\":" + array(scene.v1Objects, [](const SceneObjectV1& object, size_t) {
        return "{\"name\":" + quoted(object.name) +
               ",\"samples\":" + number(static_cast<int64_t>(object.motion.samples.size())) +
               ",\"meshPolygons\":" + polygonCount(object.mesh) + "}";
    });
    out += ",\"v1FieldOfView\":" + number(scene.v1FieldOfView) + "}";
    return out;
}

void printChannels(const SceneItem& item) {
    for (size_t i = 0; i < item.channels.size(); ++i) {
        const size_t samples = i < item.samples.size() ? item.samples[i].size() : 0;
        std::cout << "    channel " << item.channels[i].channelIndex << ": "
                  << item.channels[i].envelope.keys.size() << " keys, " << samples
                  << " samples\n";
    }
}

void printListing(const LwsScene& scene) {
    std::cout << "version " << scene.header.version << "\n";
    if (scene.header.version == 1) {
        std::cout << "frames per second " << scene.v1FramesPerSecond << ", field of view "
                  << scene.v1FieldOfView << " degrees\n";
        for (const SceneObjectV1& object : scene.v1Objects) {
            std::cout << "object " << object.name << ": " << object.motion.samples.size()
                      << " samples, " << object.mesh.polygons.size() << " polygons\n";
        }
        std::cout << "camera: " << scene.v1CameraMotion.samples.size() << " samples\n";
        return;
    }
    std::cout << "frames " << scene.firstFrame << " to " << scene.lastFrame << " at "
              << scene.framesPerSecond << " per second, preview to " << scene.previewLastFrame
              << "\n";
    for (const SceneItem& object : scene.objects) {
        std::cout << "object " << object.name << " (layer " << object.layerNumber << "): "
                  << object.mesh.polygons.size() << " polygons\n";
        printChannels(object);
    }
    std::cout << "camera " << scene.camera.cameraName << ": " << scene.camera.frameWidth << "x"
              << scene.camera.frameHeight << ", zoom " << scene.camera.zoomFactor
              << ", field of view " << scene.camera.fieldOfView << " degrees\n";
    printChannels(scene.camera);
    for (const SceneLight& light : scene.lights) {
        std::cout << "light " << light.name << "\n";
        printChannels(light);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (const int exitCode = handleHelpAndVersion(kProgram, argc, argv); exitCode >= 0) return exitCode;
    bool json = false;
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
    const bool failed = scene.load();
    std::cout << "\n";
    if (json) {
        std::cout << sceneJson(scene) << std::endl;
    } else {
        printListing(scene);
    }
    return failed ? 1 : 0;
}
