#include "scene/lws_reader_v3.h"

#include "scene/scene_reading.h"
#include "text/json_text.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <ostream>

namespace {

// Samples a motion of K keys appends, bounded like every baked channel. The room grows by
// doubling but never past the bound, and a first pair gets exactly its own: a far-apart pair
// would otherwise hold half a channel more while it is copied (see the bound in scene_records.h).
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

// The keywords of both older generations, with the code each has in each (Unknown: not a
// keyword there), and the label version 3's printout shows a setting's value after, spelt as it
// always has been (none: not shown).
struct Keyword {
    const char* token;
    SceneKeywordV3 v3;
    SceneKeywordV1 v1;
    const char* printed = nullptr;
};

const Keyword kKeywords[] = {
    {"FirstFrame", SceneKeywordV3::FirstFrame, SceneKeywordV1::FrameRange, "\nFirstFrame: "},
    {"LastFrame", SceneKeywordV3::LastFrame, SceneKeywordV1::FrameRange, "\nLAstFrame: "},
    {"FrameStep", SceneKeywordV3::FrameStep, SceneKeywordV1::FrameStep, "\nFrameStep: "},
    {"FramesPerSecond", SceneKeywordV3::FramesPerSecond, SceneKeywordV1::FramesPerSecond,
     "\nFramesPerSec: "},
    {"LoadObjectLayer", SceneKeywordV3::LoadObjectLayer, SceneKeywordV1::Unknown},
    {"AddCamera", SceneKeywordV3::AddCamera, SceneKeywordV1::Unknown},
    {"AddLight", SceneKeywordV3::AddLight, SceneKeywordV1::Unknown},
    {"PreviewFirstFrame", SceneKeywordV3::PreviewFirstFrame, SceneKeywordV1::Unknown},
    {"PreviewLastFrame", SceneKeywordV3::PreviewLastFrame, SceneKeywordV1::Unknown},
    {"PreviewFrameStep", SceneKeywordV3::PreviewFrameStep, SceneKeywordV1::Unknown},
    {"LoadObject", SceneKeywordV3::Unknown, SceneKeywordV1::LoadObject},
    {"CameraMotion", SceneKeywordV3::Unknown, SceneKeywordV1::CameraMotion},
    {"ZoomFactor", SceneKeywordV3::Unknown, SceneKeywordV1::ZoomFactor},
    {"CustomSize", SceneKeywordV3::Unknown, SceneKeywordV1::CustomSize},
    {"PixelAspectRatio", SceneKeywordV3::Unknown, SceneKeywordV1::PixelAspectRatio},
};

const Keyword* keywordOf(std::string_view token) {
    for (const Keyword& keyword : kKeywords) {
        if (token == keyword.token) return &keyword;
    }
    return nullptr;
}

}  // namespace

SceneKeywordV3 sceneKeywordV3(std::string_view token) {
    const Keyword* keyword = keywordOf(token);
    return keyword ? keyword->v3 : SceneKeywordV3::Unknown;
}

SceneKeywordV1 sceneKeywordV1(std::string_view token) {
    const Keyword* keyword = keywordOf(token);
    return keyword ? keyword->v1 : SceneKeywordV1::Unknown;
}

namespace {

class SceneReaderV3 {
public:
    explicit SceneReaderV3(SceneReading& reading) : reading_(reading), scene_(reading.scene()) {}

    void readVersion3() {
        std::string_view token;
        while (reading_.next(token)) {
            switch (sceneKeywordV3(token)) {
                case SceneKeywordV3::FirstFrame:
                case SceneKeywordV3::LastFrame:
                case SceneKeywordV3::FrameStep:
                case SceneKeywordV3::FramesPerSecond:
                case SceneKeywordV3::PreviewFirstFrame:
                case SceneKeywordV3::PreviewLastFrame:
                case SceneKeywordV3::PreviewFrameStep: readFrameSetting(token); break;
                case SceneKeywordV3::LoadObjectLayer: readObjectBlock(); break;
                case SceneKeywordV3::AddCamera: readCameraBlock(); break;
                case SceneKeywordV3::AddLight:
                    readLightBlock();
                    printLightList();
                    break;
                case SceneKeywordV3::Unknown: skippedToken(); break;
            }
        }
    }

