// A LightWave scene: a scene file read into objects, a camera and lights with their motion
// baked, the objects it names loaded, and players that draw it one frame per call.
//
// Five versions of the text are read, each by the reader of its family over one reading context
// (scene/scene_reading.h: tokens, cost and bounds, what every reader shares): versions 1 and 3
// by scene/lws_reader_v3.h (version 1: one block of numbers per key, linear motion, angles in
// degrees; version 3: an envelope per channel, Hermite motion, radians), versions 4 and 5 by
// scene/lws_reader_v5.h, and the interim version 2 by scene/lws_reader_v2.h into the same
// records as versions 4 and 5 (scene/scene_records.h, which also gives the bounds of what one
// file may cost). Any other version leaves the scene empty. Every reader is a keyword scanner:
// unknown tokens are skipped, and every loop also ends where the text ends or a number is
// malformed, so a damaged file yields the items read before the damage.
//
// Objects are loaded by scene/lws_objects.cpp through the object reader, which reads all three
// object formats (LWOB, LWO2 and LWO3). Versions 1 and 3 are played by scene/lws_player.cpp;
// versions 2, 4 and 5 by scene/lws_player_v5.h.
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
#include "scene/scene_records.h"
#include "timeline/frame_timer.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class SceneReading;

// The scene: its records (SceneRecords), the settings of a load, the loader and the players.
class LwsScene : public SceneRecords {
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

    int32_t direction = 1;

    FrameTimer frameTimer;  // paces version 1 playback

private:
    void readVersion(SceneReading& reading);
    void clearItems();
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
    SceneReading* reading_ = nullptr;  // during a load: what the reading primitives read
    std::string error_;
    std::vector<std::string> objectErrors_;
    std::vector<std::string> warnings_;  // the scene's own, that kept what the file holds
    SceneLoadCost cost_;
    bool progressMidLine_ = false;
    int64_t objectBytes_ = 0;  // of the object files read for this scene
    LwoObject noMesh_;
};
