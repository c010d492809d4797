// The reader of the two older scene generations: version 1 (one block of numbers per key,
// linear motion, degrees) and version 3 (an envelope per channel, Hermite motion, radians),
// with the progress printout both have always written (version 3 only: version 1 prints
// nothing).
//
// Blocks end where the format says (an object at its last channel, the camera at PixelAspect, a
// light at LightType, a version 1 object at ObjectMotion); one that lacks its end stops where the
// next item begins, which is then read as its own, with a warning at the block's line.
#pragma once

#include "scene/scene_records.h"

#include <string_view>

class SceneReading;

// Read the rest of the reading's tokens (past the version) into its scene.
void readSceneVersion3(SceneReading& reading);
void readSceneVersion1(SceneReading& reading);

// Unknown for a token that is no keyword.
SceneKeywordV3 sceneKeywordV3(std::string_view token);
SceneKeywordV1 sceneKeywordV1(std::string_view token);