    void readVersion1() {
        std::string_view token;
        while (reading_.next(token)) {
            switch (sceneKeywordV1(token)) {
                case SceneKeywordV1::FrameStep: scene_.v1FrameStep = reading_.readInt(); break;
                case SceneKeywordV1::FramesPerSecond:
                    scene_.v1FramesPerSecond = reading_.readInt();
                    break;
                case SceneKeywordV1::LoadObject: readObjectV1(); break;
                case SceneKeywordV1::CameraMotion: readMotionV1(scene_.v1CameraMotion); break;
                case SceneKeywordV1::ZoomFactor:
                    scene_.v1ZoomFactor = static_cast<float>(reading_.readNumber());
                    break;
                case SceneKeywordV1::CustomSize:
                    scene_.v1FrameWidth = static_cast<float>(reading_.readNumber());
                    scene_.v1FrameHeight = static_cast<float>(reading_.readNumber());
                    break;
                case SceneKeywordV1::PixelAspectRatio:
                    scene_.v1PixelAspect = static_cast<float>(reading_.readNumber());
                    break;
                case SceneKeywordV1::FrameRange:  // their numbers go as tokens
                case SceneKeywordV1::Unknown: break;
            }
        }
        scene_.v1FieldOfView = computeSceneFieldOfView(scene_.v1FrameWidth, scene_.v1FrameHeight,
                                                       scene_.v1ZoomFactor);
    }

private:
    // ---- version 3 ----

    // Shown in the printout where the keyword has a label.
    void readFrameSetting(std::string_view token) {
        const int32_t* value = reading_.readFrameSetting(token);
        const Keyword* keyword = keywordOf(token);
        if (!value || !keyword || !keyword->printed || !reading_.progress()) return;
        *reading_.progress() << keyword->printed << *value << "\n";
        reading_.progressWritten(false);
    }

    void skippedToken() {
        if (!reading_.progress()) return;
        *reading_.progress() << '.' << std::flush;
        reading_.progressWritten(true);
    }

    static bool beginsItem(std::string_view token) {
        const SceneKeywordV3 code = sceneKeywordV3(token);
        return code == SceneKeywordV3::LoadObjectLayer || code == SceneKeywordV3::AddCamera ||
               code == SceneKeywordV3::AddLight;
    }

    // A block that meets the next item's keyword leaves it to the loop that reads items (a
    // version 1 object ends at ObjectMotion in the same way).
    void endedByNextItem(const std::string& item, int32_t line, const std::string& found) {
        reading_.tokens().putBack();
        reading_.warn(reading_.sourceName() + ": line " + std::to_string(line) + ": " + item +
                      " has " + found + " before the next item, at line " +
                      std::to_string(reading_.line()) + "; it ends there");
    }

    // An item's lines, each given to `readLine`, which says whether it was the block's last. A
    // block that lacks its last line would read on through every item after it; it ends instead
    // where the next item begins, which is then read as its own, and a warning names the item
    // and what it lacked (`lacking`, asked only then).
    template <typename ReadLine, typename Lacking>
    void readItemLines(int32_t line, ReadLine readLine, Lacking lacking) {
        std::string_view token;
        while (reading_.next(token)) {
            if (beginsItem(token)) {
                const auto [item, found] = lacking();
                endedByNextItem(item, line, found);
                return;
            }
            if (readLine(token)) return;
        }
    }

