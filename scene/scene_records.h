// The records a scene file is read into, what one file may cost, and the keywords of the older
// generations: what the readers of every version fill and count against, with no reading here.
//
// Angles in the item records are radians whatever the version wrote (version 2's degrees are
// turned into radians as they are read); a version 1 motion keeps the degrees it was written in.
// Every list and name is held by value; a mesh is shared by the items that name the same file
// and layer.
//
// What one file can cost is bounded as a whole, not only channel by channel: a scene holds at
// most kMaxSceneItems items (every object, camera and light block, and every version 1
// object, counted as it begins, so cameras that replace each other count too), at most
// kMaxChannelsPerItem channels in one item, and its motion bakes into at most kMaxBakedValues
// doubles (a version 3 sample is one, a version 1 sample nine), on top of the
// kMaxSamplesPerChannel of each channel. Passing a bound stops the reader with a located reason
// ("big.lws: line 40: more than 9 channels in one item") and leaves the scene empty: no
// objects, lights or motion, a default camera, no meshes loaded.
//
// So a scene file of N bytes makes the process grow by at most kSceneBytesPerFileByte × N +
// kSceneFixedBytes while it is read, about 11 N + 46 MiB. That is not a small multiple of N:
// baked motion follows the keys' times, not the text's length, so a few kilobytes may bake the
// whole 32 MiB. The text is held once; what else grows with the text (names and keys) is at
// most 10 bytes a byte of text as the allocator counts it. The densest is a version 4 or 5
// envelope whose count is short of its keys: the block ends at its "}", not at its count, so
// past the room the count gave the keys' array doubles, and while it moves it holds three
// 72-byte records for each "Key 0 0 0 0 0 0 0 0 0 " (22 bytes), 9.8 bytes a byte. Next come a
// version 1 key of one value, "0 0 0 0 0 0 " (12 bytes): a 48-byte record and two blocks of
// the allocator's smallest size, 32 bytes, for its value and its five frame numbers (9.3); a
// version 3 key (room as counted, then the exact copy that gives back the rest: 6.5) and a
// version 2 key, "0 0 2 0 0 0 " (12 bytes) for a 72-byte record (6). Arrays of keys and of a
// key's values are given room once, as the file counts them but no more than the rest of the
// text can hold, and room a false count took is given back before another array asks for its
// own (a version 2 channel reads as many keys as it counts, so a false count uses up the text).
//
// The fixed part has two halves. The items' half, kSceneItemBytes an item (under 4 KiB), is
// what an item holds whatever its text: its record, its channel records and sample arrays and
// a parent link, with the room arrays keep as they double. A version 2 item of nine channels
// without keys ("LoadObject a ObjectMotion m 9 0 0 0 0 0 0 0 0 0", 48 bytes) makes some 50
// bytes a byte of its text that way, so these are counted by the item, not by the text.
// The baked half is the baked values: up to the bound, plus one item's worth past it (versions
// 1 and 3 check the bound once an item is baked; versions 2, 4 and 5 before they bake) and one
// in passing (a version 1 key pair is interpolated whole before its samples are appended),
// with the whole pages large arrays are given. loadCost() counts what the reader made in record
// sizes, and a test measures the bound with the allocator, each half with texts that fill it.
//
// The objects a scene names are bounded as a whole too. Items that name the same file and layer
// share one loaded object, and an object's file is let go once it is read into its records. The
// files of one scene's objects hold at most kMaxSceneObjectBytes in all (each file counted once,
// the first time it is read); the object whose file would pass that is refused unread, with a
// reason at its line (a setting, maxObjectBytes, may lower that). Loading an object costs at
// most kObjectBytesPerFileByte bytes a byte of its file and kObjectFixedBytes, so the objects of
// one scene grow the process by at most kSceneObjectsBoundBytes: about 7 GiB at the worst, the
// cost of one object of the largest size the object reader takes, for files of nothing but the
// smallest triangles (real objects cost far less). A test measures it with the allocator.
#pragma once

#include "lwo/lwo_object.h"
#include "scene/envelope.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What an item is, for the parent an item names: an object, a light or the camera.
enum class SceneItemKind { Object, Light, Camera };

struct SceneHeader {
    std::string magic;  // first token, not examined
    int32_t version = 0;
};

