// make_soundtrack OUTPUT.mp3: synthesises the demo's soundtrack and writes it as a gapless
// 44.1 kHz stereo MP3. The file is written beside OUTPUT first and renamed, so an
// interrupted run never leaves a truncated soundtrack behind.
#include <cstdio>
#include <string>

#include "tools/make_soundtrack_mp3.h"
#include "tools/make_soundtrack_score.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_soundtrack OUTPUT.mp3\n");
        return 2;
    }
    const std::string output = argv[1];
    const std::vector<int16_t> pcm = soundtrack::renderSoundtrack();
    std::vector<unsigned char> mp3;
    std::string error;
    if (!encodeMp3(pcm, Mp3Settings{}, mp3, error)) {
        std::fprintf(stderr, "make_soundtrack: %s\n", error.c_str());
        return 1;
    }
    const std::string partial = output + ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        std::perror(partial.c_str());
        return 1;
    }
    const bool written = std::fwrite(mp3.data(), 1, mp3.size(), file) == mp3.size();
    if (std::fclose(file) != 0 || !written || std::rename(partial.c_str(), output.c_str()) != 0) {
        std::perror(output.c_str());
        std::remove(partial.c_str());
        return 1;
    }
    return 0;
}
