// The scene model's core: loading a file, dispatching on its version to the reader of its
// generation, the reading primitives and the bounds every reader counts against.
#include "scene/lws_scene.h"

#include "files/whole_file.h"
#include "scene/envelope_eval.h"
#include "scene/lws_reader_v2.h"
#include "scene/lws_reader_v5.h"
#include "scene/scene_tokens.h"
#include "text/json_text.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

// Scene files are a few kilobytes; anything this large is not one.
constexpr size_t kMaxSceneBytes = size_t{64} << 20;

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
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
    warnings_.clear();
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
    } else if (header.version == 2) {
        readSceneVersion2(*this, *tokens_);
    } else if (!tokens_->failed()) {
        error_ = sourceName + ": scene version " + std::to_string(header.version) +
                 " is not read (only versions 1 to 5)";
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
    std::vector<std::string> all = warnings_;
    all.insert(all.end(), objectErrors_.begin(), objectErrors_.end());
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
    // Past the last key, where the file gives a behaviour there (scene/envelope_eval.h).
    followPostBehaviors(item.samples, item.channels, framesPerSecond, std::max(lastFrame, previewLastFrame));
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

float LwsScene::computeFieldOfView(float width, float height, float /*pixelAspect*/, float zoom) {
    const double halfAngle = std::atan((width * 0.5) / (height * 0.5 * zoom));
    return static_cast<float>(2.0 * halfAngle / 3.1415 * 180.0);
}

void LwsScene::report(const std::string& line) {
    if (errors) *errors << errorPrefix << terminal::printable(line) << std::endl;
}

// Where progress and reports share a stream, a report after a run of dots starts a line.
void LwsScene::endProgressLine() {
    if (progress && progressMidLine_) *progress << '\n' << std::flush;
    progressMidLine_ = false;
}

