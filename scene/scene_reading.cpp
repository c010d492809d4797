#include "scene/scene_reading.h"

#include "scene/envelope_eval.h"
#include "text/json_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ostream>

void writeSceneReason(std::ostream* errors, const std::string& prefix, const std::string& line) {
    if (errors) *errors << prefix << terminal::printable(line) << std::endl;
}

SceneReading::SceneReading(SceneRecords& scene, std::string text, const std::string& sourceName,
                           SceneReadingSettings settings)
    : scene_(scene),
      tokens_(std::move(text), sourceName),
      sourceName_(sourceName),
      settings_(std::move(settings)) {
    cost_.bytes = static_cast<int64_t>(tokens_.remaining());
}

std::string SceneReading::readToken() {
    std::string_view token;
    tokens_.next(token);
    return std::string(token);
}

int32_t SceneReading::readInt() {
    int32_t value = 0;
    if (!tokens_.nextInt(value)) value = 0;
    return value;
}

double SceneReading::readNumber() {
    double value = 0.0;
    if (!tokens_.nextNumber(value)) value = 0.0;
    return value;
}

std::string SceneReading::keptToken() {
    std::string token = readToken();
    cost_.bytes += static_cast<int64_t>(token.size());
    return token;
}

// ---- cost and bounds ----

bool SceneReading::withinBound(int64_t count, int64_t bound, const char* what) {
    if (count <= bound) return true;
    tokens_.stop("more than " + std::to_string(bound) + " " + what);
    overBound_ = true;
    return false;
}

bool SceneReading::beginItem(size_t recordBytes) {
    cost_.bytes += static_cast<int64_t>(recordBytes);
    return withinBound(++cost_.items, kMaxSceneItems, "items (objects, cameras and lights)");
}

bool SceneReading::beginChannel(const std::vector<EnvelopeChannel>& channels) {
    if (!withinBound(static_cast<int64_t>(channels.size()) + 1, kMaxChannelsPerItem,
                     "channels in one item")) {
        return false;
    }
    cost_.bytes += static_cast<int64_t>(sizeof(EnvelopeChannel) + sizeof(SampleArray));
    return true;
}

void SceneReading::countBaked(int64_t values) {
    cost_.bakedValues += values;
    cost_.bytes += values * static_cast<int64_t>(sizeof(double));
    withinBound(cost_.bakedValues, settings_.maxBakedValues, "baked motion values in one scene");
}

// ---- what more than one version reads alike ----

const int32_t* SceneReading::readFrameSetting(std::string_view token) {
    static const struct {
        const char* name;
        int32_t SceneRecords::*field;
    } kSettings[] = {
        {"FirstFrame", &SceneRecords::firstFrame},
        {"LastFrame", &SceneRecords::lastFrame},
        {"FrameStep", &SceneRecords::frameStep},
        {"FramesPerSecond", &SceneRecords::framesPerSecond},
        {"PreviewFirstFrame", &SceneRecords::previewFirstFrame},
        {"PreviewLastFrame", &SceneRecords::previewLastFrame},
        {"PreviewFrameStep", &SceneRecords::previewFrameStep},
    };
    for (const auto& setting : kSettings) {
        if (token == setting.name) {
            scene_.*setting.field = readInt();
            return &(scene_.*setting.field);
        }
    }
    return nullptr;
}

void SceneReading::skipBlock() {
    ++scene_.skippedBlocks;
    int64_t depth = 1;
    std::string_view token;
    while (depth > 0 && tokens_.next(token)) {
        if (token == "{") ++depth;
        if (token == "}") --depth;
    }
}

void SceneReading::skipPlugin() {
    ++scene_.skippedBlocks;
    std::string_view token;
    while (tokens_.next(token) && token != "EndPlugin") {
    }
}

void SceneReading::skipUnread(std::string_view token, bool bracedBlocks) {
    if (bracedBlocks && token == "{") {
        skipBlock();
    } else if (token == "Plugin") {
        skipPlugin();
    } else if (!token.empty() && std::isalpha(static_cast<unsigned char>(token[0]))) {
        ++scene_.skippedKeywords;
    }
}

void SceneReading::readShowPair(int32_t (&pair)[2]) {
    pair[0] = readInt();
    pair[1] = readInt();
}

bool SceneReading::readFloats(std::string_view token, const char* name,
                              std::initializer_list<float*> fields) {
    if (token != name) return false;
    for (float* field : fields) *field = static_cast<float>(readNumber());
    return true;
}

bool SceneReading::readCameraLens(SceneCamera& camera, std::string_view token) {
    return readFloats(token, "ZoomFactor", {&camera.zoomFactor}) ||
           readFloats(token, "FrameSize", {&camera.frameWidth, &camera.frameHeight}) ||
           readFloats(token, "PixelAspect", {&camera.pixelAspect});
}

bool SceneReading::readLightSetting(SceneLight& light, std::string_view token) {
    float* const colour = light.lightColour;
    return readFloats(token, "LightColor", {&colour[0], &colour[1], &colour[2]}) ||
           readFloats(token, "LightIntensity", {&light.lightIntensity}) ||
           readFloats(token, "LightType", {&light.lightType});
}

