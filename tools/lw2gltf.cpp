// lw2gltf: LightWave objects and scenes to glTF 2.0, for the tools people use today.
//
//   lw2gltf [--binary] [--content DIR] [--allow DIR] [--] FILE.lwo|FILE.lws -o OUT.gltf|OUT.glb
//
// An object goes out as its layers' meshes; a scene (versions 2, 4 and 5) as every item with
// its parents, pivots, motion sampled at every frame, the camera and the lights. What goes out
// and how is in tools/gltf_export.h. OUT ending in .glb, or --binary, writes one binary file
// with the pictures inside; otherwise OUT is a .gltf text with its buffer inside and each
// picture copied beside it. Each file is written whole in a staging folder beside OUT and then
// renamed, so nothing half-written is ever left under a name, and nothing is written anywhere
// else. Objects (and, for an object alone, its pictures) are looked up in DIR given by
// --content (default: the input's folder); a scene's object names are confined to it, or to
// the wider folder --allow DIR trusts.
// Exit status: 0 when written, 1 when the input could not be read or the output not written,
// 2 for a wrong command line. Problems are one line each on standard error, file and place
// first; a picture that cannot be had is reported and the surface exported without it.
#include "app/command_line.h"
#include "files/frame_files.h"
#include "scene/lws_scene.h"
#include "tools/gltf_export.h"
#include "text/json_text.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

namespace {

struct Options {
    std::string input;
    std::string output;
    std::string contentDir;
    std::string allowDir;
    bool binary = false;
};

const ProgramInfo kProgram = {
    "lw2gltf",
    "usage: lw2gltf [--binary] [--content DIR] [--allow DIR] [--] FILE.lwo|FILE.lws -o OUT.gltf|OUT.glb\n"
    "Writes a LightWave object or scene (versions 2, 4 and 5) as glTF 2.0: meshes with normals\n"
    "and texture coordinates, a material per surface, and for a scene every item as a node with\n"
    "its parent, pivot and motion (sampled at every frame), the camera and the lights.\n"
    "  -o OUT         the file to write: .glb is binary, anything else glTF text with its\n"
    "                 pictures copied beside it\n"
    "  --binary       write binary glTF whatever OUT is called\n"
    "  --content DIR  where objects and pictures are (default: the input's folder)\n"
    "  --allow DIR    also load objects and pictures the scene names anywhere inside DIR\n"
    "                 (names with \"..\" that lead out of the content folder)\n"
    "  --help         this text\n"
    "  --version      the version\n"
    "Exit status: 0 when written, 1 when the input could not be read or the output not\n"
    "written, 2 for a wrong command line.\n"};

std::string lowerExtension(const std::string& name) {
    std::string extension = std::filesystem::path(name).extension().string();
    for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

std::string parseOptions(int argc, char** argv, Options& options) {
    for (ArgumentWalk walk(argc, argv); walk.next();) {
        const std::string& arg = walk.text();
        if (!walk.isOption()) {
            if (!options.input.empty()) return "one input at a time, not also " + arg;
            options.input = arg;
        } else if (arg == "--binary") {
            options.binary = true;
        } else if (arg == "--content" || arg == "--allow" || arg == "-o") {
            const char* value = walk.value();
            if (!value) return arg + (arg == "-o" ? " needs a file name" : " needs a folder");
            (arg == "-o" ? options.output : arg == "--allow" ? options.allowDir : options.contentDir) = value;
        } else {
            return "unknown option " + arg;
        }
    }
    if (options.input.empty()) return "no object or scene file given";
    if (options.output.empty()) return "no output given (-o OUT.gltf or -o OUT.glb)";
    const std::string kind = lowerExtension(options.input);
    if (kind != ".lwo" && kind != ".lws") return options.input + " is neither a .lwo nor a .lws file";
    if (lowerExtension(options.output) == ".glb") options.binary = true;
    return "";
}

void report(const std::string& line) { std::cerr << kProgram.name << ": " << terminal::printable(line) << "\n"; }

std::string contentFolder(const Options& options) {
    if (!options.contentDir.empty()) return options.contentDir;
    const std::string folder = std::filesystem::path(options.input).parent_path().string();
    return folder.empty() ? "." : folder;
}

bool exportObject(const Options& options, GltfExport& out) {
    LwoMesh mesh;
    std::ostringstream quiet;
    mesh.diagnostics = &quiet;
    if (mesh.load(options.input.c_str())) {
        report(mesh.lastError());
        return false;
    }
    out.addObject(mesh, std::filesystem::path(options.input).stem().string());
    return true;
}

bool exportScene(const Options& options, GltfExport& out) {
    LwsScene scene(options.input, options.contentDir);
    scene.allowDir = options.allowDir;
    scene.progress = nullptr;
    scene.errors = nullptr;
    scene.loadTextures = false;
    const bool failed = scene.load();
    for (const std::string& reason : scene.reasons()) report(reason);
    if (failed) return false;
    if (!scene.playsItemByItem()) {
        report(options.input + ": scene version " + std::to_string(scene.header.version) +
               " is not exported (versions 2, 4 and 5 are)");
        return false;
    }
    if (scene.framesPerSecond <= 0) {
        report(options.input + ": FramesPerSecond " + std::to_string(scene.framesPerSecond) + " leaves no time for a frame");
        return false;
    }
    out.addScene(scene);
    return true;
}

// The model and its pictures written whole beside OUT, then renamed into place.
bool writeOutput(const Options& options, GltfExport& out) {
    namespace fs = std::filesystem;
    tinygltf::Model& model = out.finish();
    tinygltf::TinyGLTF writer;
    // Pictures are never decoded or re-encoded: the files go out as they are.
    writer.SetImageWriter(nullptr, nullptr);
    std::ostringstream bytes;
    if (!writer.WriteGltfSceneToStream(&model, bytes, !options.binary, options.binary)) {
        report(options.output + ": the model could not be written");
        return false;
    }
    std::string folder = fs::path(options.output).parent_path().string();
    if (folder.empty()) folder = ".";
    files::StagingFolder staging;
    if (const std::string why = staging.make(folder, kProgram.name); !why.empty()) {
        report(options.output + ": cannot write in " + folder + ": " + why);
        return false;
    }
    std::vector<std::pair<std::string, std::string_view>> files;
    for (const auto& [name, picture] : out.pictures())
        files.emplace_back(name, std::string_view(reinterpret_cast<const char*>(picture.data()), picture.size()));
    const std::string text = bytes.str();
    files.emplace_back(fs::path(options.output).filename().string(), text);
    for (const auto& [name, content] : files) {
        std::ofstream staged(staging.stagedPath(name), std::ios::binary);
        staged.write(content.data(), std::streamsize(content.size()));
        staged.close();
        const std::string why = staged ? staging.place(name) : "could not be written (" + std::string(std::strerror(errno)) + ")";
        if (!why.empty()) {
            report(folder + "/" + name + ": " + why);
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int exitCode = takeCommandLine(kProgram, argc, argv, options, parseOptions); exitCode >= 0) return exitCode;
    GltfExport out(contentFolder(options), options.binary);
    const bool read = lowerExtension(options.input) == ".lwo" ? exportObject(options, out) : exportScene(options, out);
    if (!read) return 1;
    for (const std::string& warning : out.warnings()) report(warning);
    return writeOutput(options, out) ? 0 : 1;
}
