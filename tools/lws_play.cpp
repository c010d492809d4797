// lws-play: plays a scene with the engine's player, or shows an object.
//
//   lws-play [--verbose] [--flat] [--content DIR] [--allow DIR] [--png DIR --frames N] [--] FILE.lws|FILE.lwo
//
// Versions 2, 4 and 5 are drawn lit by the scene's lights (LightWave's default light when it
// has none), with normals smoothed as each surface says; --flat draws them as the engine
// draws its meshes, in flat surface colours. An object file (.lwo) is shown alone, framed by
// a camera that holds all of it, lit by the default light.
// Without --png it opens a window the size of the scene camera's frame and plays one scene
// frame per shown frame at the scene's frames per second until Esc or the window is closed.
// Version 4 and 5 scenes play from FirstFrame to LastFrame and round again, each object placed
// by its own motion, its parents' and its pivot, seen through the camera's motion.
// With --png it renders N frames offscreen (SDL's offscreen driver unless SDL_VIDEODRIVER
// names another) and writes them as DIR/frame_000000.png, frame_000001.png, ...
// Objects are looked up in DIR given by --content (default: the scene's folder), and a name
// that leads out of it is refused, unless it leads into the folder --allow names. The reader's
// progress printout, which repeats every light after each light, is shown only with --verbose.
// Reasons are one line each on standard error, names from the file with control characters
// escaped.
// Exit status: 0 after playing, 1 when the scene or the GL context could not be had, 2 for a
// wrong command line, 128 + the signal when SIGINT, SIGTERM or SIGHUP stopped it.
#include "app/command_line.h"
#include "files/frame_files.h"
#include "platform/gl_context.h"
#include "platform/stop_signals.h"
#include "scene/lws_player_v5.h"
#include "scene/lws_scene.h"
#include "scene/scene_lighting.h"
#include "texture/framebuffer_capture.h"
#include "texture/png_writer.h"
#include "text/json_text.h"
#include "tools/object_framing.h"

#include <SDL.h>
#include <GL/gl.h>

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

namespace {

struct Options {
    std::string scenePath;
    std::string contentDir;
    std::string allowDir;
    std::string pngDir;
    long frames = -1;
    bool verbose = false;
    bool flat = false;
};

const ProgramInfo kProgram = {
    "lws-play",
    "usage: lws-play [--verbose] [--flat] [--content DIR] [--allow DIR] [--png DIR --frames N] [--] FILE.lws|FILE.lwo\n"
    "Plays a LightWave scene in a window until Esc, or renders N frames offscreen;\n"
    "an object file is shown alone, framed and lit by a default light.\n"
    "  --verbose      print the scene reader's progress printout\n"
    "  --flat         draw unlit, in flat surface colours, as the engine draws\n"
    "  --content DIR  where the scene's objects are (default: the scene's folder)\n"
    "  --allow DIR    also load objects and pictures the scene names anywhere inside DIR\n"
    "                 (names with \"..\" that lead out of the content folder)\n"
    "  --png DIR      write DIR/frame_000000.png, ... instead of opening a window\n"
    "  --frames N     how many frames --png writes (0 or more)\n"
    "  --help         this text\n"
    "  --version      the version\n"
    "Exit status: 0 after playing, 1 when the scene or a GL context could not be had,\n"
    "2 for a wrong command line, 130, 143 or 129 when stopped by SIGINT, SIGTERM or SIGHUP.\n"};

bool parseCount(const char* text, long& count) {
    const char* end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, count);
    return result.ec == std::errc() && result.ptr == end && count >= 0;
}

