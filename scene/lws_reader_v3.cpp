// The reader of the two older scene generations: version 1 (one block of numbers per key,
// linear motion, degrees) and version 3 (an envelope per channel, Hermite motion, radians),
// with the progress printout both have always written.
#include "scene/lws_scene.h"

#include "scene/scene_tokens.h"
#include "text/json_text.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <iterator>

namespace {

// Samples a motion of K keys appends, bounded like every baked channel. The room grows by
// doubling but never past the bound, and a first pair gets exactly its own: a far-apart pair
// would otherwise hold half a channel more while it is copied (see the bound in lws_scene.h).
void appendMotionSamples(std::vector<MotionSample>& samples,
                         const std::vector<MotionSample>& more) {
    const size_t room = static_cast<size_t>(kMaxSamplesPerChannel) - samples.size();
    const size_t adding = std::min(more.size(), room);
    const size_t needed = samples.size() + adding;
    if (needed > samples.capacity()) {
        samples.reserve(std::min(static_cast<size_t>(kMaxSamplesPerChannel),
                                 std::max(needed, 2 * samples.capacity())));
    }
    samples.insert(samples.end(), more.begin(), more.begin() + static_cast<ptrdiff_t>(adding));
}

// Room for the records a file says follow, up to as many as the rest of its text can hold at
// `shortestText` bytes each: a true count then costs no copies as the array doubles, and a
// false one no more than the text still to read justifies (the caller gives back the rest).
size_t roomFor(int64_t declared, const SceneTokens* tokens, int64_t shortestText) {
    const int64_t fitting = tokens ? static_cast<int64_t>(tokens->remaining()) / shortestText : 0;
    return static_cast<size_t>(std::clamp<int64_t>(declared, 0, fitting));
}

}  // namespace

SceneKeywordV3 LwsScene::keywordCodeV3(std::string token) {
    struct Keyword {
        const char* token;
        SceneKeywordV3 code;
    };
    static const Keyword kKeywords[] = {
        {"FirstFrame", SceneKeywordV3::FirstFrame},
        {"LastFrame", SceneKeywordV3::LastFrame},
        {"FrameStep", SceneKeywordV3::FrameStep},
        {"FramesPerSecond", SceneKeywordV3::FramesPerSecond},
        {"LoadObjectLayer", SceneKeywordV3::LoadObjectLayer},
        {"AddCamera", SceneKeywordV3::AddCamera},
        {"AddLight", SceneKeywordV3::AddLight},
        {"PreviewFirstFrame", SceneKeywordV3::PreviewFirstFrame},
        {"PreviewLastFrame", SceneKeywordV3::PreviewLastFrame},
        {"PreviewFrameStep", SceneKeywordV3::PreviewFrameStep},
    };
    for (const Keyword& keyword : kKeywords) {
        if (token == keyword.token) return keyword.code;
    }
    return SceneKeywordV3::Unknown;
}

SceneKeywordV1 LwsScene::keywordCodeV1(std::string token) {
    struct Keyword {
        const char* token;
        SceneKeywordV1 code;
    };
    static const Keyword kKeywords[] = {
        {"FirstFrame", SceneKeywordV1::FrameRange},
        {"LastFrame", SceneKeywordV1::FrameRange},
        {"FrameStep", SceneKeywordV1::FrameStep},
        {"FramesPerSecond", SceneKeywordV1::FramesPerSecond},
        {"LoadObject", SceneKeywordV1::LoadObject},
        {"CameraMotion", SceneKeywordV1::CameraMotion},
        {"ZoomFactor", SceneKeywordV1::ZoomFactor},
        {"CustomSize", SceneKeywordV1::CustomSize},
        {"PixelAspectRatio", SceneKeywordV1::PixelAspectRatio},
    };
    for (const Keyword& keyword : kKeywords) {
        if (token == keyword.token) return keyword.code;
    }
    return SceneKeywordV1::Unknown;
}

// ---- version 3 ----

