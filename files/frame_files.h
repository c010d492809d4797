// Writing numbered pictures into a folder, one file per frame, as invitation-capture and
// lws-play do: frame_000000.png, frame_000001.png, ... The number has six digits or more, so up
// to a million frames (over four hours at 60 fps) list in frame order.
//
// A file is written whole in a staging folder before it is renamed to its name, so a reader
// never sees half a frame, and whatever already has that name (an older frame, a symbolic link
// to some other file) is replaced, never written through. The staging folder is made inside
// the target folder, so the rename stays on one file system, under a fresh name and readable
// by its owner alone: nobody else can put a link into it between our making a file there and
// writing it.
#pragma once

#include <string>

namespace files {

// frame_NNNNNN.png; `frame` counts from 0.
std::string frameFileName(long frame);
// `folder`/frame_NNNNNN.png.
std::string frameFilePath(const std::string& folder, long frame);

class StagingFolder {
public:
    StagingFolder() = default;
    ~StagingFolder() { remove(); }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    // Makes `folder`/.PROGRAM-XXXXXX (mode 0700, a name nobody had). Returns the reason it
    // could not, empty on success.
    [[nodiscard]] std::string make(const std::string& folder, const std::string& program);

    // Where to write the file that is to become `folder`/`name` (`name` holds no '/').
    std::string stagedPath(const std::string& name) const;

    // Renames the staged `name` to `folder`/`name`, replacing what has that name there (a
    // symbolic link is replaced itself). Returns the reason it could not, empty on success.
    [[nodiscard]] std::string place(const std::string& name) const;

    // Deletes the staging folder with whatever is still staged in it. Does nothing when none
    // was made, so it can be called on every way out.
    void remove();

private:
    std::string folder_;
    std::string path_;  // empty while there is no staging folder
};

}  // namespace files