// Returns what is wrong with the command line, or an empty text.
std::string parseOptions(int argc, char** argv, Options& options) {
    for (ArgumentWalk walk(argc, argv); walk.next();) {
        const std::string& arg = walk.text();
        if (!walk.isOption()) {
            if (!options.scenePath.empty()) return "one scene at a time, not also " + arg;
            options.scenePath = arg;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--flat") {
            options.flat = true;
        } else if (arg == "--content" || arg == "--allow" || arg == "--png") {
            const char* value = walk.value();
            if (!value || looksLikeOption(value)) return arg + " needs a folder";
            (arg == "--content" ? options.contentDir
             : arg == "--allow" ? options.allowDir
                                : options.pngDir) = value;
        } else if (arg == "--frames") {
            // "-3" is taken as the value here, so the message says what is wrong with it.
            const char* value = walk.value();
            if (!value) return "--frames needs a number of frames";
            if (!parseCount(value, options.frames)) {
                return "--frames wants a whole number of frames, 0 or more, not \"" + std::string(value) + "\"";
            }
        } else {
            return "unknown option " + arg;
        }
    }
    if (options.scenePath.empty()) return "no scene file given";
    if (!options.pngDir.empty() && options.frames < 0) return "--png needs --frames N";
    if (options.pngDir.empty() && options.frames >= 0) return "--frames needs --png DIR";
    return "";
}

// The window takes the camera's frame size, within what a screen or a buffer can hold.
void chooseSize(const LwsScene& scene, WindowDescription& window) {
    window.width = 640;
    window.height = 480;
    const bool v1 = scene.header.version == 1;
    const float width = v1 ? scene.v1FrameWidth : scene.camera.frameWidth;
    const float height = v1 ? scene.v1FrameHeight : scene.camera.frameHeight;
    if (width >= 16.0f && height >= 16.0f && width <= 4096.0f && height <= 4096.0f) {
        window.width = static_cast<int>(width);
        window.height = static_cast<int>(height);
    }
}

void setInitialState(const GlContext& w) {
    glViewport(0, 0, w.width(), w.height());
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    // Untextured meshes bind texture 0, which has no image, so texturing may stay on.
    glEnable(GL_TEXTURE_2D);
}

void drawFrame(LwsScene& scene, const SceneShading* shading) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (shading && scene.playsItemByItem()) playSceneVersion5(scene, shading);
    else scene.play();
}

bool isObjectFile(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".lwo";
}

// An object file becomes a one-object scene framing it; its name is given to the scene relative
// to the content folder, which confines it as it confines a scene's objects.
bool frameObjectFile(const Options& options, std::string& contentDir, ObjectFraming& framing) {
    LwoMesh mesh;
    std::ostringstream quiet;
    mesh.diagnostics = &quiet;
    if (mesh.load(options.scenePath.c_str())) {
        std::cerr << kProgram.name << ": " << terminal::printable(mesh.lastError()) << "\n";
        return false;
    }
    namespace fs = std::filesystem;
    contentDir = options.contentDir.empty() ? fs::path(options.scenePath).parent_path().string()
                                            : options.contentDir;
    if (contentDir.empty()) contentDir = ".";
    std::error_code failed;
    const std::string name = fs::proximate(options.scenePath, contentDir, failed).generic_string();
    if (failed || name.find_first_of(" \t\r\n") != std::string::npos) {
        std::cerr << kProgram.name << ": " << terminal::printable(options.scenePath)
                  << ": an object shown alone needs a name without spaces\n";
        return false;
    }
    framing = frameObject(mesh, name);
    return true;
}

// Reasons name the file's own names, so they are escaped before they reach a terminal.
bool loadScene(LwsScene& scene, const ObjectFraming* framing) {
    scene.errors = nullptr;
    const bool failed = framing ? scene.loadFromText(framing->sceneText, scene.contentDir) : scene.load();
    for (const std::string& reason : scene.reasons()) {
        std::cerr << kProgram.name << ": " << terminal::printable(reason) << "\n";
    }
    return failed;
}