void LwsScene::readVersion3() {
    std::string token;
    while (tokens_->next(token)) {
        switch (keywordCodeV3(token)) {
            case SceneKeywordV3::FirstFrame:
                firstFrame = readInt();
                printSetting("\nFirstFrame: ", firstFrame);
                break;
            case SceneKeywordV3::LastFrame:
                lastFrame = readInt();
                printSetting("\nLAstFrame: ", lastFrame);
                break;
            case SceneKeywordV3::FrameStep:
                frameStep = readInt();
                printSetting("\nFrameStep: ", frameStep);
                break;
            case SceneKeywordV3::FramesPerSecond:
                framesPerSecond = readInt();
                printSetting("\nFramesPerSec: ", framesPerSecond);
                break;
            case SceneKeywordV3::LoadObjectLayer: readObjectBlock(); break;
            case SceneKeywordV3::AddCamera: readCameraBlock(); break;
            case SceneKeywordV3::AddLight:
                readLightBlock();
                printLightList();
                break;
            case SceneKeywordV3::PreviewFirstFrame: previewFirstFrame = readInt(); break;
            case SceneKeywordV3::PreviewLastFrame: previewLastFrame = readInt(); break;
            case SceneKeywordV3::PreviewFrameStep: previewFrameStep = readInt(); break;
            case SceneKeywordV3::Unknown: skippedToken(); break;
        }
    }
}

void LwsScene::printSetting(const char* label, int32_t value) {
    if (!progress) return;
    *progress << label << value << "\n";
    progressMidLine_ = false;
}

void LwsScene::skippedToken() {
    if (!progress) return;
    *progress << '.' << std::flush;
    progressMidLine_ = true;
}

bool LwsScene::beginsItem(const std::string& token) {
    const SceneKeywordV3 code = keywordCodeV3(token);
    return code == SceneKeywordV3::LoadObjectLayer || code == SceneKeywordV3::AddCamera ||
           code == SceneKeywordV3::AddLight;
}

// An item's block ends at its last channel (objects), PixelAspect (the camera) or LightType (a
// light). One that lacks it would read on through every item after it; it ends instead where the
// next item begins, which is then read as its own, and a line says what was missing. Version 1
// objects end at ObjectMotion in the same way.
void LwsScene::endedByNextItem(const std::string& item, int32_t line, const std::string& found) {
    tokens_->putBack();
    warnings_.push_back(sourceName_ + ": line " + std::to_string(line) + ": " + item + " has " +
                        found + " before the next item, at line " +
                        std::to_string(tokens_->line()) + "; it ends there");
    endProgressLine();
    report(warnings_.back());
}

void LwsScene::readShowPair(int32_t (&pair)[2]) {
    pair[0] = readInt();
    pair[1] = readInt();
}

void LwsScene::readObjectBlock() {
    if (!beginItem(sizeof(SceneItem))) return;
    SceneItem object;
    object.layerNumber = readInt();
    object.name = keptToken();
    object.line = tokens_->line();
    bool countKnown = false;
    std::string token;
    while (tokens_->next(token)) {
        if (beginsItem(token)) {
            endedByNextItem("object " + object.name, object.line,
                            countKnown ? std::to_string(object.channels.size()) + " of its " +
                                             std::to_string(object.numChannels) + " channels"
                                       : "no NumChannels");
            break;
        }
        if (token == "NumChannels") {
            object.numChannels = readInt();
            countKnown = true;
        } else if (token == "ShowObject") {
            readShowPair(object.showPair);
        } else if (token == "Channel") {
            readChannel(object.channels);
        }
        if (countKnown && static_cast<int64_t>(object.channels.size()) >= object.numChannels) break;
    }
    bakeItem(object);
    objects.push_back(std::move(object));
}

bool LwsScene::readChannel(std::vector<EnvelopeChannel>& channels) {
    if (!withinBound(static_cast<int64_t>(channels.size()) + 1, kMaxChannelsPerItem,
                     "channels in one item")) {
        return false;
    }
    cost_.bytes += static_cast<int64_t>(sizeof(EnvelopeChannel) + sizeof(SampleArray));
    EnvelopeChannel channel;
    channel.channelIndex = readInt();
    std::string token;
    while (tokens_->next(token)) {
        if (token == "Envelope") {
            channel.envelope = readEnvelope();
            channels.push_back(std::move(channel));
            return true;
        }
    }
    return false;
}

