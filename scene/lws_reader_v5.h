// The reader of scene versions 4 and 5 (the later LightWave generations) into the scene records.
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

class SceneReading;

// Reads the rest of the reading's tokens (past the version) into its scene.
void readSceneVersion5(SceneReading& reading);
