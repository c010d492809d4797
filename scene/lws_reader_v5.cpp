#include "scene/lws_reader_v5.h"

#include "scene/envelope_eval.h"
#include "scene/lws_scene.h"
#include "scene/scene_tokens.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// Fixed angles such as PivotRotation are written in degrees; the model keeps radians.
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// An item id is at most eight hexadecimal digits; anything else is no id.
bool parseItemId(const std::string& token, uint32_t& id) {
    if (token.empty() || token.size() > 8) return false;
    for (char c : token) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    id = static_cast<uint32_t>(std::strtoul(token.c_str(), nullptr, 16));
    return true;
}

}  // namespace

// ---- what every reader of the later generations shares ----

bool readSceneFrameSetting(LwsScene& scene, const std::string& token) {
    static const struct {
        const char* name;
        int32_t LwsScene::*field;
    } kSettings[] = {
        {"FirstFrame", &LwsScene::firstFrame},
        {"LastFrame", &LwsScene::lastFrame},
        {"FrameStep", &LwsScene::frameStep},
        {"FramesPerSecond", &LwsScene::framesPerSecond},
        {"PreviewFirstFrame", &LwsScene::previewFirstFrame},
        {"PreviewLastFrame", &LwsScene::previewLastFrame},
        {"PreviewFrameStep", &LwsScene::previewFrameStep},
    };
    for (const auto& setting : kSettings) {
        if (token == setting.name) {
            scene.*setting.field = scene.readInt();
            return true;
        }
    }
    return false;
}

void skipSceneBlock(LwsScene& scene, SceneTokens& tokens) {
    ++scene.skippedBlocks;
    int64_t depth = 1;
    std::string token;
    while (depth > 0 && tokens.next(token)) {
        if (token == "{") ++depth;
        if (token == "}") --depth;
    }
}

void skipScenePlugin(LwsScene& scene, SceneTokens& tokens) {
    ++scene.skippedBlocks;
    std::string token;
    while (tokens.next(token) && token != "EndPlugin") {
    }
}

// A friend of LwsScene: it counts what it makes against the scene's own bounds.
class SceneReaderV5 {
public:
    SceneReaderV5(LwsScene& scene, SceneTokens& tokens) : scene_(scene), tokens_(tokens) {}

    void read() {
        std::string token;
        while (tokens_.next(token)) readKeyword(token);
        finishItem();
        if (!scene_.overBound_) resolveParents();
    }

    // One sample per frame of FirstFrame..LastFrame, at the scene's rate.
    static void bake(LwsScene& scene, SceneItem& item) {
        if (scene.overBound_) return;
        const int64_t frames = int64_t{scene.lastFrame} - scene.firstFrame + 1;
        if (item.channels.empty() || frames <= 0 || scene.framesPerSecond <= 0) return;
        if (!scene.withinBound(frames, kMaxSamplesPerChannel, "frames in the scene's range")) {
            return;
        }
        scene.countBaked(frames * static_cast<int64_t>(item.channels.size()));
        if (scene.overBound_) return;
        for (const EnvelopeChannel& channel : item.channels) {
            SampleArray samples(static_cast<size_t>(frames));
            for (int64_t i = 0; i < frames; ++i) {
                const double frame = static_cast<double>(scene.firstFrame + i);
                samples[static_cast<size_t>(i)] =
                    evaluateEnvelope(channel.envelope, frame / scene.framesPerSecond);
            }
            item.samples.push_back(std::move(samples));
        }
    }

private:
    enum class Kind { None, Object, Camera, Light };

    // `index` is into the scene's objects or lights; the camera has none (there is one).
    struct PendingParent {
        Kind kind;
        size_t index;
        uint32_t id;
        int32_t line;
    };

    void readKeyword(const std::string& token) {
        if (readFrameSetting(token) || readAmbient(token) || readItemStart(token) || readItemSetting(token))
            return;
        if (token == "{") {
            skipBlock();
        } else if (token == "Plugin") {
            skipPlugin();
        } else if (!token.empty() && std::isalpha(static_cast<unsigned char>(token[0]))) {
            ++scene_.skippedKeywords;
        }
    }

    bool readFrameSetting(const std::string& token) { return readSceneFrameSetting(scene_, token); }

    bool readAmbient(const std::string& token) {
        if (token == "AmbientColor") {
            for (float& c : scene_.ambientColour) c = static_cast<float>(scene_.readNumber());
        } else if (token == "AmbientIntensity") {
            scene_.ambientIntensity = static_cast<float>(scene_.readNumber());
        } else {
            return false;
        }
        return true;
    }

    bool readItemStart(const std::string& token) {
        if (token == "LoadObjectLayer") {
            startItem(Kind::Object, sizeof(SceneItem));
            item_.layerNumber = scene_.readInt();
            readId();
            item_.name = scene_.keptToken();
            item_.line = tokens_.line();
        } else if (token == "AddNullObject") {
            startItem(Kind::Object, sizeof(SceneItem));
            item_.isNull = true;
            readId();
            item_.name = scene_.keptToken();
            item_.line = tokens_.line();
        } else if (token == "AddCamera") {
            startItem(Kind::Camera, sizeof(SceneCamera));
            readId();
        } else if (token == "AddLight") {
            startItem(Kind::Light, sizeof(SceneLight));
            readId();
        } else {
            return false;
        }
        return true;
    }

