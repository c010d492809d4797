#include "scene/lws_reader_v2.h"

#include "scene/envelope_eval.h"
#include "scene/scene_reading.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

// The interpolation number of TCB keys (see the header for why).
constexpr double kTcbInterpolation = 2.0;
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
// A key is six numbers, each at least a digit and a space.
constexpr int64_t kShortestKeyText = 12;

bool isAngleChannel(size_t channel) { return channel >= 3 && channel <= 5; }

bool isMotion(std::string_view token) {
    return token == "ObjectMotion" || token == "LightMotion" || token == "CameraMotion";
}

bool isShow(std::string_view token) {
    return token == "ShowObject" || token == "ShowLight" || token == "ShowCamera";
}

// Each item is made in the scene as its block begins and baked as the next begins (or the text
// ends), with the frame settings read by then, as the later versions' reader does.
class SceneReaderV2 {
public:
    explicit SceneReaderV2(SceneReading& reading)
        : reading_(reading), scene_(reading.scene()), tokens_(reading.tokens()) {}

    void read() {
        std::string_view token;
        while (tokens_.next(token)) readKeyword(token);
        finishItem();
    }

private:
    void readKeyword(std::string_view token) {
        if (reading_.readFrameSetting(token) || readItemStart(token) ||
            readItemSetting(token)) {
            return;
        }
        reading_.skipUnread(token, false);
    }

    bool readItemStart(std::string_view token) {
        if (token == "LoadObject") {
            if (!startItem(sizeof(SceneItem))) return true;
            item_ = &scene_.objects.emplace_back();
            item_->name = reading_.keptToken();
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
        return reading_.beginItem(recordBytes);
    }

    bool readItemSetting(std::string_view token) {
        if (!item_) return false;
        if (isMotion(token)) {
            readMotion();
        } else if (token == "Pre/PostBehavior") {
            readBehaviours();
        } else if (isShow(token)) {
            reading_.readShowPair(item_->showPair);
        } else if (token == "LightName" || token == "CameraName") {
            item_->name = reading_.keptToken();
        } else if (light_) {
            return readLightSetting(token);
        } else if (camera_) {
            return readCameraSetting(token);
        } else {
            return false;
        }
        return true;
    }

    bool readLightSetting(std::string_view token) {
        if (token == "LightColor") {
            for (float& c : light_->lightColour) c = static_cast<float>(reading_.readNumber() / 255.0);
        } else if (token == "LgtIntensity") {
            light_->lightIntensity = static_cast<float>(reading_.readNumber());
        } else if (token == "LightType") {
            light_->lightType = static_cast<float>(reading_.readNumber());
        } else {
            return false;
        }
        return true;
    }

    bool readCameraSetting(std::string_view token) {
        if (token == "ZoomFactor") {
            camera_->zoomFactor = static_cast<float>(reading_.readNumber());
        } else if (token == "CustomSize") {
            camera_->frameWidth = static_cast<float>(reading_.readNumber());
            camera_->frameHeight = static_cast<float>(reading_.readNumber());
        } else {
            return false;
        }
        return true;
    }

    // "ObjectMotion name count", then each channel's keys.
    void readMotion() {
        std::string_view name;  // the motion's name, not kept
        tokens_.next(name);
        const int32_t channels = reading_.readInt();
        item_->numChannels = channels;
        for (int32_t c = 0; c < channels && tokens_.good(); ++c) {
            if (!reading_.beginChannel(item_->channels)) return;
            readChannel();
        }
    }

    // "count", then per key "value time interpolation tension continuity bias".
    void readChannel() {
        EnvelopeChannel channel;
        channel.channelIndex = static_cast<int32_t>(item_->channels.size());
        const double unit = isAngleChannel(item_->channels.size()) ? kRadiansPerDegree : 1.0;
        Envelope& envelope = channel.envelope;
        envelope.keyCount = reading_.readInt();
        envelope.keys.reserve(reading_.roomFor(envelope.keyCount, kShortestKeyText));
        for (int32_t k = 0; k < envelope.keyCount && tokens_.good(); ++k) {
            EnvelopeKey key;
            key.value = reading_.readNumber() * unit;
            key.time = reading_.readNumber();
            const double interpolation = reading_.readNumber();
            key.param1 = reading_.readNumber();  // tension
            key.param2 = reading_.readNumber();  // continuity
            key.param3 = reading_.readNumber();  // bias
            if (!tokens_.good()) break;        // a key cut short is no key
            if (interpolation != kTcbInterpolation) {
                refuseInterpolation(interpolation);
                break;
            }
            key.shape = static_cast<double>(SpanShape::Tcb);
            envelope.keys.push_back(key);
            reading_.countBytes(static_cast<int64_t>(sizeof(EnvelopeKey)));
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
            channel.envelope.preBehavior = reading_.readInt();
            channel.envelope.postBehavior = reading_.readInt();
        }
    }

    void finishItem() {
        if (item_) reading_.bakeOverFrames(*item_);
        if (camera_) SceneReading::finishCamera(*camera_);
        item_ = nullptr;
        light_ = nullptr;
        camera_ = nullptr;
    }

    SceneReading& reading_;
    SceneRecords& scene_;
    SceneTokens& tokens_;
    // The item being read, in the scene's own records: pointers into `objects` and `lights`
    // stay valid as nothing is added to them before the item is finished.
    SceneItem* item_ = nullptr;
    SceneLight* light_ = nullptr;
    SceneCamera* camera_ = nullptr;
};

}  // namespace

void readSceneVersion2(SceneReading& reading) { SceneReaderV2(reading).read(); }
