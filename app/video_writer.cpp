#include "app/video_writer.h"

#include <filesystem>
#include <fstream>

namespace {

// The end of ffmpeg's log that is searched for its last message.
constexpr std::streamoff kLogTailBytes = 4096;

}  // namespace

// The last line ffmpeg wrote that holds anything, with control characters blanked, as it goes
// into our one line.
std::string VideoWriter::lastMessage() const {
    std::ifstream log(std::filesystem::u8path(logPath_), std::ios::binary | std::ios::ate);
    if (!log) return {};
    const std::streamoff size = log.tellg();
    log.seekg(size > kLogTailBytes ? size - kLogTailBytes : 0);
    char tail[kLogTailBytes];
    log.read(tail, sizeof tail);
    std::string text(tail, static_cast<size_t>(log.gcount()));
    const size_t end = text.find_last_not_of(" \r\n");
    if (end == std::string::npos) return {};
    text.erase(end + 1);
    const size_t lineStart = text.find_last_of('\n');
    if (lineStart != std::string::npos) text.erase(0, lineStart + 1);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return text;
}
