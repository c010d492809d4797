// A LightWave scene: the text file read into objects, camera and lights with baked motion,
// their meshes loaded, and players that draw it one frame per call.
//
// Two generations are read, told apart by the header's version: 1 (one block of numbers per
// key, linear motion, angles in degrees) and 3 (an envelope per channel, Hermite motion,
// angles in radians). Any other version leaves the scene empty. The reader is a keyword
// scanner: unknown tokens are skipped one by one, and every loop also ends where the text
// ends or a number is malformed, so a damaged file yields the items read before the damage.
//
// Object files (and the clip pictures they name) are looked up in `contentDir`, by default
// the scene file's own folder; the working directory is never changed. The scene owns its
// meshes; texture names stay alive with the GL context. Reading needs a current GL context
// only when objects are loaded (textures); playing always needs one.
#pragma once

#include "lwo/lwo_object.h"
#include "scene/envelope.h"
#include "timeline/frame_timer.h"

#include <cstdint>
#include <fstream>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class SceneTokens;

struct SceneHeader {
    std::string magic;  // first token, not examined
    int32_t version = 0;
};

// One version 3 object; also the common part of the camera and the lights.
struct SceneItem {
    int32_t layerNumber = 0;
    std::string name;
    int32_t showPair[2] = {0, 0};
    int32_t numChannels = 0;
    std::vector<EnvelopeChannel> channels;
    LwoObject mesh;
    int32_t frameCounter = 0;
    BakedChannels samples;  // one array per channel, in channel order
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

// Read and kept; nothing lights with them.
struct SceneLight : SceneItem {
    float lightColour[3] = {1.0f, 1.0f, 1.0f};
    float lightIntensity = 1.0f;
    float lightType = 0.0f;
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
    int32_t showPair[2] = {0, 0};
    MotionV1 motion;
    LwoObject mesh;
};

using CameraMotionV1 = MotionV1;

class LwsScene {
public:
    LwsScene();
    // Opens the file; `contentDir` empty means the scene file's folder.
    explicit LwsScene(const std::string& path, std::string contentDir = {});
    ~LwsScene();
    LwsScene(const LwsScene&) = delete;
    LwsScene& operator=(const LwsScene&) = delete;

    // Reads the opened file once. True on failure: the file could not be read, its version is
    // not 1 or 3, or a number was malformed (the items before it are kept). One line on
    // stderr says why. Object files that fail to load are reported but are no failure here.
    bool load();
    // The same reader over text already in memory; `sourceName` labels messages.
    bool loadFromText(std::string text, const std::string& sourceName = "scene");

    // The reader's primitives, valid during a load: "" and 0 once the input is used up.
    std::string readToken();
    int32_t readInt();
    double readNumber();
    Envelope readEnvelope();

    // -1 for a token that is no keyword.
    static int keywordCodeV1(std::string token);
    static int keywordCodeV3(std::string token);

    // Degrees. Pi is taken as 3.1415 and pixelAspect does not enter the result.
    static float computeFieldOfView(float width, float height, float pixelAspect, float zoom);

    // Playback: one frame per call with a current GL context; the caller clears and swaps.
    // Version 3 objects are placed from their raw keys, one key per frame, and the camera from
    // its baked samples (a camera whose position channels baked none stays at the origin).
    void prepareVertexArrays();
    // Version 3: vertex-array drawing (prepareVertexArrays first), the camera wrapping at
    // previewLastFrame; returns the camera's counter. Version 1: playV1, returns 1. Other
    // versions draw nothing and return 1.
    int32_t play();
    // As play, but version 3 draws in immediate mode and its camera wraps at `limit` or at the
    // end of its samples.
    int32_t playLimited(int32_t limit);
    // Version 3 only: the camera runs from 0 up to previewLastFrame and back down.
    int32_t playPingPong();
    void playWithArrays();
    void playImmediate(int32_t limit);
    // Waits on frameTimer for the scene's rate, draws every version 1 object; returns how many.
    int32_t playV1();

    // Why the last load failed; empty after a clean one.
    const std::string& error() const { return error_; }
    // One line per object (or texture) that could not be loaded.
    const std::vector<std::string>& objectErrors() const { return objectErrors_; }

    // Load settings, read by `load`.
    std::string contentDir;
    std::ostream* progress;  // the progress printout; null for silence
    bool loadObjects = true;
    bool loadTextures = true;  // off where there is no GL context (tools, tests)

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

    FrameTimer frameTimer;  // paces version 1 playback

private:
    void readVersion3();
    void readVersion1();
    void readObjectBlock();
    void readCameraBlock();
    void readLightBlock();
    bool readChannel(std::vector<EnvelopeChannel>& channels);
    void readShowPair(int32_t (&pair)[2]);
    void readObjectV1();
    void readMotionV1(MotionV1& motion);
    void printLightList();
    void printSetting(const char* label, int32_t value);
    void skippedToken();
    void loadMeshes();
    void loadMesh(LwoObject& mesh, const std::string& name, const char* textureName);
    std::string contentPath(const std::string& name) const;
    std::string clipPath(const std::string& name) const;

    enum class CameraRule { WrapAtPreviewEnd, WrapAtLimit, PingPong };
    void playVersion3(CameraRule rule, int32_t limit, bool withArrays);
    void placeCamera(CameraRule rule, int32_t limit);
    void placeAndDrawObject(SceneItem& object, bool withArrays);
    void placeCameraV1();
    void drawObjectV1(SceneObjectV1& object);

    std::ifstream input_;
    std::string path_;
    std::string sourceName_;
    std::unique_ptr<SceneTokens> tokens_;
    std::string error_;
    std::vector<std::string> objectErrors_;
};