// One version 3 object; also the common part of the camera and the lights.
struct SceneItem {
    int32_t layerNumber = 0;
    std::string name;
    int32_t line = 0;  // of the scene, where its name was read: object reasons are located there
    int32_t showPair[2] = {0, 0};
    int32_t numChannels = 0;
    std::vector<EnvelopeChannel> channels;
    // Loaded from `name`; items that name the same file and layer share it. Null when nothing
    // was loaded (a null object, a camera or light, a file refused or unreadable).
    std::shared_ptr<LwoObject> mesh;
    int32_t frameCounter = 0;
    BakedChannels samples;  // one array per channel, in channel order
    // Versions 4 and 5 only: the item's id, its parent's (0: none) and that parent once
    // resolved: its kind and its index in `objects` or `lights` (-1: none; 0 for the camera),
    // the pivot it turns about, and whether it is a null object (no mesh to load).
    uint32_t itemId = 0;
    uint32_t parentId = 0;
    int32_t parentIndex = -1;
    SceneItemKind parentKind = SceneItemKind::Object;
    double pivot[3] = {0.0, 0.0, 0.0};
    // Versions 4 and 5: PivotRotation, heading, pitch and bank in radians (the file writes
    // degrees): the pivot's own turn, outside the item's motion (scene/lws_player_v5.h).
    double pivotRotation[3] = {0.0, 0.0, 0.0};
    bool isNull = false;
    // Versions 4 and 5: ShowObject's first number, the visibility, is 0 (hidden): not drawn.
    bool shown = true;
};

// Defaults stand in for lens lines a file lacks.
struct SceneCamera : SceneItem {
    SceneCamera() { numChannels = 1; }
    std::string cameraName;
    float frameWidth = 640.0f;
    float frameHeight = 480.0f;
    float zoomFactor = 3.2f;
    float pixelAspect = 1.0f;
    float fieldOfView = 45.0f;  // degrees, vertical
};

// Read and kept; the show never lights with them, the tools do (scene/scene_lighting.h).
// LightType: 0 distant, 1 point, 2 spot, 3 linear, 4 area. A light shines along its own +Z.
struct SceneLight : SceneItem {
    float lightColour[3] = {1.0f, 1.0f, 1.0f};
    float lightIntensity = 1.0f;
    float lightType = 0.0f;
    float coneAngle = 30.0f;  // degrees from the spot's axis to its edge (versions 4 and 5)
    float edgeAngle = 5.0f;  // degrees, the soft band inside the edge
};

// A version 1 motion as read, and its samples (one per frame, from one frame past key 0).
struct MotionV1 {
    std::string motionName;
    int32_t channelCount = 0;
    int32_t keyCount = 0;
    std::vector<MotionKey> keys;
    std::vector<MotionSample> samples;
    int32_t frameCounter = 0;
};

struct SceneObjectV1 {
    std::string name;
    int32_t line = 0;  // as SceneItem::line
    int32_t showPair[2] = {0, 0};
    MotionV1 motion;
    std::shared_ptr<LwoObject> mesh;  // as SceneItem::mesh
};

using CameraMotionV1 = MotionV1;

// Nine channels, because that is an item's whole motion (position, rotation and scale, three
// each; cameras write six) and the player reads no more: a tenth means the file is not a scene.
constexpr int64_t kMaxChannelsPerItem = 9;
// Far more than a scene made by hand. Each item costs its record (under a kilobyte) and its
// mesh, and each light block prints every light so far: 1024 lights print half a million
// entries (21 MB), 4096 would print eight million. So no tool prints that unasked.
constexpr int64_t kMaxSceneItems = 1024;
// 32 MiB of doubles: nine channels of 30 items for eight minutes at 30 frames per second.
constexpr int64_t kMaxBakedValues = int64_t{1} << 22;

constexpr int64_t kSceneBytesPerFileByte = 11;
// The most the allocator adds to a small block (one double takes 24 bytes).
constexpr int64_t kSmallBlockRounding = 16;
// A parent link of versions 4 and 5: an entry waiting to be resolved (24 bytes, in an array that
// doubles), the entry of the table that resolves it (a 24-byte node and its buckets) and the
// line that reports it unresolved, names aside (the item's counts with the text; the file's,
// as the caller gave it, is not counted).
constexpr int64_t kParentLinkBytes = 256;
// An item's record twice over: objects and lights are arrays that double, and hold the old and
// the new array while they move.
constexpr int64_t kSceneItemRecordBytes =
    static_cast<int64_t>(2 * std::max({sizeof(SceneItem), sizeof(SceneCamera),
                                       sizeof(SceneLight), sizeof(SceneObjectV1)}));
