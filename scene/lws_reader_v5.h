// The reader of scene versions 4 and 5 (the later LightWave generations) into LwsScene.
//
// These files give every item a hexadecimal id ("LoadObjectLayer 1 10000000 cube.lwo",
// "AddNullObject 10000001 pivot", "AddLight 20000000", "AddCamera 30000000") and name parents
// by it ("ParentItem 10000000"). Motion is channels 0-8 of "Channel n { Envelope ... }" blocks
// with a span shape per key and pre/post behaviours; each is baked with evaluateEnvelope to
// one sample per frame from FirstFrame to LastFrame, so playback indexes frame - FirstFrame.
//
// Most of what these files hold is settings nothing here uses: unknown keywords are skipped
// a token at a time, "{ ... }" blocks (nested) and "Plugin ... EndPlugin" blocks by their
// structure, and both are only counted. The scene's bounds (items, channels per item, baked
// values, samples per channel) apply as for versions 1 and 3, with the same located refusals.
#pragma once

#include <string>

class LwsScene;
class SceneTokens;
struct SceneItem;

// Reads the rest of `tokens` (past the version) into `scene`, as LwsScene::loadFromText's
// readers for versions 1 and 3 do.
void readSceneVersion5(LwsScene& scene, SceneTokens& tokens);

// One sample per frame of FirstFrame..LastFrame from each of the item's envelopes, counted
// against the scene's bounds: how every reader that evaluates whole envelopes bakes.
void bakeOverSceneFrames(LwsScene& scene, SceneItem& item);

// Reads the number after a frame setting ("FirstFrame", "FramesPerSecond", "PreviewLastFrame"
// ...) into the scene; false for any other token.
bool readSceneFrameSetting(LwsScene& scene, const std::string& token);

// Past the "}" that closes a "{" already read, however deeply nested, and past the "EndPlugin"
// of a "Plugin" already read; each counts as one block skipped.
void skipSceneBlock(LwsScene& scene, SceneTokens& tokens);
void skipScenePlugin(LwsScene& scene, SceneTokens& tokens);
