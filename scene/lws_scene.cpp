#include "scene/lws_scene.h"

#include "platform/whole_file.h"
#include "scene/lws_reader_v5.h"
#include "scene/scene_tokens.h"
#include "texture/jpeg_texture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <sstream>

namespace {

// Scene files are a few kilobytes; anything this large is not one.
constexpr size_t kMaxSceneBytes = size_t{64} << 20;

const char* const kVersion1Texture = "scenede.jpg";

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

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

LwsScene::LwsScene() : progress(&std::cout), errors(&std::cerr) {}

LwsScene::LwsScene(const std::string& path, std::string contentDir_)
    : contentDir(contentDir_.empty() ? folderOf(path) : std::move(contentDir_)),
      progress(&std::cout),
      errors(&std::cerr),
      path_(path) {}

LwsScene::~LwsScene() = default;

bool LwsScene::load() {
    std::string text;
    const std::string why = files::readWholeFile(path_, kMaxSceneBytes, text);
    if (!why.empty()) {
        error_ = path_ + ": " + why;
        report(error_);
        return true;
    }
    // Messages name the file as it was given, the way a failed read does.
    return loadFromText(std::move(text), path_);
}

bool LwsScene::loadFromText(std::string text, const std::string& sourceName) {
    error_.clear();
    objectErrors_.clear();
    sourceName_ = sourceName;
    cost_ = SceneLoadCost{};
    cost_.bytes = static_cast<int64_t>(text.size());
    overBound_ = false;
    progressMidLine_ = false;
    skippedKeywords = 0;
    skippedBlocks = 0;
    tokens_ = std::make_unique<SceneTokens>(std::move(text), sourceName);
    header.magic = readToken();
    header.version = readInt();
    if (header.version == 3) {
        readVersion3();
    } else if (header.version == 1) {
        readVersion1();
    } else if (header.version == 4 || header.version == 5) {
        readSceneVersion5(*this, *tokens_);
    } else if (!tokens_->failed()) {
        error_ = sourceName + ": scene version " + std::to_string(header.version) +
                 " is not read (only versions 1, 3, 4 and 5)";
    }
    if (tokens_->failed()) error_ = tokens_->error();
    tokens_.reset();
    if (overBound_) clearItems();
    if (loadObjects) loadMeshes();
    if (header.version == 1) {
        v1FieldOfView =
            computeFieldOfView(v1FrameWidth, v1FrameHeight, v1PixelAspect, v1ZoomFactor);
    }
    if (!error_.empty()) {
        endProgressLine();
        report(error_);
    }
    return !error_.empty();
}

std::vector<std::string> LwsScene::reasons() const {
    std::vector<std::string> all = objectErrors_;
    if (!error_.empty()) all.push_back(error_);
    return all;
}

std::string LwsScene::readToken() {
    std::string token;
    if (tokens_) tokens_->next(token);
    return token;
}

int32_t LwsScene::readInt() {
    int32_t value = 0;
    if (tokens_ && !tokens_->nextInt(value)) value = 0;
    return value;
}

double LwsScene::readNumber() {
    double value = 0.0;
    if (tokens_ && !tokens_->nextNumber(value)) value = 0.0;
    return value;
}

// ---- bounds ----

// False, with the reader stopped at the current line, once `count` passes `bound`.
bool LwsScene::withinBound(int64_t count, int64_t bound, const char* what) {
    if (count <= bound) return true;
    tokens_->stop("more than " + std::to_string(bound) + " " + what);
    overBound_ = true;
    return false;
}

bool LwsScene::beginItem(size_t recordBytes) {
    cost_.bytes += static_cast<int64_t>(recordBytes);
    return withinBound(++cost_.items, kMaxSceneItems, "items (objects, cameras and lights)");
}

// A token the scene keeps (a name), so it counts.
std::string LwsScene::keptToken() {
    std::string token = readToken();
    cost_.bytes += static_cast<int64_t>(token.size());
    return token;
}

void LwsScene::countBaked(int64_t values) {
    cost_.bakedValues += values;
    cost_.bytes += values * static_cast<int64_t>(sizeof(double));
    withinBound(cost_.bakedValues, maxBakedValues, "baked motion values in one scene");
}

void LwsScene::bakeItem(SceneItem& item) {
    if (overBound_) return;  // the scene is emptied anyway
    item.samples = bakeEnvelopes(item.channels, framesPerSecond);
    int64_t values = 0;
    for (const SampleArray& samples : item.samples) values += static_cast<int64_t>(samples.size());
    countBaked(values);
}

// Releases everything the reader built, so a file over a bound costs nothing once refused.
void LwsScene::clearItems() {
    objects = {};
    lights = {};
    camera = SceneCamera{};
    v1Objects = {};
    v1CameraMotion = CameraMotionV1{};
}

int LwsScene::keywordCodeV3(std::string token) {
    static const char* const kKeywords[] = {
        "FirstFrame",       "LastFrame",  "FrameStep", "FramesPerSecond",   "LoadObjectLayer",
        nullptr,            "AddCamera",  "AddLight",  "PreviewFirstFrame", "PreviewLastFrame",
        "PreviewFrameStep",
    };
    for (int code = 0; code < static_cast<int>(std::size(kKeywords)); ++code) {
        if (kKeywords[code] && token == kKeywords[code]) return code;
    }
    return -1;
}

int LwsScene::keywordCodeV1(std::string token) {
    struct Keyword {
        const char* token;
        int code;
    };
    static const Keyword kKeywords[] = {
        {"FirstFrame", 0},  {"LastFrame", 0},   {"FrameStep", 2},   {"FramesPerSecond", 3},
        {"LoadObject", 4},  {"CameraMotion", 5}, {"ZoomFactor", 11}, {"CustomSize", 12},
        {"PixelAspectRatio", 13},
    };
    for (const Keyword& keyword : kKeywords) {
        if (token == keyword.token) return keyword.code;
    }
    return -1;
}

float LwsScene::computeFieldOfView(float width, float height, float /*pixelAspect*/, float zoom) {
    const double halfAngle = std::atan((width * 0.5) / (height * 0.5 * zoom));
    return static_cast<float>(2.0 * halfAngle / 3.1415 * 180.0);
}

// ---- version 3 ----

void LwsScene::readVersion3() {
    std::string token;
    while (tokens_->next(token)) {
        switch (keywordCodeV3(token)) {
            case 0:
                firstFrame = readInt();
                printSetting("\nFirstFrame: ", firstFrame);
                break;
            case 1:
                lastFrame = readInt();
                printSetting("\nLAstFrame: ", lastFrame);
                break;
            case 2:
                frameStep = readInt();
                printSetting("\nFrameStep: ", frameStep);
                break;
            case 3:
                framesPerSecond = readInt();
                printSetting("\nFramesPerSec: ", framesPerSecond);
                break;
            case 4: readObjectBlock(); break;
            case 6: readCameraBlock(); break;
            case 7:
                readLightBlock();
                printLightList();
                break;
            case 8: previewFirstFrame = readInt(); break;
            case 9: previewLastFrame = readInt(); break;
            case 10: previewFrameStep = readInt(); break;
            default: skippedToken(); break;
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

void LwsScene::report(const std::string& line) {
    if (errors) *errors << errorPrefix << line << std::endl;
}

// Where progress and reports share a stream, a report after a run of dots starts a line.
void LwsScene::endProgressLine() {
    if (progress && progressMidLine_) *progress << '\n' << std::flush;
    progressMidLine_ = false;
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
        }
        if (static_cast<int64_t>(envelope.keys.size()) >= envelope.keyCount) break;
    }
    envelope.keys.shrink_to_fit();
    return envelope;
}

void LwsScene::readCameraBlock() {
    if (!beginItem(sizeof(SceneCamera))) return;
    SceneCamera newCamera;
    std::string token;
    while (tokens_->next(token)) {
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
    std::string token;
    while (tokens_->next(token)) {
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
        out << "\n\n" << light.name << "\n";
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
            case 2: v1FrameStep = readInt(); break;
            case 3: v1FramesPerSecond = readInt(); break;
            case 4: readObjectV1(); break;
            case 5: readMotionV1(v1CameraMotion); break;
            case 11: v1ZoomFactor = static_cast<float>(readNumber()); break;
            case 12:
                v1FrameWidth = static_cast<float>(readNumber());
                v1FrameHeight = static_cast<float>(readNumber());
                break;
            case 13: v1PixelAspect = static_cast<float>(readNumber()); break;
            default: break;  // FirstFrame and LastFrame too: their numbers go as tokens
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

// ---- objects ----

namespace {

namespace fs = std::filesystem;

// Absolute, with symbolic links and ".." followed as far as the path exists (as opening it
// would follow them) and without a trailing separator, so "dir/" compares as "dir".
fs::path resolvedPath(const fs::path& path, std::error_code& failed) {
    fs::path out = fs::absolute(path, failed);
    if (!failed) out = fs::weakly_canonical(out, failed);
    if (!out.has_filename() && out.has_relative_path()) out = out.parent_path();
    return out;
}

// Component by component, so "/a/bc" is not inside "/a/b".
bool isWithin(const fs::path& folder, const fs::path& path) {
    return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first ==
           folder.end();
}

// Why `path` may not be opened for a scene whose content is in `folder`, or "".
std::string outsideFolder(const std::string& folder, const std::string& path) {
    // The system would open the name only up to a NUL byte, not the path checked here.
    if (path.find('\0') != std::string::npos) return "its name holds a NUL byte";
    std::error_code failed;
    const fs::path root = resolvedPath(folder, failed);
    const fs::path target = failed ? fs::path() : resolvedPath(path, failed);
    if (failed) return "its path cannot be resolved: " + failed.message();
    if (isWithin(root, target)) return "";
    return "it leads to " + target.string() + ", outside the content folder " + root.string();
}

}  // namespace

// Names from a file are confined to the content folder: a scene may not make the reader open
// whatever it points at ("../../../../etc/passwd", "/dev/zero", a link out of the folder).
std::string LwsScene::contentPath(const std::string& name, std::string& refusal) const {
    // Scenes written on Windows name objects with backslashes.
    std::string relative = name;
    for (char& c : relative) {
        if (c == '\\') c = '/';
    }
    const std::string folder = contentDir.empty() ? std::string(".") : contentDir;
    const std::string path =
        !relative.empty() && relative[0] == '/' ? relative : folder + "/" + relative;
    refusal = outsideFolder(folder, path);
    return path;
}

// Objects name their pictures as they lay on the modeller's machine ("Q:Images/sky.jpg"); where
// that path is not in the content folder, the picture is looked for there by its own name.
std::string LwsScene::clipPath(const std::string& name, std::string& refusal) const {
    const std::string asGiven = contentPath(name, refusal);
    std::error_code ignored;
    const size_t cut = name.find_last_of("/\\:");
    if (cut == std::string::npos || (refusal.empty() && fs::exists(asGiven, ignored))) {
        return asGiven;
    }
    return contentPath(name.substr(cut + 1), refusal);
}

void LwsScene::loadMeshes() {
    for (SceneItem& object : objects) {
        if (!object.isNull) loadObjectFile(object.mesh, object.name, object.line, nullptr);
    }
    for (SceneObjectV1& object : v1Objects) {
        loadObjectFile(object.mesh, object.name, object.line, kVersion1Texture);
    }
}

// The object reader's own texts ("nie ma go!!!") are progress too, and are passed on after the
// object's failure report, so that report stays a line of its own where both share a stream.
void LwsScene::loadObjectFile(LwoObject& mesh, const std::string& name, int32_t line,
                              const char* textureName) {
    endProgressLine();
    std::ostringstream said;
    mesh.diagnostics = &said;
    loadMesh(mesh, name, sourceName_ + ": line " + std::to_string(line) + ": object " + name,
             textureName);
    mesh.diagnostics = progress;
    if (!progress || said.str().empty()) return;
    *progress << said.str() << std::flush;
    progressMidLine_ = said.str().back() != '\n';
}

// `where` begins every reason: the scene, the line and the object ("a.lws: line 4: object x").
void LwsScene::loadMesh(LwoObject& mesh, const std::string& name, const std::string& where,
                        const char* textureName) {
    // Clip pictures are looked up here, in the content folder, not where the process runs.
    mesh.clipTextureLoader = nullptr;
    std::string refusal;
    const std::string path = contentPath(name, refusal);
    if (!refusal.empty()) {
        objectErrors_.push_back(where + " refused: " + refusal);
        report(objectErrors_.back());
        return;
    }
    if (mesh.load(path.c_str())) {
        const std::string& why = mesh.lastError();
        objectErrors_.push_back(where + " not loaded: " +
                                (why.empty() ? path + ": cannot be read" : why));
        report(objectErrors_.back());
        return;
    }
    if (loadTextures) loadTexture(mesh, where, textureName);
}

void LwsScene::loadTexture(LwoObject& mesh, const std::string& where, const char* textureName) {
    if (!textureName && mesh.reader.clips.empty()) return;
    std::string refusal;
    const std::string texturePath = textureName ? contentPath(textureName, refusal)
                                                : clipPath(mesh.reader.clips[0].fileName, refusal);
    if (!refusal.empty()) {
        objectErrors_.push_back(where + ": texture " + texturePath + " refused: " + refusal);
    } else if (textureName ? loadJpegTextureMipmapped(texturePath.c_str(), mesh.texture, 1)
                           : mesh.loadTexture(texturePath.c_str())) {
        objectErrors_.push_back(where + ": texture " + texturePath + " not loaded");
    } else {
        return;
    }
    report(objectErrors_.back());
}
