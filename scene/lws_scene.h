// A LightWave scene: the text file read into objects, camera and lights with baked motion,
// their meshes loaded, and players that draw it one frame per call.
//
// One reader per generation feeds this model: scene/lws_reader_v3.cpp the two older ones, 1
// (one block of numbers per key, linear motion, angles in degrees) and 3 (an envelope per
// channel, Hermite motion, angles in radians); scene/lws_reader_v5.h versions 4 and 5, and
// scene/lws_reader_v2.h the interim version 2 into the same records as they. Objects
// are loaded by scene/lws_objects.cpp, and played by scene/lws_player.cpp (versions 4 and 5 by
// scene/lws_player_v5.cpp). Any other version leaves the scene empty. The reader is a keyword
// scanner: unknown tokens are skipped one by one, and every loop also ends where the text ends
// or a number is malformed, so a damaged file yields the items read before the damage.
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
//
// Object files (and the clip pictures they name) are looked up in `contentDir`, by default
// the scene file's own folder; the working directory is never changed. A name that resolves
// outside that folder (through "..", as an absolute path or through a symbolic link) is
// refused, unopened, with a reason located at the scene's line, unless it is inside
// `allowDir`, a wider folder the caller trusts. The file is opened beneath the folder it was
// found in, so a link swapped in after the check cannot lead out either. The scene owns its
// meshes; texture names stay alive with the GL context. Reading needs a current GL context
// only when objects are loaded (textures); playing always needs one.
#pragma once

#include "lwo/lwo_object.h"
#include "scene/envelope.h"
#include "timeline/frame_timer.h"

#include <algorithm>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class SceneTokens;

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

class LwsScene {
    friend class SceneReaderV5;
    friend class SceneReaderV2;

public:
    LwsScene();
    // The file is read by `load`; `contentDir` empty means the scene file's folder.
    explicit LwsScene(const std::string& path, std::string contentDir = {});
    ~LwsScene();
    LwsScene(const LwsScene&) = delete;
    LwsScene& operator=(const LwsScene&) = delete;

    // Reads the file once. True on failure: the file could not be read (not a regular file, or
    // over 64 MiB), its version is not 1 to 5, a number was malformed (the items before it are
    // kept) or a bound was passed (the scene is left empty). One line on stderr says why.
    // Object files that fail to load are reported but are no failure here.
    [[nodiscard]] bool load();
    // The same reader over text already in memory; `sourceName` labels messages.
    [[nodiscard]] bool loadFromText(std::string text, const std::string& sourceName = "scene");

    // The reader's primitives, valid during a load: "" and 0 once the input is used up.
    std::string readToken();
    int32_t readInt();
    double readNumber();
    Envelope readEnvelope();

    // Unknown for a token that is no keyword.
    static SceneKeywordV1 keywordCodeV1(std::string token);
    static SceneKeywordV3 keywordCodeV3(std::string token);

    // Degrees. Pi is taken as 3.1415 and pixelAspect does not enter the result.
    static float computeFieldOfView(float width, float height, float pixelAspect, float zoom);

    // Playback: one frame per call with a current GL context; the caller clears and swaps.
    // Version 3 objects are placed from their raw keys, one key per frame, and the camera from
    // its baked samples (a camera whose position channels baked none stays at the origin).
    void prepareVertexArrays();
    // Version 3: vertex-array drawing (prepareVertexArrays first), the camera wrapping at
    // previewLastFrame; returns the camera's counter. Version 1: playV1, returns 1. Versions 2,
    // 4 and 5: playSceneVersion5 (scene/lws_player_v5.h), returns the scene frame drawn. Other
    // versions draw nothing and return 1.
    int32_t play();
    // As play, but version 3 draws in immediate mode and its camera wraps at `limit` or at the
    // end of its samples. Versions 2, 4 and 5 play as play does.
    int32_t playLimited(int32_t limit);
    // Versions 2, 4 and 5 read into items with motion baked per frame over the scene's range,
    // and are all played by one player.
    bool playsItemByItem() const {
        return header.version == 2 || header.version == 4 || header.version == 5;
    }
    // Version 3 only: the camera runs from 0 up to previewLastFrame and back down.
    int32_t playPingPong();
    void playWithArrays();
    void playImmediate(int32_t limit);
    // Waits on frameTimer for the scene's rate, draws every version 1 object; returns how many.
    int32_t playV1();