size_t SceneReading::roomFor(int64_t declared, int64_t shortestText) const {
    const int64_t fitting = static_cast<int64_t>(tokens_.remaining()) / shortestText;
    return static_cast<size_t>(std::clamp<int64_t>(declared, 0, fitting));
}

// ---- envelopes ----

Envelope SceneReading::readEnvelope(EnvelopeEnd end) {
    Envelope envelope;
    envelope.keyCount = readInt();
    // "Key" and nine numbers, each after a space.
    envelope.keys.reserve(roomFor(envelope.keyCount, 21));
    std::string_view token;
    while (tokens_.next(token)) {
        if (end == EnvelopeEnd::AtClosingBrace && token == "}") break;
        if (token == "Key") {
            if (!readKey(envelope)) break;
        } else if (token == "Behaviors") {
            envelope.preBehavior = readInt();
            envelope.postBehavior = readInt();
            envelope.behaviorsGiven = true;
        } else if (end == EnvelopeEnd::AtClosingBrace && token == "{") {
            skipBlock();
        }
        if (end == EnvelopeEnd::AtKeyCount &&
            static_cast<int64_t>(envelope.keys.size()) >= envelope.keyCount) {
            break;
        }
    }
    // Room a false count took is given back here: kept, every channel could hold room for the
    // whole rest of the text.
    envelope.keys.shrink_to_fit();
    // The line LightWave writes after the last key: looked at, left to the loops (envelope.h).
    if (end == EnvelopeEnd::AtKeyCount && !envelope.behaviorsGiven) readTrailingBehaviors(tokens_, envelope);
    return envelope;
}

// The nine numbers after "Key"; false for a key cut short by the end of the text, which is no key.
bool SceneReading::readKey(Envelope& envelope) {
    EnvelopeKey key;
    double* const fields[] = {&key.value,  &key.time,   &key.shape,  &key.param1, &key.param2,
                              &key.param3, &key.param4, &key.param5, &key.param6};
    for (double* field : fields) *field = readNumber();
    if (!tokens_.good()) return false;
    envelope.keys.push_back(key);
    cost_.bytes += static_cast<int64_t>(sizeof(EnvelopeKey));
    return true;
}

// ---- baking ----

void SceneReading::bakeByRate(SceneItem& item) {
    if (overBound_) return;
    item.samples = bakeEnvelopes(item.channels, scene_.framesPerSecond);
    // Past the last key, where the file gives a behaviour there (scene/envelope_eval.h).
    followPostBehaviors(item.samples, item.channels, scene_.framesPerSecond,
                        std::max(scene_.lastFrame, scene_.previewLastFrame));
    int64_t values = 0;
    for (const SampleArray& samples : item.samples) values += static_cast<int64_t>(samples.size());
    countBaked(values);
}

void SceneReading::bakeOverFrames(SceneItem& item) {
    if (overBound_) return;
    const int64_t frames = int64_t{scene_.lastFrame} - scene_.firstFrame + 1;
    if (item.channels.empty() || frames <= 0 || scene_.framesPerSecond <= 0) return;
    if (!withinBound(frames, kMaxSamplesPerChannel, "frames in the scene's range")) return;
    countBaked(frames * static_cast<int64_t>(item.channels.size()));
    if (overBound_) return;
    for (const EnvelopeChannel& channel : item.channels) {
        SampleArray samples(static_cast<size_t>(frames));
        EnvelopeWalk(channel.envelope).atFrames(scene_.firstFrame, scene_.framesPerSecond, samples);
        item.samples.push_back(std::move(samples));
    }
}

float computeSceneFieldOfView(float width, float height, float zoom) {
    const double halfAngle = std::atan((width * 0.5) / (height * 0.5 * zoom));
    return static_cast<float>(2.0 * halfAngle / 3.1415 * 180.0);
}

// Versions 2, 4 and 5 read the camera's name as the item's; version 3 reads it as the camera's,
// and leaves the item's empty.
void SceneReading::finishCamera(SceneCamera& camera) {
    if (camera.cameraName.empty()) camera.cameraName = camera.name;
    camera.fieldOfView =
        computeSceneFieldOfView(camera.frameWidth, camera.frameHeight, camera.zoomFactor);
}

// ---- texts ----

void SceneReading::warn(const std::string& line) {
    warnings_.push_back(line);
    endProgressLine();
    report(line);
}

void SceneReading::objectError(const std::string& line) {
    objectErrors_.push_back(line);
    report(line);
}

void SceneReading::report(const std::string& line) {
    writeSceneReason(settings_.errors, settings_.errorPrefix, line);
}

// Where progress and reports share a stream, a report after a run of dots starts a line.
void SceneReading::endProgressLine() {
    if (settings_.progress && progressMidLine_) *settings_.progress << '\n' << std::flush;
    progressMidLine_ = false;
}
