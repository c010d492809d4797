#include "audio/music.h"

#include <cstdio>
#include <string>

#include "audio/music_player.h"

namespace {

// The one sound output of the process; the stream and module entries share it.
MusicPlayer& player() {
    static MusicPlayer instance;
    return instance;
}

int reportStart(bool started, const std::string& error) {
    if (started) {
        return 0;
    }
    std::fprintf(stderr, "music: %s\n", error.c_str());
    return 1;
}

}  // namespace

int startMusic(const char* fileName, double startSeconds, MusicEnd atEnd) {
    std::string error;
    const auto end =
        atEnd == MusicEnd::Loop ? MusicPlayer::AtEnd::Loop : MusicPlayer::AtEnd::RunOn;
    return reportStart(player().startStream(fileName, startSeconds, error, end), error);
}

double musicTimeSeconds() { return player().positionSeconds(); }

void seekMusic(double seconds) {
    std::string error;
    if (!player().seek(seconds, error) && !error.empty()) {
        std::fprintf(stderr, "music: %s\n", error.c_str());
    }
}

void stopMusic() { player().stop(); }

int startModuleMusic(const char* fileName) {
    std::string error;
    return reportStart(player().startModule(fileName, error), error);
}

double moduleTimeSeconds() { return wholeSecondsFromMilliseconds(player().positionMilliseconds()); }