    void readObjectBlock() {
        if (!reading_.beginItem(sizeof(SceneItem))) return;
        SceneItem object;
        object.layerNumber = reading_.readInt();
        object.name = reading_.keptToken();
        object.line = reading_.line();
        bool countKnown = false;
        const auto readLine = [&](std::string_view token) {
            if (token == "NumChannels") {
                object.numChannels = reading_.readInt();
                countKnown = true;
            } else if (token == "ShowObject") {
                reading_.readShowPair(object.showPair);
            } else if (token == "Channel") {
                readChannel(object.channels);
            }
            return countKnown && static_cast<int64_t>(object.channels.size()) >= object.numChannels;
        };
        readItemLines(object.line, readLine, [&] {
            return std::make_pair("object " + object.name,
                                  countKnown ? std::to_string(object.channels.size()) + " of its " +
                                                   std::to_string(object.numChannels) + " channels"
                                             : std::string("no NumChannels"));
        });
        reading_.bakeByRate(object);
        scene_.objects.push_back(std::move(object));
    }

    // "Channel n", tokens up to "Envelope" (its opening brace among them), the envelope.
    void readChannel(std::vector<EnvelopeChannel>& channels) {
        if (!reading_.beginChannel(channels)) return;
        EnvelopeChannel channel;
        channel.channelIndex = reading_.readInt();
        std::string_view token;
        while (reading_.next(token)) {
            if (token == "Envelope") {
                channel.envelope = reading_.readEnvelope(EnvelopeEnd::AtKeyCount);
                channels.push_back(std::move(channel));
                return;
            }
        }
    }

    // The lines every item of version 3 may have; false for any other.
    bool readItemLine(SceneItem& item, std::string_view token) {
        if (token == "NumChannels") {
            item.numChannels = reading_.readInt();
        } else if (token == "Channel") {
            readChannel(item.channels);
        } else {
            return false;
        }
        return true;
    }

    // The words of a camera's or a light's block: what its warnings call it, and its name, show
    // and last lines.
    struct BlockWords {
        const char* label;
        const char* nameLine;
        const char* showLine;
        const char* lastLine;
    };

    // A camera's or a light's block, to its last line: its name, show pair and channels, and the
    // settings `readSetting` takes. False when the item is over the scene's bound.
    template <typename Record>
    bool readSettingsBlock(Record& record, std::string& name, const BlockWords& words,
                           bool (SceneReading::*readSetting)(Record&, std::string_view)) {
        if (!reading_.beginItem(sizeof(Record))) return false;
        const auto readLine = [&](std::string_view token) {
            if (readItemLine(record, token) || (reading_.*readSetting)(record, token)) {
                return token == words.lastLine;
            }
            if (token == words.nameLine) {
                name = reading_.keptToken();
            } else if (token == words.showLine) {
                reading_.readShowPair(record.showPair);
            }
            return false;
        };
        readItemLines(reading_.line(), readLine, [&] {
            return std::make_pair(words.label + name, "no " + std::string(words.lastLine));
        });
        reading_.bakeByRate(record);
        return true;
    }

    void readCameraBlock() {
        static const BlockWords kWords = {"camera ", "CameraName", "ShowCamera", "PixelAspect"};
        SceneCamera camera;
        if (!readSettingsBlock(camera, camera.cameraName, kWords, &SceneReading::readCameraLens)) {
            return;
        }
        SceneReading::finishCamera(camera);
        scene_.camera = std::move(camera);
    }

    void readLightBlock() {
        static const BlockWords kWords = {"light ", "LightName", "ShowLight", "LightType"};
        SceneLight light;
        if (!readSettingsBlock(light, light.name, kWords, &SceneReading::readLightSetting)) return;
        scene_.lights.push_back(std::move(light));
    }