Envelope LwsScene::readEnvelope() {
    Envelope envelope;
    envelope.keyCount = readInt();
    // "Key" and nine numbers, each after a space.
    envelope.keys.reserve(roomFor(envelope.keyCount, tokens_.get(), 21));
    std::string token;
    while (tokens_ && tokens_->next(token)) {
        if (token == "Key") {
            EnvelopeKey key;
            double* const fields[] = {&key.value,  &key.time,   &key.shape,
                                      &key.param1, &key.param2, &key.param3,
                                      &key.param4, &key.param5, &key.param6};
            for (double* field : fields) *field = readNumber();
            // A key cut short by the end of the file is no key.
            if (!tokens_->good()) break;
            envelope.keys.push_back(key);
            cost_.bytes += static_cast<int64_t>(sizeof(EnvelopeKey));
        } else if (token == "Behaviors") {
            envelope.preBehavior = readInt();
            envelope.postBehavior = readInt();
            envelope.behaviorsGiven = true;
        }
        if (static_cast<int64_t>(envelope.keys.size()) >= envelope.keyCount) break;
    }
    envelope.keys.shrink_to_fit();
    // The line LightWave writes after the last key: looked at, left to the loops (envelope.h).
    if (tokens_ && !envelope.behaviorsGiven) readTrailingBehaviors(*tokens_, envelope);
    return envelope;
}

void LwsScene::readCameraBlock() {
    if (!beginItem(sizeof(SceneCamera))) return;
    SceneCamera newCamera;
    const int32_t line = tokens_->line();
    std::string token;
    while (tokens_->next(token)) {
        if (beginsItem(token)) {
            endedByNextItem("camera " + newCamera.cameraName, line, "no PixelAspect");
            break;
        }
        if (token == "NumChannels") {
            newCamera.numChannels = readInt();
        } else if (token == "CameraName") {
            newCamera.cameraName = keptToken();
        } else if (token == "ShowCamera") {
            readShowPair(newCamera.showPair);
        } else if (token == "Channel") {
            readChannel(newCamera.channels);
        } else if (token == "ZoomFactor") {
            newCamera.zoomFactor = static_cast<float>(readNumber());
        } else if (token == "FrameSize") {
            newCamera.frameWidth = static_cast<float>(readNumber());
            newCamera.frameHeight = static_cast<float>(readNumber());
        } else if (token == "PixelAspect") {
            newCamera.pixelAspect = static_cast<float>(readNumber());
            break;
        }
    }
    bakeItem(newCamera);
    newCamera.fieldOfView = computeFieldOfView(newCamera.frameWidth, newCamera.frameHeight,
                                               newCamera.pixelAspect, newCamera.zoomFactor);
    camera = std::move(newCamera);
}

void LwsScene::readLightBlock() {
    if (!beginItem(sizeof(SceneLight))) return;
    SceneLight light;
    const int32_t line = tokens_->line();
    std::string token;
    while (tokens_->next(token)) {
        if (beginsItem(token)) {
            endedByNextItem("light " + light.name, line, "no LightType");
            break;
        }
        if (token == "LightName") {
            light.name = keptToken();
        } else if (token == "ShowLight") {
            readShowPair(light.showPair);
        } else if (token == "NumChannels") {
            light.numChannels = readInt();
        } else if (token == "Channel") {
            readChannel(light.channels);
        } else if (token == "LightColor") {
            for (float& c : light.lightColour) c = static_cast<float>(readNumber());
        } else if (token == "LightIntensity") {
            light.lightIntensity = static_cast<float>(readNumber());
        } else if (token == "LightType") {
            light.lightType = static_cast<float>(readNumber());
            break;
        }
    }
    bakeItem(light);
    lights.push_back(std::move(light));
}

void LwsScene::printLightList() {
    if (!progress) return;
    std::ostream& out = *progress;
    for (const SceneLight& light : lights) {
        // A name is the file's text: escaped, it cannot command the terminal it is shown on.
        out << "\n\n" << terminal::printable(light.name) << "\n";
        out << "\n" << light.showPair[0] << " " << light.showPair[1] << "\n";
        out << "nr channels: " << light.numChannels << "\n";
        out << "channels size: " << light.channels.size() << "\n";
        for (size_t j = 0; j < light.channels.size(); ++j) out << "channel nr: " << j << "\n";
    }
    if (!lights.empty()) progressMidLine_ = false;
}

