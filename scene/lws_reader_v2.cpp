#include "scene/lws_reader_v2.h"

#include "scene/envelope_eval.h"
#include "scene/lws_reader_v5.h"
#include "scene/lws_scene.h"
#include "scene/scene_tokens.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

namespace {

// The interpolation number of TCB keys (see the header for why).
constexpr double kTcbInterpolation = 2.0;
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
// A key is six numbers, each at least a digit and a space.
constexpr int64_t kShortestKeyText = 12;

bool isAngleChannel(size_t channel) { return channel >= 3 && channel <= 5; }

bool isMotion(const std::string& token) {
    return token == "ObjectMotion" || token == "LightMotion" || token == "CameraMotion";
}

bool isShow(const std::string& token) {
    return token == "ShowObject" || token == "ShowLight" || token == "ShowCamera";
}

}  // namespace

// A friend of LwsScene: it counts what it makes against the scene's own bounds. Each item is
// made in the scene as its block begins and baked as the next begins (or the text ends), with
// the frame settings read by then, as the later versions' reader does.
class SceneReaderV2 {
public:
    SceneReaderV2(LwsScene& scene, SceneTokens& tokens) : scene_(scene), tokens_(tokens) {}

    void read() {
        std::string token;
        while (tokens_.next(token)) readKeyword(token);
        finishItem();
    }

private:
    void readKeyword(const std::string& token) {
        if (readSceneFrameSetting(scene_, token) || readItemStart(token) ||
            readItemSetting(token)) {
            return;
        }
        if (token == "Plugin") {
            skipScenePlugin(scene_, tokens_);
        } else if (!token.empty() && std::isalpha(static_cast<unsigned char>(token[0]))) {
            ++scene_.skippedKeywords;
        }
    }

    bool readItemStart(const std::string& token) {
        if (token == "LoadObject") {
            if (!startItem(sizeof(SceneItem))) return true;
            item_ = &scene_.objects.emplace_back();
            item_->name = scene_.keptToken();
            item_->line = tokens_.line();
        } else if (token == "AddLight") {
            if (!startItem(sizeof(SceneLight))) return true;
            item_ = light_ = &scene_.lights.emplace_back();
        } else if (token == "AddCamera") {
            if (!startItem(sizeof(SceneCamera))) return true;
            scene_.camera = SceneCamera{};  // a later camera replaces the earlier one
            item_ = camera_ = &scene_.camera;
            camera_->numChannels = 0;
        } else {
            return false;
        }
        return true;
    }

    bool startItem(size_t recordBytes) {
        finishItem();
        return scene_.beginItem(recordBytes);
    }

    bool readItemSetting(const std::string& token) {
        if (!item_) return false;
        if (isMotion(token)) {
            readMotion();
        } else if (token == "Pre/PostBehavior") {
            readBehaviours();
        } else if (isShow(token)) {
            scene_.readShowPair(item_->showPair);
        } else if (token == "LightName" || token == "CameraName") {
            item_->name = scene_.keptToken();
        } else if (light_) {
            return readLightSetting(token);
        } else if (camera_) {
            return readCameraSetting(token);
        } else {
            return false;
        }
        return true;
    }

    bool readLightSetting(const std::string& token) {
        if (token == "LightColor") {
            for (float& c : light_->lightColour) c = static_cast<float>(scene_.readNumber() / 255.0);
        } else if (token == "LgtIntensity") {
            light_->lightIntensity = static_cast<float>(scene_.readNumber());
        } else if (token == "LightType") {
            light_->lightType = static_cast<float>(scene_.readNumber());
        } else {
            return false;
        }
        return true;
    }

    bool readCameraSetting(const std::string& token) {
        if (token == "ZoomFactor") {
            camera_->zoomFactor = static_cast<float>(scene_.readNumber());
        } else if (token == "CustomSize") {
            camera_->frameWidth = static_cast<float>(scene_.readNumber());
            camera_->frameHeight = static_cast<float>(scene_.readNumber());
        } else {
            return false;
        }
        return true;
    }

    // "ObjectMotion name count", then each channel's keys.
    void readMotion() {
        scene_.readToken();
        const int32_t channels = scene_.readInt();
        item_->numChannels = channels;
        for (int32_t c = 0; c < channels && tokens_.good(); ++c) {
            if (!scene_.withinBound(static_cast<int64_t>(item_->channels.size()) + 1,
                                    kMaxChannelsPerItem, "channels in one item")) {
                return;
            }
            readChannel();
        }
    }

    // "count", then per key "value time interpolation tension continuity bias".
    void readChannel() {
        scene_.cost_.bytes += static_cast<int64_t>(sizeof(EnvelopeChannel) + sizeof(SampleArray));
        EnvelopeChannel channel;
        channel.channelIndex = static_cast<int32_t>(item_->channels.size());
        const double unit = isAngleChannel(item_->channels.size()) ? kRadiansPerDegree : 1.0;
        Envelope& envelope = channel.envelope;
        envelope.keyCount = scene_.readInt();
        // Room once, as announced but no more than the rest of the text can hold.
        const int64_t room = std::min<int64_t>(
            envelope.keyCount, static_cast<int64_t>(tokens_.remaining()) / kShortestKeyText);
        if (room > 0) envelope.keys.reserve(static_cast<size_t>(room));
        for (int32_t k = 0; k < envelope.keyCount && tokens_.good(); ++k) {
            EnvelopeKey key;
            key.value = scene_.readNumber() * unit;
            key.time = scene_.readNumber();
            const double interpolation = scene_.readNumber();
            key.param1 = scene_.readNumber();  // tension
            key.param2 = scene_.readNumber();  // continuity
            key.param3 = scene_.readNumber();  // bias
            if (!tokens_.good()) break;        // a key cut short is no key
            if (interpolation != kTcbInterpolation) {
                refuseInterpolation(interpolation);
                break;
            }
            key.shape = static_cast<double>(SpanShape::Tcb);
            envelope.keys.push_back(key);
            scene_.cost_.bytes += static_cast<int64_t>(sizeof(EnvelopeKey));
        }
        item_->channels.push_back(std::move(channel));
    }

    void refuseInterpolation(double interpolation) {
        char number[32];
        std::snprintf(number, sizeof number, "%g", interpolation);
        tokens_.stop(std::string("key interpolation ") + number +
                     " is not known in version 2 (2, read as TCB, is the only one known)");
    }

    // A pre and a post behaviour for each channel of the motion, in channel order.
    void readBehaviours() {
        for (EnvelopeChannel& channel : item_->channels) {
            channel.envelope.preBehavior = scene_.readInt();
            channel.envelope.postBehavior = scene_.readInt();
        }
    }

    void finishItem() {
        if (item_) bakeOverSceneFrames(scene_, *item_);
        if (camera_) {
            camera_->cameraName = camera_->name;
            camera_->fieldOfView = LwsScene::computeFieldOfView(
                camera_->frameWidth, camera_->frameHeight, camera_->pixelAspect,
                camera_->zoomFactor);
        }
        item_ = nullptr;
        light_ = nullptr;
        camera_ = nullptr;
    }

    LwsScene& scene_;
    SceneTokens& tokens_;
    // The item being read, in the scene's own records: pointers into `objects` and `lights`
    // stay valid as nothing is added to them before the item is finished.
    SceneItem* item_ = nullptr;
    SceneLight* light_ = nullptr;
    SceneCamera* camera_ = nullptr;
};

void readSceneVersion2(LwsScene& scene, SceneTokens& tokens) { SceneReaderV2(scene, tokens).read(); }