    // Why the last load failed; empty after a clean one.
    const std::string& error() const { return error_; }
    // What the last load made (zero before one).
    const SceneLoadCost& loadCost() const { return cost_; }
    // One line per object (or texture) that could not be loaded.
    const std::vector<std::string>& objectErrors() const { return objectErrors_; }
    // Located lines about what the file lacked where the reader kept what it does hold (an
    // item's block that ran into the next item).
    const std::vector<std::string>& warnings() const { return warnings_; }
    // Every reason of the last load in the order they arose, the text's warnings, the objects'
    // then the scene's error: what a caller that writes them itself (errors null) has to write.
    std::vector<std::string> reasons() const;

    // Load settings, read by `load`.
    std::string contentDir;
    // Empty, or a folder trusted besides contentDir: names that lead into it are loaded too.
    std::string allowDir;
    // The progress printout and the object reader's texts; null: silence. The printout lists
    // every light so far after each light, quadratic in the lights: give it only to a reader
    // who asked for it.
    std::ostream* progress;
    // Each located reason as it happens, a line each (the scene's and every object's), after
    // errorPrefix (a program's "name: "); null keeps them only in error() and objectErrors().
    std::ostream* errors;
    std::string errorPrefix;
    bool loadObjects = true;
    bool loadTextures = true;  // off where there is no GL context (tools, tests)
    // The scene's bound on baked values; a caller that wants less work per file (the fuzzer)
    // may lower it. Raising it past kMaxBakedValues voids the bound written above.
    int64_t maxBakedValues = kMaxBakedValues;
    // The same for the files of the scene's objects, in all (see above).
    int64_t maxObjectBytes = kMaxSceneObjectBytes;

    SceneHeader header;
    int32_t direction = 1;

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

    FrameTimer frameTimer;  // paces version 1 playback

    // Versions 4 and 5: what was skipped unread, counted rather than reported one by one.
    int32_t skippedKeywords = 0;
    int32_t skippedBlocks = 0;  // "{ ... }" and "Plugin ... EndPlugin"

private:
    bool beginItem(size_t recordBytes);
    bool withinBound(int64_t count, int64_t bound, const char* what);
    std::string keptToken();
    void bakeItem(SceneItem& item);
    void countBaked(int64_t values);
    void clearItems();
    void readVersion3();
    void readVersion1();
    void readObjectBlock();
    void readCameraBlock();
    void readLightBlock();
    bool readChannel(std::vector<EnvelopeChannel>& channels);
    void readShowPair(int32_t (&pair)[2]);
    static bool beginsItem(const std::string& token);
    void endedByNextItem(const std::string& item, int32_t line, const std::string& found);
    void readObjectV1();
    void readMotionV1(MotionV1& motion);
    void printLightList();
    void printSetting(const char* label, int32_t value);
    void skippedToken();
    void endProgressLine();
    void report(const std::string& line);
    // A file a name leads to: the path its messages show, the folder it must stay in (resolved)
    // and its path from there, or why it may not be opened.
    struct ContentFile {
        std::string path;
        std::string folder;
        std::string beneath;
        std::string refusal;
    };
    // One file's object, shared by the items that name it, and the reasons each of them repeats
    // after its own "<scene>: line N: object NAME".
    struct LoadedObject {
        std::shared_ptr<LwoObject> mesh;
        std::vector<std::string> reasons;
        std::string progressText;  // the object reader's, passed on once
    };
    void loadMeshes();
    LoadedObject loadObjectFile(const ContentFile& file, const char* textureName);
    void loadTexture(LwoObject& mesh, const char* textureName, std::vector<std::string>& reasons);
    ContentFile contentFile(const std::string& name) const;
    ContentFile clipFile(const std::string& name) const;
    std::string readContentFile(const ContentFile& file, size_t maxBytes,
                                std::vector<uint8_t>& bytes, bool isObject);

    enum class CameraRule { WrapAtPreviewEnd, WrapAtLimit, PingPong };
    void playVersion3(CameraRule rule, int32_t limit, bool withArrays);
    void placeCamera(CameraRule rule, int32_t limit);
    void placeAndDrawObject(SceneItem& object, bool withArrays);
    void placeCameraV1();
    void drawObjectV1(SceneObjectV1& object);
    // An item's mesh, or an empty one where none was loaded: the older players draw every
    // object, and an empty mesh still sets the state an object's drawing leaves.
    LwoObject& meshOf(const std::shared_ptr<LwoObject>& mesh) { return mesh ? *mesh : noMesh_; }

    std::string path_;
    std::string sourceName_;
    std::unique_ptr<SceneTokens> tokens_;
    std::string error_;
    std::vector<std::string> objectErrors_;
    std::vector<std::string> warnings_;  // the scene's own, that kept what the file holds
    SceneLoadCost cost_;
    bool overBound_ = false;
    bool progressMidLine_ = false;
    int64_t objectBytes_ = 0;  // of the object files read for this scene
    LwoObject noMesh_;
};