    void printLightList() {
        if (!reading_.progress()) return;
        std::ostream& out = *reading_.progress();
        for (const SceneLight& light : scene_.lights) {
            // A name is the file's text: escaped, it cannot command the terminal it is shown on.
            out << "\n\n" << terminal::printable(light.name) << "\n";
            out << "\n" << light.showPair[0] << " " << light.showPair[1] << "\n";
            out << "nr channels: " << light.numChannels << "\n";
            out << "channels size: " << light.channels.size() << "\n";
            for (size_t j = 0; j < light.channels.size(); ++j) out << "channel nr: " << j << "\n";
        }
        if (!scene_.lights.empty()) reading_.progressWritten(false);
    }

    // ---- version 1 ----

    void readObjectV1() {
        if (!reading_.beginItem(sizeof(SceneObjectV1))) return;
        SceneObjectV1 object;
        object.name = reading_.keptToken();
        object.line = reading_.line();
        std::string_view token;
        while (reading_.next(token)) {
            const SceneKeywordV1 code = sceneKeywordV1(token);
            if (code == SceneKeywordV1::LoadObject || code == SceneKeywordV1::CameraMotion) {
                endedByNextItem("object " + object.name, object.line, "no ObjectMotion");
                break;
            }
            if (token == "ShowObject") {
                reading_.readShowPair(object.showPair);
            } else if (token == "ObjectMotion") {
                readMotionV1(object.motion);
                break;
            }
        }
        scene_.v1Objects.push_back(std::move(object));
    }

    // A second "CameraMotion" reads into the same record: its keys join the first's and every
    // pair is interpolated again onto the samples, as files written for this reader expect. The
    // work that repeats is bounded: each block adds at most a channel's samples, all counted as
    // baked.
    void readMotionV1(MotionV1& motion) {
        const size_t samplesBefore = motion.samples.size();
        motion.motionName = reading_.keptToken();
        motion.channelCount = reading_.readInt();
        motion.keyCount = reading_.readInt();
        // A key is at least its numbers, each a digit and a space.
        const int64_t shortestKey = 2 * (int64_t{std::max(motion.channelCount, 0)} + 5);
        motion.keys.reserve(motion.keys.size() + reading_.roomFor(motion.keyCount, shortestKey));
        for (int32_t k = 0; k < motion.keyCount && reading_.good(); ++k) {
            MotionKey key;
            if (!readKeyV1(motion.channelCount, key)) break;
            reading_.countBytes(static_cast<int64_t>(sizeof(MotionKey) +
                                                     key.values.size() * sizeof(double) +
                                                     key.params.size() * sizeof(int32_t)));
            motion.keys.push_back(std::move(key));
        }
        motion.keys.shrink_to_fit();
        for (size_t k = 0; k + 1 < motion.keys.size() &&
                           static_cast<int64_t>(motion.samples.size()) < kMaxSamplesPerChannel;
             ++k) {
            appendMotionSamples(motion.samples,
                                interpolateMotionKeys(motion.keys[k], motion.keys[k + 1]));
        }
        reading_.countBaked(static_cast<int64_t>((motion.samples.size() - samplesBefore) *
                                                 std::size(MotionSample{}.channel)));
    }

    // A key's values, then its five numbers; false for a key cut short, which is no key.
    bool readKeyV1(int32_t channelCount, MotionKey& key) {
        key.values.reserve(reading_.roomFor(channelCount, 2));
        for (int32_t c = 0; c < channelCount && reading_.good(); ++c) {
            key.values.push_back(reading_.readNumber());
        }
        key.params.reserve(5);
        for (int p = 0; p < 5; ++p) {
            // Frame numbers are whole; a file that writes "10.0" still means frame 10.
            const double number = reading_.readNumber();
            key.params.push_back(static_cast<int32_t>(
                std::fmax(-2147483648.0, std::fmin(2147483647.0, std::trunc(number)))));
        }
        return reading_.good();
    }

    SceneReading& reading_;
    SceneRecords& scene_;
};

}  // namespace

void readSceneVersion3(SceneReading& reading) { SceneReaderV3(reading).readVersion3(); }

void readSceneVersion1(SceneReading& reading) { SceneReaderV3(reading).readVersion1(); }