    bool readItemSetting(const std::string& token) {
        if (kind_ == Kind::None) return false;
        if (token == "NumChannels") {
            item_.numChannels = scene_.readInt();
        } else if (token == "Channel") {
            readChannel();
        } else if (token == "ShowObject" || token == "ShowLight" || token == "ShowCamera") {
            scene_.readShowPair(item_.showPair);
            item_.shown = item_.showPair[0] != 0;
        } else if (token == "ParentItem") {
            readParent();
        } else if (token == "PivotPosition") {
            for (double& axis : item_.pivot) axis = scene_.readNumber();
        } else if (token == "PivotRotation") {
            for (double& angle : item_.pivotRotation) angle = scene_.readNumber() * kRadiansPerDegree;
        } else if (token == "LightName" || token == "CameraName") {
            item_.name = scene_.keptToken();
        } else if (kind_ == Kind::Light) {
            return readLightSetting(token);
        } else if (kind_ == Kind::Camera) {
            return readCameraSetting(token);
        } else {
            return false;
        }
        return true;
    }

    bool readLightSetting(const std::string& token) {
        if (token == "LightColor") {
            for (float& c : light_.lightColour) c = static_cast<float>(scene_.readNumber());
        } else if (token == "LightIntensity") {
            light_.lightIntensity = static_cast<float>(scene_.readNumber());
        } else if (token == "LightType") {
            light_.lightType = static_cast<float>(scene_.readNumber());
        } else if (token == "LightConeAngle") {
            light_.coneAngle = static_cast<float>(scene_.readNumber());
        } else if (token == "LightEdgeAngle") {
            light_.edgeAngle = static_cast<float>(scene_.readNumber());
        } else {
            return false;
        }
        return true;
    }

    bool readCameraSetting(const std::string& token) {
        if (token == "ZoomFactor") {
            camera_.zoomFactor = static_cast<float>(scene_.readNumber());
        } else if (token == "FrameSize") {
            camera_.frameWidth = static_cast<float>(scene_.readNumber());
            camera_.frameHeight = static_cast<float>(scene_.readNumber());
        } else if (token == "PixelAspect") {
            camera_.pixelAspect = static_cast<float>(scene_.readNumber());
        } else {
            return false;
        }
        return true;
    }

    void startItem(Kind kind, size_t recordBytes) {
        finishItem();
        if (!scene_.beginItem(recordBytes)) return;
        kind_ = kind;
        parentLine_ = 0;
        item_ = SceneItem{};
        camera_ = SceneCamera{};
        light_ = SceneLight{};
        item_.numChannels = 0;
    }

    void readId() {
        std::string token;
        if (!tokens_.next(token)) return;
        if (!parseItemId(token, item_.itemId)) {
            // A block whose id is damaged is not kept: nothing could name it as a parent.
            tokens_.stop("item id \"" + token + "\" is not hexadecimal");
            kind_ = Kind::None;
        }
    }

    void readParent() {
        std::string token;
        if (!tokens_.next(token)) return;
        uint32_t id = 0;
        if (!parseItemId(token, id)) {
            tokens_.stop("parent id \"" + token + "\" is not hexadecimal");
            return;
        }
        item_.parentId = id;
        parentLine_ = tokens_.line();
    }

    // "Channel n { Envelope count Key ... Behaviors pre post }".
    void readChannel() {
        if (!scene_.withinBound(static_cast<int64_t>(item_.channels.size()) + 1,
                                kMaxChannelsPerItem, "channels in one item")) {
            return;
        }
        scene_.cost_.bytes += static_cast<int64_t>(sizeof(EnvelopeChannel) + sizeof(SampleArray));
        EnvelopeChannel channel;
        channel.channelIndex = scene_.readInt();
        std::string token;
        if (!tokens_.next(token) || token != "{") return;
        if (!tokens_.next(token) || token != "Envelope") {
            skipBlock();
            return;
        }
        channel.envelope.keyCount = scene_.readInt();
        // Room once, as announced but no more than the rest of the text can hold ("Key" and
        // nine numbers take 21 bytes at least), so the keys are not copied as they grow.
        const int64_t room = std::min<int64_t>(channel.envelope.keyCount,
                                               static_cast<int64_t>(tokens_.remaining() / 21));
        if (room > 0) channel.envelope.keys.reserve(static_cast<size_t>(room));
        readEnvelopeBody(channel.envelope);
        // The block ends at its "}", not at its count, so the room a false count took is given
        // back here: kept, every channel could hold room for the whole rest of the text.
        channel.envelope.keys.shrink_to_fit();
        item_.channels.push_back(std::move(channel));
    }

