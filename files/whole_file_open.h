#pragma once
// The part of reading a file whole that differs between the systems: opening it by its UTF-8
// name, or beneath a folder it must not leave, and checking on the opened file that it is a
// regular file within the cap. One implementation per system (whole_file_open_posix.cpp,
// whole_file_open_windows.cpp); the reading itself is whole_file.cpp's.

#include <cstddef>
#include <string>

#include "files/whole_file.h"

namespace files {

// On success `fd` is a descriptor open for reading; on failure the reason, worded to follow
// "<path>: ", and `fd` is -1.
[[nodiscard]] std::string openForReading(const std::string& path, int& fd);

// As openForReading for `relative` beneath `folder` (see readWholeFileBeneath): a path that
// leads outside is refused with a reason beginning "leads outside " + folder, or "passes through
// the symbolic link " + the component for a walk that meets one.
[[nodiscard]] std::string openForReadingBeneath(const std::string& folder, const std::string& relative,
                                                Confinement how, int& fd);

// Whether the file open on `fd` is a regular file of at most `maxBytes`; `size` receives its
// size whenever the system tells it, also when it is refused as too large. On success the
// descriptor blocks on reads.
[[nodiscard]] std::string examineOpenFile(int fd, size_t maxBytes, size_t& size);

// Closes the descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// `doing` + ": " + the C library's words for errno.
std::string systemReason(const char* doing);

// "is 300000000 bytes, more than the 268435456 allowed", or empty when `size` is within `maxBytes`.
std::string overCap(unsigned long long size, size_t maxBytes);

}  // namespace files
