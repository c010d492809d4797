#pragma once
// Reading a file whole, the one way every reader and the music do it.
//
// Only regular files are read: a directory, a device (/dev/zero never ends), a FIFO or a
// socket is refused before a byte is read, and so is a file whose size is over the caller's
// cap. The size is taken with fstat on the opened descriptor, so the file checked is the file
// read. A file that changes size while it is read is refused rather than returned cut short
// or grown past the cap. Needs neither GL nor SDL.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace files {

// Reads `path` into `bytes` (replacing what it held). On failure `bytes` is empty and the
// result is the reason, worded to follow "<path>: " (e.g. "is a directory, not a file",
// "is 300000000 bytes, more than the 268435456 allowed"). Empty on success.
[[nodiscard]] std::string readWholeFile(const std::string& path, size_t maxBytes,
                                        std::vector<uint8_t>& bytes);

// The same into a string, for text formats.
[[nodiscard]] std::string readWholeFile(const std::string& path, size_t maxBytes,
                                        std::string& text);

// The reading step of readWholeFile on its own: exactly `expectedSize` bytes from the open
// descriptor `fd`, which must then be at its end. A file that turns out shorter or longer than
// the size taken before is refused ("became shorter while it was read (10 of 20 bytes)",
// "grew while it was read (past 20 bytes)") and `bytes` is left empty. The descriptor stays
// open. readWholeFile calls it with the size fstat gave; called alone, it lets a test stand in
// for a file that changes between the two.
[[nodiscard]] std::string readOpenFile(int fd, size_t expectedSize, std::vector<uint8_t>& bytes);

// How readWholeFileBeneath keeps a path inside its folder.
enum class Confinement {
    // The kernel resolves the path beneath the folder (openat2 with RESOLVE_BENEATH): symbolic
    // links and ".." are followed while they stay inside. Where the kernel has no openat2, the
    // component walk below.
    Kernel,
    // One component at a time from a descriptor of the folder, none of them followed if it is a
    // symbolic link, ".." never above the folder: links are refused, even those that stay inside.
    ComponentWalk,
};

// readWholeFile for a path that must not lead outside `folder`: `relative` (relative to the
// folder, "a/../b.lwo" allowed) is opened beneath a descriptor of the folder, so no symbolic link
// or ".." swapped in at any moment can make it open a file outside. A path that leads outside is
// refused with a reason beginning "leads outside " + folder, or, for a component walk that
// meets a link, "passes through the symbolic link " + the component. `fileSize`, when given,
// receives the size of the file opened, also when it was refused as too large (0 when none).
[[nodiscard]] std::string readWholeFileBeneath(const std::string& folder, const std::string& relative,
                                               size_t maxBytes, std::vector<uint8_t>& bytes,
                                               size_t* fileSize = nullptr,
                                               Confinement how = Confinement::Kernel);

}  // namespace files
