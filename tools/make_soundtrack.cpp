// make_soundtrack [--] FILE.mp3: synthesises the demo's soundtrack and writes it as a gapless
// 44.1 kHz stereo MP3. The file is written beside FILE.mp3 first and renamed, so an
// interrupted run never leaves a truncated soundtrack behind.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "tools/make_soundtrack_mp3.h"
#include "tools/make_soundtrack_score.h"

namespace {

const ProgramInfo kProgram = {
    "make_soundtrack",
    "usage: make_soundtrack [--] FILE.mp3\n"
    "Synthesises the demo's music and writes it to FILE.mp3 as a gapless 44.1 kHz stereo MP3\n"
    "(through FILE.mp3.partial, so an interrupted run leaves no truncated file).\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "Exit status: 0 when the file was written, 1 when it was not, 2 for a wrong command line.\n"};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> operands;
    if (const int exitCode = takeOperands(kProgram, argc, argv, {"the output file"}, 1, operands); exitCode >= 0)
        return exitCode;
    const std::string& output = operands[0];
    const std::vector<int16_t> pcm = soundtrack::renderSoundtrack();
    std::vector<unsigned char> mp3;
    std::string error;
    if (!encodeMp3(pcm, Mp3Settings{}, mp3, error)) {
        std::fprintf(stderr, "%s: %s\n", kProgram.name, error.c_str());
        return 1;
    }
    const std::string partial = output + ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "%s: %s: cannot write: %s\n", kProgram.name, partial.c_str(), std::strerror(errno));
        return 1;
    }
    const bool written = std::fwrite(mp3.data(), 1, mp3.size(), file) == mp3.size();
    if (std::fclose(file) != 0 || !written || std::rename(partial.c_str(), output.c_str()) != 0) {
        std::fprintf(stderr, "%s: %s: cannot write: %s\n", kProgram.name, output.c_str(), std::strerror(errno));
        std::remove(partial.c_str());
        return 1;
    }
    return 0;
}