    void readEnvelopeBody(Envelope& envelope) {
        std::string token;
        while (tokens_.next(token) && token != "}") {
            if (token == "Key") {
                EnvelopeKey key;
                double* const fields[] = {&key.value,  &key.time,   &key.shape,
                                          &key.param1, &key.param2, &key.param3,
                                          &key.param4, &key.param5, &key.param6};
                for (double* field : fields) *field = scene_.readNumber();
                if (!tokens_.good()) return;  // a key cut short is no key
                envelope.keys.push_back(key);
                scene_.cost_.bytes += static_cast<int64_t>(sizeof(EnvelopeKey));
            } else if (token == "Behaviors") {
                envelope.preBehavior = scene_.readInt();
                envelope.postBehavior = scene_.readInt();
            } else if (token == "{") {
                skipBlock();
            }
        }
    }

    void skipBlock() { skipSceneBlock(scene_, tokens_); }
    void skipPlugin() { skipScenePlugin(scene_, tokens_); }

    void finishItem() {
        const Kind kind = kind_;
        kind_ = Kind::None;
        if (kind == Kind::None) return;
        bake(scene_, item_);
        if (kind == Kind::Camera) {
            // A later camera replaces the earlier one, and so does its parent.
            const auto isCamera = [](const PendingParent& p) { return p.kind == Kind::Camera; };
            pending_.erase(std::remove_if(pending_.begin(), pending_.end(), isCamera),
                           pending_.end());
        }
        if (item_.parentId != 0) {
            const size_t index = kind == Kind::Object  ? scene_.objects.size()
                                 : kind == Kind::Light ? scene_.lights.size()
                                                       : 0;
            pending_.push_back({kind, index, item_.parentId, parentLine_});
            scene_.cost_.bytes += static_cast<int64_t>(sizeof(PendingParent));
        }
        if (kind == Kind::Object) {
            scene_.objects.push_back(std::move(item_));
        } else if (kind == Kind::Light) {
            static_cast<SceneItem&>(light_) = std::move(item_);
            scene_.lights.push_back(std::move(light_));
        } else {
            static_cast<SceneItem&>(camera_) = std::move(item_);
            camera_.cameraName = camera_.name;
            camera_.fieldOfView = LwsScene::computeFieldOfView(
                camera_.frameWidth, camera_.frameHeight, camera_.pixelAspect, camera_.zoomFactor);
            scene_.camera = std::move(camera_);
        }
    }

    // Parents are objects (null objects included), for objects, lights and the camera alike; an
    // id naming none keeps the item unparented.
    void resolveParents() {
        // Objects, lights and the camera may all be parents; the first of an id counts.
        std::unordered_map<uint32_t, std::pair<SceneItemKind, int32_t>> byId;
        for (size_t i = 0; i < scene_.objects.size(); ++i) {
            byId.emplace(scene_.objects[i].itemId, std::make_pair(SceneItemKind::Object, static_cast<int32_t>(i)));
        }
        for (size_t i = 0; i < scene_.lights.size(); ++i) {
            byId.emplace(scene_.lights[i].itemId, std::make_pair(SceneItemKind::Light, static_cast<int32_t>(i)));
        }
        if (scene_.camera.itemId != 0) byId.emplace(scene_.camera.itemId, std::make_pair(SceneItemKind::Camera, 0));
        scene_.cost_.bytes +=
            static_cast<int64_t>(byId.size() * sizeof(decltype(byId)::value_type));
        for (const PendingParent& pending : pending_) {
            SceneItem& item = pendingItem(pending);
            const auto found = byId.find(pending.id);
            const bool itself = found != byId.end() && found->second.first == kindOf(pending.kind) &&
                                (pending.kind == Kind::Camera || found->second.second == static_cast<int32_t>(pending.index));
            if (found != byId.end() && !itself) {
                item.parentKind = found->second.first;
                item.parentIndex = found->second.second;
                continue;
            }
            char hex[16];
            std::snprintf(hex, sizeof hex, "%X", pending.id);
            const char* what = pending.kind == Kind::Object  ? "object "
                               : pending.kind == Kind::Light ? "light "
                                                             : "camera ";
            scene_.objectErrors_.push_back(scene_.sourceName_ + ": line " +
                                           std::to_string(pending.line) + ": " + what +
                                           item.name + ": parent " + hex +
                                           " names no other item; left unparented");
            scene_.report(scene_.objectErrors_.back());
        }
    }

    static SceneItemKind kindOf(Kind kind) {
        return kind == Kind::Light ? SceneItemKind::Light : kind == Kind::Camera ? SceneItemKind::Camera : SceneItemKind::Object;
    }

    SceneItem& pendingItem(const PendingParent& pending) {
        if (pending.kind == Kind::Object) return scene_.objects[pending.index];
        if (pending.kind == Kind::Light) return scene_.lights[pending.index];
        return scene_.camera;
    }

    LwsScene& scene_;
    SceneTokens& tokens_;
    Kind kind_ = Kind::None;
    SceneItem item_;
    SceneCamera camera_;
    SceneLight light_;
    int32_t parentLine_ = 0;
    std::vector<PendingParent> pending_;
};

void readSceneVersion5(LwsScene& scene, SceneTokens& tokens) {
    SceneReaderV5(scene, tokens).read();
}

void bakeOverSceneFrames(LwsScene& scene, SceneItem& item) { SceneReaderV5::bake(scene, item); }
