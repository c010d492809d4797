// The reader of scene version 2, the interim format between versions 1 and 3, into the scene
// model that versions 4 and 5 fill: objects, a camera and lights whose channels are envelopes,
// baked over FirstFrame..LastFrame as those versions are.
//
// Its items are named as in version 1 ("LoadObject cube.lwo", "AddLight", "AddCamera", no ids,
// no layers), but motion is kept per channel, each channel an envelope:
//
//   ObjectMotion (unnamed)      also LightMotion and CameraMotion; the name is not kept
//     9                         channels
//     3                         keys of channel 0, then one line per key:
//     2.069113 0.6666667 2 0 0 0    value, time in seconds, interpolation, tension,
//     ...                           continuity, bias
//     1                         keys of channel 1, and so on
//   Pre/PostBehavior 1 1 1 1 ...    the pre and post behaviour of each channel in turn
//
// The interpolation number is the only one the later versions do not explain. Every key of
// the one version 2 file we know (tests/data/lws/move_x_oldformat_56.lws) holds 2, and the same
// scene saved as version 5 (move_x.lws) calls those keys TCB: read as TCB with the key's
// tension, continuity and bias, the two give the same motion at every frame of the scene
// (within 3e-6, the precision the older file writes), and no other span shape comes within
// 0.4. So 2 is read as TCB; any other number is refused, with its line, rather than guessed.
// Angles (channels 3 to 5) are written in degrees, as in version 1; they are kept in radians,
// as the later versions write them, so the model holds one unit whatever the version. Light
// colours are written 0 to 255 and kept 0 to 1, likewise.
//
// Unknown keywords are skipped a token at a time and counted, plugin blocks by their structure;
// the scene's bounds apply as for every version, with the same located refusals.
#pragma once

class SceneReading;

// Reads the rest of the reading's tokens (past the version) into its scene.
void readSceneVersion2(SceneReading& reading);
