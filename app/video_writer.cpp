#include "app/video_writer.h"

std::string VideoWriter::afterExit(bool exitedCleanly, int status) const {
    if (!exitedCleanly) return howItEnded(status);
    // It speaks only of errors, and some it does not count: a disk that fills while the
    // trailer is written leaves a cut-off video behind an exit status of 0.
    const std::string said = lastMessage();
    return said.empty() ? "" : "ffmpeg exited with status 0 but reported an error: " + said;
}

std::string VideoWriter::stoppedTakingFrames() {
    const std::string ended = finish();
    return "ffmpeg stopped taking frames: " + (ended.empty() ? "ffmpeg exited with status 0" : ended);
}

// The last line ffmpeg wrote that holds anything, with control characters blanked, as it goes
// into our one line.
std::string VideoWriter::lastMessage() const {
    std::string text = messagesTail();
    const size_t end = text.find_last_not_of(" \r\n");
    if (end == std::string::npos) return {};
    text.erase(end + 1);
    const size_t lineStart = text.find_last_of('\n');
    if (lineStart != std::string::npos) text.erase(0, lineStart + 1);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return text;
}
