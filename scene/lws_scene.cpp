// The loader: reads the file, picks the reader of its version's family, applies the bounds and
// loads the objects.
#include "scene/lws_scene.h"

#include "files/whole_file.h"
#include "scene/lws_reader_v2.h"
#include "scene/lws_reader_v3.h"
#include "scene/lws_reader_v5.h"
#include "scene/scene_reading.h"

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
    skippedKeywords = 0;
    skippedBlocks = 0;
    SceneReading reading(*this, std::move(text), sourceName,
                         {progress, errors, errorPrefix, maxBakedValues});
    reading_ = &reading;
    readVersion(reading);
    reading_ = nullptr;
    if (reading.tokens().failed()) error_ = reading.tokens().error();
    cost_ = reading.cost();
    warnings_ = reading.warnings();
    objectErrors_ = reading.objectErrors();
    progressMidLine_ = reading.progressMidLine();
    if (reading.overBound()) clearItems();
    if (loadObjects) loadMeshes();
    if (!error_.empty()) {
        endProgressLine();
        report(error_);
    }
    return !error_.empty();
}

// The header, then the reader of the version's family.
void LwsScene::readVersion(SceneReading& reading) {
    header.magic = reading.readToken();
    header.version = reading.readInt();
    switch (header.version) {
        case 1: readSceneVersion1(reading); break;
        case 2: readSceneVersion2(reading); break;
        case 3: readSceneVersion3(reading); break;
        case 4:
        case 5: readSceneVersion5(reading); break;
        default:
            if (!reading.tokens().failed()) {
                error_ = sourceName_ + ": scene version " + std::to_string(header.version) +
                         " is not read (only versions 1 to 5)";
            }
    }
}

std::vector<std::string> LwsScene::reasons() const {
    std::vector<std::string> all = warnings_;
    all.insert(all.end(), objectErrors_.begin(), objectErrors_.end());
    if (!error_.empty()) all.push_back(error_);
    return all;
}

// The reading primitives of the load under way; nothing outside one.
std::string LwsScene::readToken() { return reading_ ? reading_->readToken() : std::string(); }

int32_t LwsScene::readInt() { return reading_ ? reading_->readInt() : 0; }

double LwsScene::readNumber() { return reading_ ? reading_->readNumber() : 0.0; }

Envelope LwsScene::readEnvelope() {
    return reading_ ? reading_->readEnvelope(EnvelopeEnd::AtKeyCount) : Envelope{};
}

SceneKeywordV1 LwsScene::keywordCodeV1(std::string token) { return sceneKeywordV1(token); }

SceneKeywordV3 LwsScene::keywordCodeV3(std::string token) { return sceneKeywordV3(token); }

// Releases everything the reader built, so a file over a bound costs nothing once refused.
void LwsScene::clearItems() {
    objects = {};
    lights = {};
    camera = SceneCamera{};
    v1Objects = {};
    v1CameraMotion = CameraMotionV1{};
}

float LwsScene::computeFieldOfView(float width, float height, float /*pixelAspect*/, float zoom) {
    return computeSceneFieldOfView(width, height, zoom);
}

void LwsScene::report(const std::string& line) { writeSceneReason(errors, errorPrefix, line); }

// Where progress and reports share a stream, a report after a run of dots starts a line.
void LwsScene::endProgressLine() {
    if (progress && progressMidLine_) *progress << '\n' << std::flush;
    progressMidLine_ = false;
}