// What one item holds besides its names, keys and samples: its record, room for twice its
// channels' records and sample arrays (nine channels take an array of sixteen), the rounding
// of each sample array, and a parent link.
constexpr int64_t kSceneItemBytes =
    kSceneItemRecordBytes + 2 * kMaxChannelsPerItem *
        static_cast<int64_t>(sizeof(EnvelopeChannel) + sizeof(SampleArray) + kSmallBlockRounding) +
    kParentLinkBytes;
// The bound, one item's worth past it and one in passing (see above).
constexpr int64_t kSceneBakedValuesAtMost =
    kMaxBakedValues + 2 * kMaxChannelsPerItem * kMaxSamplesPerChannel;
// Baked values as the allocator holds them: a large array is given whole pages, at most 4 KiB
// more on 128 KiB, a thirty-second.
constexpr int64_t sceneBakedBytes(int64_t values) {
    return values * static_cast<int64_t>(sizeof(double)) * 33 / 32;
}
constexpr int64_t kSceneFixedBytes =
    sceneBakedBytes(kSceneBakedValuesAtMost) + kMaxSceneItems * kSceneItemBytes;

// The files of one scene's objects, in all: as much as one object may be.
constexpr int64_t kMaxSceneObjectBytes = int64_t{256} << 20;
// What loading an object costs a byte of its file at the most: a file of nothing but triangles
// of 2-byte indices, 8 bytes each, makes a polygon record, its corners' index array and the
// mesh polygon built from it (measured: 21 bytes a byte held once loaded, 26 at the peak while
// the polygons are built, the file itself included).
constexpr int64_t kObjectBytesPerFileByte = 28;
// And whatever its file: its records, the mesh's arrays and the allocator's rounding.
constexpr int64_t kObjectFixedBytes = 8 << 10;
constexpr int64_t kSceneObjectsBoundBytes =
    kObjectBytesPerFileByte * kMaxSceneObjectBytes + kMaxSceneItems * kObjectFixedBytes;

// What the reader made while reading one scene, counted as it went: the bounds are checked
// against these, and `bytes` adds up every record made, kept or not, in record sizes.
struct SceneLoadCost {
    int64_t items = 0;        // blocks begun
    int64_t bakedValues = 0;  // doubles baked
    int64_t bytes = 0;        // the text, item records, names, channels, keys and baked values
};

// The keywords the two older readers act on. The numbers are the codes these keywords have
// always had, gaps included, so a code written down anywhere still means the same keyword.
enum class SceneKeywordV3 : int {
    Unknown = -1,
    FirstFrame = 0,
    LastFrame = 1,
    FrameStep = 2,
    FramesPerSecond = 3,
    LoadObjectLayer = 4,
    AddCamera = 6,
    AddLight = 7,
    PreviewFirstFrame = 8,
    PreviewLastFrame = 9,
    PreviewFrameStep = 10,
};

enum class SceneKeywordV1 : int {
    Unknown = -1,
    FrameRange = 0,  // FirstFrame and LastFrame alike: their numbers are read as tokens
    FrameStep = 2,
    FramesPerSecond = 3,
    LoadObject = 4,
    CameraMotion = 5,
    ZoomFactor = 11,
    CustomSize = 12,
    PixelAspectRatio = 13,
};

// Everything a file says, as its reader left it: one scene's records, whatever its version.
// Versions 2, 4 and 5 fill the version 3 records (`objects`, `camera`, `lights`) and the frame
// settings; version 1 its own.
struct SceneRecords {
    SceneHeader header;

    int32_t v1FrameStep = 1;
    int32_t v1FramesPerSecond = 30;
    std::vector<SceneObjectV1> v1Objects;
    CameraMotionV1 v1CameraMotion;
    float v1FrameWidth = 640.0f;
    float v1FrameHeight = 480.0f;
    float v1ZoomFactor = 3.2f;
    float v1PixelAspect = 1.0f;
    float v1FieldOfView = 45.0f;

    int32_t firstFrame = 0;
    int32_t lastFrame = 0;
    int32_t frameStep = 1;
    int32_t previewFirstFrame = 0;
    int32_t previewLastFrame = 0;
    int32_t previewFrameStep = 1;
    int32_t framesPerSecond = 30;
    std::vector<SceneItem> objects;
    SceneCamera camera;
    std::vector<SceneLight> lights;
    // The light every surface gets from all around (versions 4 and 5 say it; LightWave's
    // default otherwise).
    float ambientColour[3] = {1.0f, 1.0f, 1.0f};
    float ambientIntensity = 0.05f;

    // Versions 2, 4 and 5: what was skipped unread, counted rather than reported one by one.
    int32_t skippedKeywords = 0;
    int32_t skippedBlocks = 0;  // "{ ... }" and "Plugin ... EndPlugin"
};