// Each frame is written whole in a staging folder inside DIR and renamed to its name, so a
// symbolic link already at that name is replaced, never written through.
int writeFrames(LwsScene& scene, const SceneShading* shading, const GlContext& w, const Options& options) {
    std::error_code made;
    std::filesystem::create_directories(options.pngDir, made);
    files::StagingFolder staging;
    if (const std::string why = staging.make(options.pngDir, kProgram.name); !why.empty()) {
        std::cerr << kProgram.name << ": cannot write frames in "
                  << terminal::printable(options.pngDir + ": " + why) << "\n";
        return 1;
    }
    for (long frame = 0; frame < options.frames && !stopsignals::caught(); ++frame) {
        drawFrame(scene, shading);
        glFinish();
        const std::string name = files::frameFileName(frame);
        std::string error = writePng(staging.stagedPath(name), w.width(), w.height(),
                                     captureFramebufferRgb(w.width(), w.height()));
        if (error.empty()) {
            if (const std::string why = staging.place(name); !why.empty())
                error = options.pngDir + "/" + name + ": " + why;
        }
        if (!error.empty()) {
            std::cerr << kProgram.name << ": " << terminal::printable(error) << "\n";
            return 1;
        }
    }
    if (const int signal = stopsignals::caught()) return stopsignals::exitCodeFor(signal);
    std::cout << "wrote " << options.frames << " frames to " << terminal::printable(options.pngDir)
              << "\n";
    return 0;
}

int playInWindow(LwsScene& scene, const SceneShading* shading, const GlContext& w) {
    // Version 1 scenes pace themselves; later versions' frames are paced here.
    const int32_t rate = scene.header.version != 1 ? scene.framesPerSecond : 0;
    const Uint32 frameMs = rate > 0 ? static_cast<Uint32>(1000 / std::min(rate, 1000)) : 0;
    while (!w.quitRequested() && !stopsignals::caught()) {
        const Uint32 start = SDL_GetTicks();
        drawFrame(scene, shading);
        w.swapBuffers();
        const Uint32 spent = SDL_GetTicks() - start;
        if (spent < frameMs) SDL_Delay(frameMs - spent);
    }
    const int signal = stopsignals::caught();
    return signal ? stopsignals::exitCodeFor(signal) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int exitCode = takeCommandLine(kProgram, argc, argv, options, parseOptions); exitCode >= 0) return exitCode;
    const bool offscreen = !options.pngDir.empty();
    // The file is read twice: once, without objects, for the camera's frame size, then for
    // real with a GL context current so textures can be made.
    std::string contentDir = options.contentDir;
    ObjectFraming framing;
    const bool objectAlone = isObjectFile(options.scenePath);
    if (objectAlone && !frameObjectFile(options, contentDir, framing)) return 1;
    const ObjectFraming* framed = objectAlone ? &framing : nullptr;
    LwsScene probe(options.scenePath, contentDir);
    probe.progress = nullptr;
    probe.loadObjects = false;
    if (loadScene(probe, framed)) return 1;

    // Before SDL starts, which then leaves these signals to us: a Ctrl-C is a stop, not a
    // window closed.
    stopsignals::install();
    WindowDescription window = hiddenWindow(640, 480);
    chooseSize(probe, window);
    window.title = "lws-play: " + options.scenePath;
    if (!offscreen) {
        // A window to watch, at the camera's size: the viewport is set once, for that size.
        window.mode = DisplayMode::Window;
        window.shownAtOnce = true;
        window.resizable = false;
    }
    std::string error;
    const std::unique_ptr<GlContext> context = GlContext::open(window, &error);
    if (!context) {
        std::cerr << "no GL context: " << error << "\n";
        return 1;
    }
    LwsScene scene(options.scenePath, contentDir);
    scene.allowDir = options.allowDir;
    scene.progress = options.verbose ? &std::cout : nullptr;
    if (loadScene(scene, framed)) return 1;
    if (options.verbose) std::cout << "\n";
    scene.prepareVertexArrays();
    setInitialState(*context);
    std::unique_ptr<SceneShading> shading;
    if (!options.flat) {
        shading = std::make_unique<SceneShading>(scene);
        shading->nearPlane = framing.nearPlane;
        shading->farPlane = framing.farPlane;
    }
    return offscreen ? writeFrames(scene, shading.get(), *context, options)
                     : playInWindow(scene, shading.get(), *context);
}