// ---- version 1 ----

void LwsScene::readVersion1() {
    std::string token;
    while (tokens_->next(token)) {
        switch (keywordCodeV1(token)) {
            case SceneKeywordV1::FrameStep: v1FrameStep = readInt(); break;
            case SceneKeywordV1::FramesPerSecond: v1FramesPerSecond = readInt(); break;
            case SceneKeywordV1::LoadObject: readObjectV1(); break;
            case SceneKeywordV1::CameraMotion: readMotionV1(v1CameraMotion); break;
            case SceneKeywordV1::ZoomFactor: v1ZoomFactor = static_cast<float>(readNumber()); break;
            case SceneKeywordV1::CustomSize:
                v1FrameWidth = static_cast<float>(readNumber());
                v1FrameHeight = static_cast<float>(readNumber());
                break;
            case SceneKeywordV1::PixelAspectRatio: v1PixelAspect = static_cast<float>(readNumber()); break;
            case SceneKeywordV1::FrameRange:  // their numbers go as tokens
            case SceneKeywordV1::Unknown: break;
        }
    }
}

void LwsScene::readObjectV1() {
    if (!beginItem(sizeof(SceneObjectV1))) return;
    SceneObjectV1 object;
    object.name = keptToken();
    object.line = tokens_->line();
    std::string token;
    while (tokens_->next(token)) {
        const SceneKeywordV1 code = keywordCodeV1(token);
        if (code == SceneKeywordV1::LoadObject || code == SceneKeywordV1::CameraMotion) {
            endedByNextItem("object " + object.name, object.line, "no ObjectMotion");
            break;
        }
        if (token == "ShowObject") {
            readShowPair(object.showPair);
        } else if (token == "ObjectMotion") {
            readMotionV1(object.motion);
            break;
        }
    }
    v1Objects.push_back(std::move(object));
}

// A second "CameraMotion" reads into the same record: its keys join the first's and every pair
// is interpolated again onto the samples, as files written for this reader expect. The work
// that repeats is bounded: each block adds at most a channel's samples, all counted as baked.
void LwsScene::readMotionV1(MotionV1& motion) {
    const size_t samplesBefore = motion.samples.size();
    motion.motionName = keptToken();
    motion.channelCount = readInt();
    motion.keyCount = readInt();
    // A key is at least its numbers, each a digit and a space.
    const int64_t shortestKey = 2 * (int64_t{std::max(motion.channelCount, 0)} + 5);
    motion.keys.reserve(motion.keys.size() + roomFor(motion.keyCount, tokens_.get(), shortestKey));
    for (int32_t k = 0; k < motion.keyCount && tokens_->good(); ++k) {
        MotionKey key;
        key.values.reserve(roomFor(motion.channelCount, tokens_.get(), 2));
        for (int32_t c = 0; c < motion.channelCount && tokens_->good(); ++c) {
            key.values.push_back(readNumber());
        }
        key.params.reserve(5);
        for (int p = 0; p < 5; ++p) {
            // Frame numbers are whole; a file that writes "10.0" still means frame 10.
            const double number = readNumber();
            key.params.push_back(static_cast<int32_t>(
                std::fmax(-2147483648.0, std::fmin(2147483647.0, std::trunc(number)))));
        }
        if (!tokens_->good()) break;
        cost_.bytes += static_cast<int64_t>(sizeof(MotionKey) + key.values.size() * sizeof(double) +
                                            key.params.size() * sizeof(int32_t));
        motion.keys.push_back(std::move(key));
    }
    motion.keys.shrink_to_fit();
    for (size_t k = 0; k + 1 < motion.keys.size() &&
                       static_cast<int64_t>(motion.samples.size()) < kMaxSamplesPerChannel;
         ++k) {
        appendMotionSamples(motion.samples,
                            interpolateMotionKeys(motion.keys[k], motion.keys[k + 1]));
    }
    countBaked(static_cast<int64_t>((motion.samples.size() - samplesBefore) *
                                    std::size(MotionSample{}.channel)));
}
