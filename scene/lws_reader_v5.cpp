#include "scene/lws_reader_v5.h"

#include "scene/envelope_eval.h"
#include "scene/scene_reading.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <charconv>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// Fixed angles such as PivotRotation are written in degrees; the model keeps radians.
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// An item id is at most eight hexadecimal digits; anything else is no id.
bool parseItemId(std::string_view token, uint32_t& id) {
    if (token.empty() || token.size() > 8) return false;
    for (char c : token) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    std::from_chars(token.data(), token.data() + token.size(), id, 16);
    return true;
}

class SceneReaderV5 {
public:
    explicit SceneReaderV5(SceneReading& reading)
        : reading_(reading), scene_(reading.scene()), tokens_(reading.tokens()) {}

    void read() {
        std::string_view token;
        while (tokens_.next(token)) readKeyword(token);
        finishItem();
        if (!reading_.overBound()) resolveParents();
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

    void readKeyword(std::string_view token) {
        if (readFrameSetting(token) || readAmbient(token) || readItemStart(token) || readItemSetting(token))
            return;
        reading_.skipUnread(token, true);
    }

    bool readFrameSetting(std::string_view token) {
        return reading_.readFrameSetting(token) != nullptr;
    }

    bool readAmbient(std::string_view token) {
        if (token == "AmbientColor") {
            for (float& c : scene_.ambientColour) c = static_cast<float>(reading_.readNumber());
        } else if (token == "AmbientIntensity") {
            scene_.ambientIntensity = static_cast<float>(reading_.readNumber());
        } else {
            return false;
        }
        return true;
    }

    bool readItemStart(std::string_view token) {
        if (token == "LoadObjectLayer") {
            startItem(Kind::Object, sizeof(SceneItem));
            item_.layerNumber = reading_.readInt();
            readId();
            item_.name = reading_.keptToken();
            item_.line = tokens_.line();
        } else if (token == "AddNullObject") {
            startItem(Kind::Object, sizeof(SceneItem));
            item_.isNull = true;
            readId();
            item_.name = reading_.keptToken();
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

    bool readItemSetting(std::string_view token) {
        if (kind_ == Kind::None) return false;
        if (token == "NumChannels") {
            item_.numChannels = reading_.readInt();
        } else if (token == "Channel") {
            readChannel();
        } else if (token == "ShowObject" || token == "ShowLight" || token == "ShowCamera") {
            reading_.readShowPair(item_.showPair);
            item_.shown = item_.showPair[0] != 0;
        } else if (token == "ParentItem") {
            readParent();
        } else if (token == "PivotPosition") {
            for (double& axis : item_.pivot) axis = reading_.readNumber();
        } else if (token == "PivotRotation") {
            for (double& angle : item_.pivotRotation) angle = reading_.readNumber() * kRadiansPerDegree;
        } else if (token == "LightName" || token == "CameraName") {
            item_.name = reading_.keptToken();
        } else if (kind_ == Kind::Light) {
            return readLightSetting(token);
        } else if (kind_ == Kind::Camera) {
            return readCameraSetting(token);
        } else {
            return false;
        }
        return true;
    }

    bool readLightSetting(std::string_view token) {
        return reading_.readLightSetting(light_, token) ||
               reading_.readFloats(token, "LightConeAngle", {&light_.coneAngle}) ||
               reading_.readFloats(token, "LightEdgeAngle", {&light_.edgeAngle});
    }

    bool readCameraSetting(std::string_view token) { return reading_.readCameraLens(camera_, token); }

    void startItem(Kind kind, size_t recordBytes) {
        finishItem();
        if (!reading_.beginItem(recordBytes)) return;
        kind_ = kind;
        parentLine_ = 0;
        item_ = SceneItem{};
        camera_ = SceneCamera{};
        light_ = SceneLight{};
        item_.numChannels = 0;
    }

    void readId() {
        std::string_view token;
        if (!tokens_.next(token)) return;
        if (!parseItemId(token, item_.itemId)) {
            // A block whose id is damaged is not kept: nothing could name it as a parent.
            tokens_.stop("item id \"" + std::string(token) + "\" is not hexadecimal");
            kind_ = Kind::None;
        }
    }

    void readParent() {
        std::string_view token;
        if (!tokens_.next(token)) return;
        uint32_t id = 0;
        if (!parseItemId(token, id)) {
            tokens_.stop("parent id \"" + std::string(token) + "\" is not hexadecimal");
            return;
        }
        item_.parentId = id;
        parentLine_ = tokens_.line();
    }

    // "Channel n { Envelope count Key ... Behaviors pre post }".
    void readChannel() {
        if (!reading_.beginChannel(item_.channels)) return;
        EnvelopeChannel channel;
        channel.channelIndex = reading_.readInt();
        std::string_view token;
        if (!tokens_.next(token) || token != "{") return;
        if (!tokens_.next(token) || token != "Envelope") {
            skipBlock();
            return;
        }
        channel.envelope = reading_.readEnvelope(EnvelopeEnd::AtClosingBrace);
        item_.channels.push_back(std::move(channel));
    }

    void skipBlock() { reading_.skipBlock(); }

    void finishItem() {
        const Kind kind = kind_;
        kind_ = Kind::None;
        if (kind == Kind::None) return;
        reading_.bakeOverFrames(item_);
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
            reading_.countBytes(static_cast<int64_t>(sizeof(PendingParent)));
        }
        if (kind == Kind::Object) {
            scene_.objects.push_back(std::move(item_));
        } else if (kind == Kind::Light) {
            static_cast<SceneItem&>(light_) = std::move(item_);
            scene_.lights.push_back(std::move(light_));
        } else {
            static_cast<SceneItem&>(camera_) = std::move(item_);
            SceneReading::finishCamera(camera_);
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
        reading_.countBytes(
            static_cast<int64_t>(byId.size() * sizeof(decltype(byId)::value_type)));
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
            reading_.objectError(reading_.sourceName() + ": line " +
                                 std::to_string(pending.line) + ": " + what + item.name +
                                 ": parent " + hex + " names no other item; left unparented");
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

    SceneReading& reading_;
    SceneRecords& scene_;
    SceneTokens& tokens_;
    Kind kind_ = Kind::None;
    SceneItem item_;
    SceneCamera camera_;
    SceneLight light_;
    int32_t parentLine_ = 0;
    std::vector<PendingParent> pending_;
};

}  // namespace

void readSceneVersion5(SceneReading& reading) { SceneReaderV5(reading).read(); }
