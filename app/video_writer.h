// Raw frames piped into ffmpeg, which encodes them and muxes them with the soundtrack. Starting,
// feeding and waiting on it differ between the systems (video_writer_posix.cpp,
// video_writer_windows.cpp); what it means is written once (video_writer.cpp).
//
// ffmpeg runs in a process group of its own, so a Ctrl-C at the terminal reaches only us: the
// video is then finished by closing ffmpeg's input, not cut off by ffmpeg's own reaction to
// the signal. Its messages are kept in memory (never on a disk, so a full disk cannot swallow
// them and nothing is left behind), so that when it fails the reason can be given in one line,
// where it would otherwise scroll past with the progress bar.
//
// Neither a full pipe nor ffmpeg's last pass over the file can hold the program forever: while
// it waits on ffmpeg it asks `forced` every 20 ms, and when that says yes, ffmpeg is killed and
// the video given up (on Windows, whose pipes cannot be written without blocking, a full pipe
// holds the program until ffmpeg takes the frame or ends). Writes never raise SIGPIPE; the
// caller must ignore that signal.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class VideoWriter {
public:
    using Forced = std::function<bool()>;

    explicit VideoWriter(Forced forced);
    ~VideoWriter();
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    // Starts `command` (program first, looked up on PATH) with the frames on its standard input
    // and its standard error kept in memory. Returns the reason it could not, empty on success.
    [[nodiscard]] std::string start(const std::vector<std::string>& command);

    // Sends one frame whole. Returns why it could not: ffmpeg stopped taking frames (with how it
    // ended and its last message), or the wait was forced. Empty on success.
    [[nodiscard]] std::string write(const std::vector<unsigned char>& frame);

    // Ends the input and waits for ffmpeg to finish the file. Empty when it exited with 0 and
    // said nothing (it is asked for errors only), else how it ended and its last message.
    [[nodiscard]] std::string finish();

    // Kills ffmpeg, if it still runs, and waits for it to go.
    void abandon();

private:
    struct KeptMessages;  // ffmpeg's standard error, held in memory the system's way

    bool waitForExit(int& status);
    std::string howItEnded(int status) const;
    // What a finished ffmpeg's exit means: `exitedCleanly` with status 0, else `status`.
    std::string afterExit(bool exitedCleanly, int status) const;
    std::string lastMessage() const;
    std::string messagesTail() const;  // the end of what ffmpeg wrote, at most kMessagesTailBytes
    std::string stoppedTakingFrames();

    static constexpr size_t kMessagesTailBytes = 4096;

    Forced forced_;
    std::intptr_t child_ = 0;  // the process: its id on POSIX, its handle on Windows
    int fd_ = -1;
    std::unique_ptr<KeptMessages> messages_;
};
